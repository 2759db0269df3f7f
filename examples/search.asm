; Finds the first blank of a text with REPNE SCASB and copies the word after it to 1800H with
; REPE MOVSB. The scan leaves DI one past the blank and CX at the number of characters after it.
        jmp start
text:   db 'tarvix kit'     ; ten characters at 1003H
start:  cld
        mov di,1003
        mov cx,0a       ; the text's length
        mov al,20       ; a blank
        repne scasb
        jne none        ; ZF clear: no blank in the text
        mov si,di       ; the word after the blank
        mov di,1800
        repe movsb      ; MOVSB repeats CX times, whatever ZF holds
        hlt
none:   mov bx,ffff
        hlt
