; Counts from 0 to 9 on the rightmost digit of the 8255 LED display, five counts a second with
; Kit clock (Simulation menu, "Kit clock", 5 MHz). CX counts down from 0AH,
; so the seven-segment table is filled backwards: the code of digit n sits at 190AH - n.
connect led55
        mov wptr [1900],6f00    ; 1901H: 9
        mov wptr [1902],077f    ; 1902H: 8, 1903H: 7
        mov wptr [1904],6d7d    ; 1904H: 6, 1905H: 5
        mov wptr [1906],4f66    ; 1906H: 4, 1907H: 3
        mov wptr [1908],065b    ; 1908H: 2, 1909H: 1
        mov bptr [190a],3f      ; 190AH: 0
        mov bx,1900
        mov al,80
        out 26,al       ; 8255: mode 0, all ports outputs
        mov al,fe
        out 22,al       ; port B selects the rightmost digit (active low)
        mov cx,0a
count:  mov al,cl
        xlat            ; the segments of the digit 0AH - CX
        out 20,al       ; port A lights them
        call pause
        loop count
        hlt

; With the four instructions of the count, 0.2 s at 5 MHz: 17 clocks a LOOP pass, E5C4H passes.
pause:  push cx
        mov cx,e5c4
hold:   loop hold
        pop cx
        ret
