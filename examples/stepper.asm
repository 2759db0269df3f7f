; Turns the stepper motor four full steps (one magnet at a time, 30 degrees each), then eight
; half steps (one and two magnets in turn, 15 degrees each), five steps a second with Kit clock
; (Simulation menu, "Kit clock", 5 MHz). The low four bits of port A switch the four magnets.
connect stepper
        mov al,80
        out 26,al       ; 8255: mode 0, all ports outputs
        mov al,01       ; full steps
        call step
        mov al,02
        call step
        mov al,04
        call step
        mov al,08
        call step
        mov al,01       ; half steps
        call step
        mov al,03
        call step
        mov al,02
        call step
        mov al,06
        call step
        mov al,04
        call step
        mov al,0c
        call step
        mov al,08
        call step
        mov al,09
        call step
        hlt

; Energises the magnets in AL and lets the rotor follow: with the caller's MOV and CALL, 0.2 s
; at 5 MHz (17 clocks a LOOP pass, E5C5H passes).
step:   out 20,al
        push cx
        mov cx,e5c5
hold:   loop hold
        pop cx
        ret
