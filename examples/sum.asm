; Adds the five bytes at 1100H and stores the word total at 1200H.
        mov si,1100     ; the table
        mov cx,5        ; its length
        xor ax,ax
next:   add al,[si]
        adc ah,0        ; carry into the high byte
        inc si
        loop next
        mov [1200],ax
        cmp ax,0
        jz empty
        hlt
empty:  mov bx,ffff     ; mark an empty table
        hlt
