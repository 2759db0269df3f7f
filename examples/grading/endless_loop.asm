; Reloads its count on every pass and never moves along the table: with more than one byte it
; never ends.
        mov si,1900
        xor ax,ax
again:  mov dx,cx
        add al,[si]
        adc ah,0
        dec dx
        jnz again
        mov [1a00],ax
        hlt
