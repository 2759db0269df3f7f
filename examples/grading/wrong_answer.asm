; Adds the CX bytes at 1900H into AL: a carry out of AL is lost.
        mov si,1900
        xor ax,ax
next:   add al,[si]
        inc si
        loop next
        mov [1a00],ax
        hlt
