; Writes a 16-digit message on the 8279 display. Right entry scrolls each new character in
; from the right, as a calculator does. The display shows raw segment patterns.
connect led79
        mov al,18
        out 31,al       ; 8279: 16 digits, right entry
        mov al,d0
        out 31,al       ; clear the display
        mov al,90
        out 31,al       ; write the display RAM from entry 0, with auto-increment
        mov al,76       ; H
        call show
        mov al,79       ; E
        call show
        mov al,38       ; L
        call show
        mov al,38       ; L
        call show
        mov al,3f       ; O
        call show
        mov al,40       ; -
        call show
        mov al,7f       ; 8
        call show
        mov al,3f       ; 0
        call show
        mov al,7f       ; 8
        call show
        mov al,7d       ; 6
        call show
        mov al,40       ; -
        call show
        mov al,6d       ; S
        call show
        mov al,78       ; t
        call show
        mov al,3e       ; U
        call show
        mov al,5e       ; d
        call show
        mov al,6e       ; y
        call show
        hlt

; Scrolls in the segments in AL, and holds them a moment.
show:   out 30,al
        push cx
        mov cx,4000
hold:   loop hold
        pop cx
        ret
