; chaser.asm - eight LEDs on PORTB, one after the other
        INCLUDE "regs.inc"
        CONFIG OSC=XT, WDT=off, PWRT=on, CP=off
        ORG 0x0C, zreg
count_ms RES 1
count_us RES 1
        ORG 0, zprog
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
DELAY   EQU 200
        END
