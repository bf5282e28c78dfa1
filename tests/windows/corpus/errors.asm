; errors.asm - one fault a line, then enough errors to stop the run
        ORG 0
        movlw 300
        movlw undefined_name
        goto 2000
        bsf 0x0C, 9
        addwf 0x0C, 3
        ORG -1
        movlw 1/0
        IF 1
        nop
        retlw "unterminated
        CONFIG FOO=1
        IDENT 0x4000
        DE 1
        LOCAL
        ENDLOCAL
        ENDLOCAL
same    EQU 1
same    EQU 2
        badinstr 1
        OPT bogus
        movlw 1, 2
        movlw (1
        ERREUR own text
        movlw 1
        movlw 2
        movlw 3
        movlw 4
        movlw 5
        movlw 6
        movlw 7
        movlw 8
        movlw 9
        movlw 10
        movlw 11
        movlw 12
        END
