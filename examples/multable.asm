; The multiplication table of 7: 7 x 1 to 7 x 10 with MUL. Each product is stored as a byte
; from 1800H, and as its two decimal digits (AAM: tens in AH, units in AL) from 1810H.
        mov bl,7
        mov cx,0a
        mov dl,1        ; the multiplier
        mov si,1800
        mov di,1810
next:   mov al,dl
        mul bl          ; AX = AL x BL
        mov [si],al
        aam
        xchg ah,al      ; the tens first, as they are read
        mov [di],ax
        inc si
        add di,2
        inc dl
        loop next
        hlt
