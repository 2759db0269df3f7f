; Plays three notes on the speaker through counter 2 of the 8254 in mode 3: the count divides
; the timer's 1.19318 MHz clock. The last note keeps sounding after HLT, as on the kit; a
; zero count silences it.
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

; Sounds the count in AH:AL for a moment.
note:   out 42,al       ; the low byte silences the speaker
        mov al,ah
        out 42,al       ; the high byte starts the new tone
        push cx
        mov cx,8000
hold:   loop hold
        pop cx
        ret
