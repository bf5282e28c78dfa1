; features.asm - a program touching every part of the language once
        INCLUDE "defs.inc"
        CONFIG OSC=HS, WDT=off, PWRT=on, CP=off
        IDENT 1, 2, 0x3FFF, 'A'

        ORG 0x0C, zreg
count   RES 1
buffer  RES 4
flags   RES 1

        ORG 0, zdata
        DE "Bonjour", 0, 1, 2
        DE 0x3F, 'z'

        ORG 0, zprog
start:  goto main
        ORG 4
isr:    retfie
main:   load 0x55, PORTB
        twice 3, count
        IF DEFINI(DEBUG)
        movlw 1
        ELSE
        movlw 2
        ENDIF
        IF EGAL("abc", "abc") & ESTCHAINE("x")
        retlw CARACTERE("xyz", 1)
        ENDIF
        LOCAL
=loop   decfsz count, F
        goto =loop
        ENDLOCAL
        LOCAL
=loop   nop
        goto =loop
        ENDLOCAL
table:  retlw 1, 2, 3, B'1010', 0x1F, 0Ah, 'z', 10 + 3 * 2, -1 & 0xFF
        call later + 1
        movlw (1 << 4) | (6 >> 1) ^ 3
        movlw later & 0xFF
        OPT nolist
        nop
        OPT list
        addwf count, W
        bsf STATUS, 5
        btfss flags, 7
        clrf buffer + 3
        swapf count, F
        iorlw 0x80
        sublw 7
        andlw 0x0F
        xorlw 0xAA
        comf count, W
        incfsz count, F
        rrf count, F
        tris 6
        option
        clrwdt
later:  sleep
value   SET 1
value   SET value + 1
        movlw value
        return
        END
