; Looks up the seven-segment codes of the digits 3, 1 and 4 with XLAT and stores them at
; 1800H, 1801H and 1802H.
        mov bx,1900     ; the code table, filled below
        mov wptr [1900],063f
        mov wptr [1902],4f5b
        mov wptr [1904],6d66
        mov al,3
        xlat
        mov [1800],al
        mov al,1
        xlat
        mov [1801],al
        mov al,4
        xlat
        mov [1802],al
        hlt
