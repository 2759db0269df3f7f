; Saves registers across a procedure call and swaps two words in memory through the stack.
        mov ax,1111
        mov bx,2222
        mov [1800],ax
        mov [1802],bx
        call swap
        mov cx,[1800]   ; now 2222
        mov dx,[1802]   ; now 1111
        hlt

swap:   push ax
        push bx
        push wptr [1800]
        push wptr [1802]
        pop wptr [1800]
        pop wptr [1802]
        pop bx
        pop ax
        ret
