; big.asm - nested macro expansions filling most of program memory
        ORG 0x0C, zreg
n       RES 1
        ORG 0
step    MACRO
        movlw %1
        addwf n, 1
        btfsc 3, 2
        incf n, 1
        ENDM
block   MACRO
        step %1
        step %1+1
        step %1*2
        step %1/2
        ENDM
        block 0
        block 7
        block 14
        block 21
        block 28
        block 35
        block 42
        block 49
        block 56
        block 63
        block 70
        block 77
        block 84
        block 91
        block 98
        block 105
        block 112
        block 119
        block 6
        block 13
        block 20
        block 27
        block 34
        block 41
        block 48
        block 55
        block 62
        block 69
        block 76
        block 83
        block 90
        block 97
        block 104
        block 111
        block 118
        block 5
        block 12
        block 19
        block 26
        block 33
        block 40
        block 47
        block 54
        block 61
        block 68
        block 75
        block 82
        block 89
        block 96
        block 103
        block 110
        block 117
        block 4
        block 11
        block 18
        block 25
        goto 0
        END
