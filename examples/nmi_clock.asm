; A seconds counter on the 1 Hz NMI: the timer interrupts the endless loop once a second,
; and the handler int2 shows the next second, 0 to 9, on the rightmost digit of the 8279. The
; timer counts the kit's own seconds: run it with Kit clock (Simulation menu, "Kit clock",
; 5 MHz) to see it tick once a second.
connect hwtimer
connect led79
        mov wptr [1900],0201    ; the next second of 0..9
        mov wptr [1902],0403
        mov wptr [1904],0605
        mov wptr [1906],0807
        mov wptr [1908],0009
        mov wptr [1910],063f    ; seven-segment codes of 0..9
        mov wptr [1912],4f5b
        mov wptr [1914],6d66
        mov wptr [1916],077d
        mov wptr [1918],6f7f
        mov al,0
        mov [1800],al   ; seconds
        mov al,08
        out 31,al       ; 8279: 16 digits, left entry
        mov al,d0
        out 31,al       ; clear the display
        mov al,8f
        out 31,al       ; write display RAM entry 15 (the rightmost digit), no auto-increment
        mov al,3f
        out 30,al       ; 0
again:  jmp again

int2:   push ax
        push bx
        mov bx,1900
        mov al,[1800]
        xlat
        mov [1800],al
        mov bx,1910
        xlat
        out 30,al
        pop bx
        pop ax
        iret
