; Adds the CX bytes at 1900H; the word total is left in AX and stored at 1A00H.
        mov si,1900
        xor ax,ax
next:   add al,[si]
        adc ah,0        ; carry into the high byte
        inc si
        loop next
        mov [1a00],ax
        hlt
