/* listing.cpp - list_line and the listing state: one listing line per
   listed source line with its file, line and listing numbers, the address
   and code (or value) the line produced and its text, plus one continuation
   line per further stored word. The columns go through the digit writers of
   text.cpp: these lines are most of the text a run writes. */
#include <string.h>

#include "output.h"
#include "../codegen/codegen.h"
#include "../frame/frame.h"
#include "../source/source.h"

int32_t listing_state;      /* 1 listed, 0 not, -1 this line then off (OPT nolist) */
int32_t listing_line_count; /* listing lines written for source lines in the run */
uint16_t line_flags;        /* ListFlag: what the current line produced */
int32_t line_address;       /* address shown for the current line */
int32_t line_value;         /* value shown for an EQU or SET line */
const uint16_t *line_words; /* words shown for a CONFIG line */
int32_t line_word_count;    /* words the current line stored */

void listing_reset()
{
    listing_state = 1;
    listing_line_count = 0;
    line_flags = 0;
    line_word_count = 0;
}

static bool line_is_listed()
{
    return listing_state != 0 && (file_number == 0 || (run_options & OPT_LIST_INCLUDES));
}

/* The next word of the line: from program_image at line_address, or from
   line_words, which moves on. */
static uint16_t next_line_word(int32_t address)
{
    if (line_flags & LIST_CODE)
        return program_image[(uint32_t)address % PROGRAM_WORDS];
    return *line_words++;
}

/* The listing line number and its two blanks. */
static void write_line_number()
{
    text_append_decimal(&listing_text, (uint32_t)listing_line_count, 4);
    text_append(&listing_text, "  ");
}

static void write_address_column()
{
    if (line_flags & LIST_ADDRESS)
        text_append_hex(&listing_text, (uint32_t)line_address, 4);
    else
        text_append(&listing_text, "    ");
}

static void write_source_columns()
{
    if (line_flags & LIST_VALUE) {
        text_append_hex(&listing_text, (uint32_t)line_value, 4);
        text_append(&listing_text, "      ");
    } else {
        write_address_column();
        if (line_flags & (LIST_CODE | LIST_WORDS)) {
            text_append(&listing_text, " ");
            text_append_hex(&listing_text, next_line_word(line_address), line_flags & LIST_CODE ? 4 : 3);
            text_append(&listing_text, " ");
        } else {
            text_append(&listing_text, "      ");
        }
    }
    size_t length = strlen(line_buffer);
    text_append_n(&listing_text, line_buffer, length);
    if (line_buffer[length - 1] != '\n')
        text_append(&listing_text, "\n");
}

/* One line per stored word after the first, under the same listing number. */
static void write_continuation_lines()
{
    if (!(line_flags & (LIST_CODE | LIST_WORDS)))
        return;
    for (int32_t i = 1; i < line_word_count; i++) {
        line_address++;
        write_line_number();
        write_address_column();
        text_append(&listing_text, " ");
        text_append_hex(&listing_text, next_line_word(line_address), 4);
        text_append(&listing_text, "\n");
    }
}

void list_line()
{
    if (abort_flag)
        return;
    if (line_is_listed()) {
        text_append_decimal(&listing_text, file_number, 1);
        text_append(&listing_text, " ");
        text_append_decimal(&listing_text, (uint32_t)file_line, 3);
        text_append(&listing_text, " ");
        listing_line_count++;
        write_line_number();
        if (line_buffer[0] != '\0') {
            write_source_columns();
            write_continuation_lines();
        }
        if (listing_state == -1)
            listing_state = 0;
    }
    line_flags = 0;
    line_word_count = 0;
}
