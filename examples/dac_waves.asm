; Feeds the DAC on 8255 port A: eight periods of a square wave, 100 ms each, then four teeth of
; a sawtooth, about 200 ms each, that falls from FFH to 01H as LOOP counts CX down. Connect the
; oscilloscope and run it with Kit clock (Simulation menu, "Kit clock", 5 MHz): the scope
; takes a sample every 10 ms, so a period spans ten samples and a tooth twenty.
connect scope
        mov al,80
        out 26,al       ; 8255: mode 0, all ports outputs
        mov cx,8
square: mov al,00
        out 20,al       ; low
        mov bx,396e     ; 50 ms with the other instructions of the half
        call wait
        mov al,ff
        out 20,al       ; high
        mov bx,396e
        call wait
        loop square

        mov dx,4        ; teeth to draw
tooth:  mov cx,ff
ramp:   mov al,cl
        out 20,al
        mov bx,e3       ; 0.8 ms a step, 255 steps a tooth
        call wait
        loop ramp
        xchg cx,dx      ; CX: teeth left
        loop more
        hlt
more:   xchg cx,dx
        jmp tooth

; Waits BX passes of a LOOP, 17 clocks each: 3.4 microseconds at 5 MHz.
wait:   push cx
        mov cx,bx
hold:   loop hold
        pop cx
        ret
