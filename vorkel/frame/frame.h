/* frame.h - what the frame of one assembly run shares with every other unit:
   the result record, the run's inputs and options, the bounded texts, the
   memory pool and the three reporting operations. */
#ifndef VORKEL_FRAME_H
#define VORKEL_FRAME_H

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

#include "../vorkel.h"

#if defined(__GNUC__)
#define VK_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define VK_PRINTF(f, a)
#endif

/* A text of the result record: a static buffer appended at its end. No append
   ever writes past capacity - 1; the text stays NUL-terminated. */
struct TextBuffer {
    char *data;        /* start of the static buffer */
    uint32_t capacity; /* bytes of the buffer, the NUL included */
    uint32_t length;   /* bytes written; data[length] is the NUL */
};

void text_clear(TextBuffer *text);
void text_append(TextBuffer *text, const char *s);
void text_append_n(TextBuffer *text, const char *s, size_t n);
void text_printf(TextBuffer *text, const char *format, ...) VK_PRINTF(2, 3);
void text_vprintf(TextBuffer *text, const char *format, va_list args);
/* value with at least `digits` digits, zeros in front: the bytes of "%0*X"
   and "%0*u" without the cost of the format parser on the hot lines. */
void text_append_hex(TextBuffer *text, uint32_t value, int digits);
void text_append_decimal(TextBuffer *text, uint32_t value, int digits);
/* s, then blanks up to width columns: "%-*s"; value in lower-case
   hexadecimal the same way: "%-*x". */
void text_append_left(TextBuffer *text, const char *s, size_t width);
void text_append_hex_left(TextBuffer *text, uint32_t value, size_t width);
/* Start of a run: every text empty, macro_names one blank. */
void texts_new_run();

/* The six texts, in slot order of AsmResult. */
extern TextBuffer hex_text, listing_text, macro_names, message_text, symbol_report, file_list;

/* The record every export returns; its images and tables are set by
   publish_result. config_word and the variables table live in it. */
extern AsmResult asm_result;

/* Inputs of the current asmbl call. */
extern const char *source_name; /* name argument: listing, file_list, messages */
extern const char *source_text; /* main source, CR LF line ends */
extern uint8_t run_options;     /* OPT_* bits */
extern uint16_t empty_word;     /* 0x3FFF, or 0xFFFF with OPT_EMPTY_FFFF */
extern bool code_generated;     /* a program word or EEPROM byte was stored */

/* The pool: 65000 bytes, bumped, reset at the start of every run. On
   exhaustion it reports the fatal "mémoire" and returns nullptr. */
enum { MEMORY_POOL_SIZE = 65000 };
void *pool_alloc(size_t n);
bool pool_create();  /* init_vorkel: false when the block cannot be had */
void pool_release(); /* done */
void pool_rewind();  /* start of a run: the top back at the start */
bool pool_exists();

/* Diagnostics. While abort_flag is set every operation returns at once. */
extern bool abort_flag;
extern int32_t warning_count, error_count;
enum { ERROR_LIMIT = 20 };
void warn(const char *format, ...) VK_PRINTF(1, 2);
void error(int skip, const char *format, ...) VK_PRINTF(2, 3);
void fatal(const char *format, ...) VK_PRINTF(1, 2);
/* Bytes at the end of message_text kept for the fatal line and the totals. */
enum { MESSAGE_RESERVE = 512 };

#endif
