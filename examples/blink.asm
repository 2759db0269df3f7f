; Blinks all eight digits of the 8255 LED display, with a delay routine between.
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

;Delay of 1 msec. Error = 1 µsec
Proc	Delay
	Push	CX
	Mov	CX,124
CNTDN:	Loop	CNTDN
	Pop	CX
	Ret
EndP	Delay

table:  db 3f,06,5b,4f  ; seven-segment codes of 0 to 3
msg:    db 'Kit'
words:  dw 1234,abcd
