; Two checksums over the eight bytes of a DB table: their sum negated, so that the table and
; its checksum add up to 0 as in an Intel HEX record, and a rotate-and-XOR hash. They are
; stored at 1800H and 1801H.
        jmp start
table:  db 10,20,0,0,0,4c,61,6d ; at 1003H, after the three bytes of the JMP
start:  mov si,1003
        mov cx,8
        xor al,al       ; the sum
        xor bl,bl       ; the hash
next:   add al,[si]
        rol bl,1
        xor bl,[si]
        inc si
        loop next
        neg al
        mov [1800],al
        mov [1801],bl
        hlt
