; Adds two eight-digit packed BCD numbers, 43659987 and 12345678, two digits at a time from
; the low end: ADC carries from one digit pair into the next and DAA keeps each byte
; decimal. The sum, 56005665, is stored low digits first at 1808H.
        mov wptr [1800],9987    ; the first number, low digits first
        mov wptr [1802],4365
        mov wptr [1804],5678    ; the second
        mov wptr [1806],1234
        mov si,1800
        mov bx,1804
        mov di,1808
        mov cx,4        ; four bytes of two digits
        clc
next:   mov al,[si]
        adc al,[bx]
        daa
        mov [di],al
        inc si          ; INC leaves CF for the next ADC
        inc bx
        inc di
        loop next
        hlt
