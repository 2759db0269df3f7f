; Blinks all eight digits of the 8255 LED display: half a second on, half a second off.
; Run it with Kit clock (Simulation menu, "Kit clock", 5 MHz) to see it at that pace.
connect led55
start:  mov al,80
        out 26,al       ; 8255: mode 0, all ports outputs
        mov al,00
        out 22,al       ; select every digit
again:  mov al,ff
        out 20,al       ; all segments on
        call delay
        mov al,00
        out 20,al       ; all segments off
        call delay
        jmp again

; Half a second at 5 MHz: Tools, "Add Delay Routine...", 500 ms at 5 MHz.
Proc	Delay
	Push Bx
	Push Cx
	Mov Bx,0003
CNTDN1:	Mov Cx,BF7A
CNTDN2:	Loop CNTDN2
	Dec Bx
	Jnz CNTDN1
	Pop Cx
	Pop Bx
	Ret
EndP	Delay

table:  db 3f,06,5b,4f  ; seven-segment codes of 0 to 3
msg:    db 'Kit'
words:  dw 1234,abcd
