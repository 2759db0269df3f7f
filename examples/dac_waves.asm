; Feeds the DAC on 8255 port A: eight periods of a square wave, then four teeth of a sawtooth
; that falls from FFH to 01H, as LOOP counts CX down. Connect the oscilloscope to watch.
connect scope
        mov al,80
        out 26,al       ; 8255: mode 0, all ports outputs
        mov cx,8
square: mov al,00
        out 20,al       ; low
        call half
        mov al,ff
        out 20,al       ; high
        call half
        loop square

        mov dx,4        ; teeth to draw
tooth:  mov cx,ff
ramp:   mov al,cl
        out 20,al
        loop ramp
        xchg cx,dx      ; CX: teeth left
        loop more
        hlt
more:   xchg cx,dx
        jmp tooth

; Half a period of the square wave.
half:   push cx
        mov cx,400
hold:   loop hold
        pop cx
        ret
