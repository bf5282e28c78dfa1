; chenillard.asm - chenillard de huit LED sur le port B d'un PIC16F84
; Quartz 4 MHz : une LED s'allume a son tour toutes les 200 ms environ.

        INCLUDE "p16f84.inc"

        CONFIG OSC=XT, WDT=off, PWRT=on, CP=off

RAPIDE  EQU 0           ; 1 : une LED toutes les 100 ms au lieu de 200

; ---- Macro : acces aux registres de la banque 1 (TRISB)
banque1 MACRO
        bsf STATUS, RP0
        ENDM

; ---- Variables, dans la RAM a partir de 0x0C
        ORG 0x0C, zreg
compte_ms  RES 1        ; millisecondes restant a attendre
compte_us  RES 1        ; tours de la boucle interne

; ---- Programme
        ORG 0, zprog
debut:
        banque1                 ; pour TRISB
        clrf TRISB & 0x7F       ; port B entier en sortie
        bcf STATUS, RP0         ; banque 0
        movlw 1
        movwf PORTB             ; premiere LED allumee

boucle: call attente            ; defini plus bas
        bcf STATUS, C
        rlf PORTB, F            ; la LED suivante
        btfsc STATUS, C         ; la huitieme vient de s'eteindre ?
        bsf PORTB, 0            ; on repart de la premiere
        goto boucle

; ---- attente : DUREE millisecondes (W et les compteurs sont modifies)
attente:
        movlw DUREE             ; DUREE est definie apres
        movwf compte_ms
une_ms: movlw 249               ; 249 tours de 4 cycles, plus l'appel : 1 ms
        movwf compte_us
tour:   nop
        decfsz compte_us, F
        goto tour
        decfsz compte_ms, F
        goto une_ms
        return

        IF RAPIDE
DUREE   EQU 100
        ELSE
DUREE   EQU 200
        ENDIF

        END
