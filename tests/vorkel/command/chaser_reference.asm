; chaser_reference.asm - chaser.asm written for the reference assembler
        list p=16f84, r=dec
        __config 0x3FF1
STATUS  EQU 0x03
PORTB   EQU 0x06
TRISB   EQU 0x86
RP0     EQU 5
C       EQU 0
F       EQU 1
count_ms EQU 0x0C
count_us EQU 0x0D
DELAY   EQU 200
        ORG 0
start:  bsf STATUS, RP0
        clrf TRISB & 0x7F
        bcf STATUS, RP0
        movlw 1
        movwf PORTB
loop:   call wait
        bcf STATUS, C
        rlf PORTB, F
        btfsc STATUS, C
        bsf PORTB, 0
        goto loop
wait:   movlw DELAY
        movwf count_ms
one_ms: movlw 249
        movwf count_us
inner:  nop
        decfsz count_us, F
        goto inner
        decfsz count_ms, F
        goto one_ms
        return
        END
