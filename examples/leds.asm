; Lights the rightmost digit of the 8255 LED display with the pattern of "0".
connect led55
        mov al,80       ; control word: mode 0, all ports outputs
        out 26,al
        mov al,fe       ; port B selects a digit (active low)
        out 22,al
        mov al,3f       ; port A gives its segments
        out 20,al
        hlt
