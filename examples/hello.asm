; Sends HELLO to the CRT terminal through the 8251, waiting for TxRDY before each character:
; a character written while the previous one is still on the line is lost.
connect terminal
        mov al,ca
        out 61,al       ; mode: asynchronous, x16 clock, 7 data bits, even parity, 2 stop bits
        mov al,11
        out 61,al       ; command: transmit enable, error reset
        mov bx,1900     ; the status as a flag: 1984H holds 0 (84H, busy), 1985H 1 (85H, ready)
        mov wptr [1984],0100
        mov al,48       ; H
        call send
        mov al,45       ; E
        call send
        mov al,4c       ; L
        call send
        mov al,4c       ; L
        call send
        mov al,4f       ; O
        call send
        mov al,0d       ; carriage return
        call send
        mov al,0a       ; line feed
        call send
        hlt

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
