; Echoes every key to the CRT terminal. A key pressed while interrupts are enabled raises
; interrupt 40H; its handler int40 reads the key from port 50H and sends it through the 8251.
connect terminal
        mov al,ca
        out 61,al       ; 8251 mode: asynchronous, x16 clock, 7 data bits, even parity, 2 stop
        mov al,11
        out 61,al       ; command: transmit enable, error reset
        mov bx,1900     ; the status as a flag: 1984H holds 0 (84H, busy), 1985H 1 (85H, ready)
        mov wptr [1984],0100
        sti
again:  jmp again

int40:  push ax
        push cx
        in al,50        ; the key
        call send
        pop cx
        pop ax
        iret

; Sends AL once the transmitter is ready.
send:   push ax
poll:   in al,61        ; 8251 status: bit 0 is TxRDY
        xlat
        mov cl,al
        mov ch,0
        jcxz poll
        pop ax
        out 60,al
        ret
