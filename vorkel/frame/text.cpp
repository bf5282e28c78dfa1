/* text.cpp - the six bounded texts of the result record: their static
   buffers, appending at the end (text, formatted text, and numbers through
   small digit writers for the hot lines), and what happens when a buffer is
   full.

   Overflow: no append ever writes past capacity - 1, so every text stays
   NUL-terminated inside its buffer. An append that does not fit writes what
   fits and, unless the run has already stopped, stops it with the fatal
   message "Dépassement de capacité du texte <name>". message_text cannot
   lose that line: warnings and errors stop short of its last MESSAGE_RESERVE
   bytes (diagnostics.cpp), which only the fatal line and the totals use. */
#include <stdio.h>
#include <string.h>

#include "frame.h"

static char hex_space[HEX_TEXT_SIZE];
static char listing_space[LISTING_TEXT_SIZE];
static char macro_space[MACRO_NAMES_SIZE];
static char message_space[MESSAGE_TEXT_SIZE];
static char symbol_space[SYMBOL_REPORT_SIZE];
static char file_list_space[FILE_LIST_SIZE];

TextBuffer hex_text = {hex_space, HEX_TEXT_SIZE, 0};
TextBuffer listing_text = {listing_space, LISTING_TEXT_SIZE, 0};
TextBuffer macro_names = {macro_space, MACRO_NAMES_SIZE, 0};
TextBuffer message_text = {message_space, MESSAGE_TEXT_SIZE, 0};
TextBuffer symbol_report = {symbol_space, SYMBOL_REPORT_SIZE, 0};
TextBuffer file_list = {file_list_space, FILE_LIST_SIZE, 0};

/* The name a full text is reported by; none for a caller's own buffer. */
static const char *text_label(const TextBuffer *text)
{
    if (text == &hex_text) return "HEX";
    if (text == &listing_text) return "listing";
    if (text == &macro_names) return "macros";
    if (text == &message_text) return "messages";
    if (text == &symbol_report) return "symboles";
    if (text == &file_list) return "fichiers";
    return nullptr;
}

static void report_overflow(const TextBuffer *text)
{
    const char *label = text_label(text);
    if (label && !abort_flag)
        fatal("D\xE9passement de capacit\xE9 du texte %s", label);
}

void texts_new_run()
{
    text_clear(&hex_text);
    text_clear(&listing_text);
    text_clear(&macro_names);
    text_append(&macro_names, " ");
    text_clear(&message_text);
    text_clear(&symbol_report);
    text_clear(&file_list);
}

void text_clear(TextBuffer *text)
{
    text->length = 0;
    text->data[0] = '\0';
}

void text_append_n(TextBuffer *text, const char *s, size_t n)
{
    size_t room = text->capacity - 1 - text->length;
    size_t take = n < room ? n : room;
    memcpy(text->data + text->length, s, take);
    text->length += (uint32_t)take;
    text->data[text->length] = '\0';
    if (take < n)
        report_overflow(text);
}

void text_append(TextBuffer *text, const char *s)
{
    text_append_n(text, s, strlen(s));
}

/* The digits of value in radix, at least `digits` of them with zeros in
   front, from digit_set, written backwards into the end of room and
   NUL-terminated; their start. */
static const char *digits_of(char (&room)[33], uint32_t value, unsigned radix, int digits, const char *digit_set)
{
    char *p = room + sizeof room - 1;
    *p = '\0';
    do {
        *--p = digit_set[value % radix];
        value /= radix;
    } while (value != 0);
    while (p > room && room + sizeof room - 1 - p < digits)
        *--p = '0';
    return p;
}

/* room's digits from start on, without measuring them again. */
static void append_digits(TextBuffer *text, const char (&room)[33], const char *start)
{
    text_append_n(text, start, (size_t)(room + sizeof room - 1 - start));
}

void text_append_hex(TextBuffer *text, uint32_t value, int digits)
{
    char room[33];
    append_digits(text, room, digits_of(room, value, 16, digits, "0123456789ABCDEF"));
}

void text_append_decimal(TextBuffer *text, uint32_t value, int digits)
{
    char room[33];
    append_digits(text, room, digits_of(room, value, 10, digits, "0123456789"));
}

void text_append_left(TextBuffer *text, const char *s, size_t width)
{
    static const char BLANKS[] = "                ";
    size_t n = strlen(s);
    text_append_n(text, s, n);
    for (; n < width; n += sizeof BLANKS - 1)
        text_append_n(text, BLANKS, width - n < sizeof BLANKS - 1 ? width - n : sizeof BLANKS - 1);
}

void text_append_hex_left(TextBuffer *text, uint32_t value, size_t width)
{
    char room[33];
    text_append_left(text, digits_of(room, value, 16, 1, "0123456789abcdef"), width);
}

void text_vprintf(TextBuffer *text, const char *format, va_list args)
{
    size_t room = text->capacity - 1 - text->length;
    int n = vsnprintf(text->data + text->length, room + 1, format, args);
    if (n < 0) {
        text->data[text->length] = '\0';
        return;
    }
    if ((size_t)n <= room) {
        text->length += (uint32_t)n;
        return;
    }
    text->length += (uint32_t)room; /* vsnprintf wrote what fits and the NUL */
    report_overflow(text);
}

void text_printf(TextBuffer *text, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    text_vprintf(text, format, args);
    va_end(args);
}
