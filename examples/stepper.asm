; Turns the stepper motor four full steps (one magnet at a time, 30 degrees each), then eight
; half steps (one and two magnets in turn, 15 degrees each). The low four bits of port A
; switch the four magnets.
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

; Energises the magnets in AL and lets the rotor follow.
step:   out 20,al
        push cx
        mov cx,8000
hold:   loop hold
        pop cx
        ret
