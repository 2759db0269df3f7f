; Plays three notes on the speaker through counter 2 of the 8254 in mode 3: the count divides
; the timer's 1.19318 MHz clock. The last note keeps sounding after HLT, as on the kit; a
; zero count silences it. Each note lasts half a second with Kit clock (Simulation menu,
; "Kit clock", 5 MHz).
connect speaker
        mov al,b6
        out 43,al       ; counter 2, low byte then high byte, mode 3, binary
        mov al,d0       ; count 11D0H: 261 Hz, middle C
        mov ah,11
        call note
        mov al,24       ; count 0E24H: 329 Hz, the E above it
        mov ah,0e
        call note
        mov al,a9       ; count 04A9H: 1000 Hz
        mov ah,04
        call note
        hlt

; Sounds the count in AH:AL for half a second.
note:   out 42,al       ; the low byte silences the speaker
        mov al,ah
        out 42,al       ; the high byte starts the new tone
        call delay
        ret

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
