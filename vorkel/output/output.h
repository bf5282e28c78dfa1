/* output.h - the texts a run hands back: the listing state and list_line,
   the Intel HEX writer and the symbol table report. */
#ifndef VORKEL_OUTPUT_H
#define VORKEL_OUTPUT_H

#include <stdint.h>

/* ---- Listing ---- */

enum ListFlag {
    LIST_ADDRESS = 1, /* show line_address */
    LIST_CODE = 2,    /* show the words of program_image from line_address */
    LIST_VALUE = 4,   /* show line_value instead of an address */
    LIST_WORDS = 8    /* show the words at line_words */
};

extern int32_t listing_state;      /* 1 on, 0 off, -1 this line then off */
extern int32_t listing_line_count;
extern uint16_t line_flags;
extern int32_t line_address;
extern int32_t line_value;
extern const uint16_t *line_words;
extern int32_t line_word_count;

void listing_reset();
void list_line();

/* ---- Intel HEX ---- */

void hex_record(int count, int32_t word_address, const uint16_t *words);
void write_hex();

/* ---- Symbol table report ---- */

void write_symbol_report();

#endif
