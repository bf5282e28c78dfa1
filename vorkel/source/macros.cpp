/* macros.cpp - macros: definitions stored as raw body lines, expansions as
   entries of the source stack, their arguments, the replacement of %1..%9,
   %0, %@ and %# in expanded lines, and EXITM. */
#include "source.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "../expr/expr.h"
#include "../frame/frame.h"
#include "../output/output.h"

/* A body line, carved from the pool: its text as read, line end included. */
struct MacroLine {
    MacroLine *next;
    char text[1];
};

/* An argument of one expansion, carved from the pool. */
struct MacroArgument {
    MacroArgument *next;
    char text[1];
};

int32_t macro_serial; /* number the next expansion takes */

void macros_reset()
{
    macro_serial = 1;
}

/* ---- Characters of the calling line ---- */

static bool is_blank(int c)
{
    return c == ' ' || (c >= 9 && c <= 13);
}

static bool is_name_char(int c)
{
    return c == '_' || c == '.' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
           (c >= 'A' && c <= 'Z');
}

static int lower(int c)
{
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

static void skip_blanks_in_line()
{
    while (!abort_flag && current_char != '\n' && is_blank(current_char))
        next_char();
}

/* The arguments and the call end at the end of the line or at a comment. */
static bool ends_arguments(int c)
{
    return c == '\n' || c == 0 || c == ';' || c == -1;
}

/* Whether the rest of the line starts with the word MACRO, in any case. */
static bool rest_is_macro_keyword()
{
    static const char word[] = "macro";
    if (current_char < 0 || lower(current_char) != word[0] || char_pos == nullptr)
        return false;
    for (int i = 1; word[i] != 0; i++)
        if (lower((unsigned char)char_pos[i - 1]) != word[i])
            return false;
    return !is_name_char((unsigned char)char_pos[4]);
}

/* ---- Definition ---- */

template <typename Record> static Record *record_with_text(const char *text, size_t length)
{
    Record *record = (Record *)pool_alloc(offsetof(Record, text) + length + 1);
    if (record == nullptr)
        return nullptr;
    record->next = nullptr;
    memcpy(record->text, text, length);
    record->text[length] = 0;
    return record;
}

/* Reads the first tokens of a definition line past its label; tells whether
   it had one. */
static bool read_line_start()
{
    next_token();
    if (token_kind != TOK_SYMBOL)
        return false;
    next_token();
    if (token_kind == TOK_COLON)
        next_token();
    return true;
}

/* Appends the line in line_buffer to the body; false when the pool is out. */
static bool append_body_line(MacroLine **&tail)
{
    MacroLine *line = record_with_text<MacroLine>(line_buffer, strlen(line_buffer));
    if (line == nullptr)
        return false;
    *tail = line;
    tail = &line->next;
    return true;
}

/* One line after the MACRO line: stored raw unless it ends the definition
   or is an OPT, which acts at once. False when the definition is over. */
static bool definition_line(MacroLine **&tail)
{
    bool labelled = read_line_start();
    if (abort_flag)
        return false;
    switch (token_kind) {
    case TOK_END_OF_INPUT:
    case KW_END:
        fatal("D\xE9" "finition de macro non termin\xE9" "e");
        return false;
    case KW_MACRO:
        fatal("Macro incluse dans une autre");
        return false;
    case KW_ENDM:
        if (labelled)
            error(0, "Label interdit avec ENDM");
        next_token();
        return false;
    case KW_OPT:
        next_token();
        set_listing_option(); /* a refused option is reported; the line is not stored */
        break;
    default:
        if (!append_body_line(tail))
            return false;
    }
    list_line();
    discard_line();
    return true;
}

void define_macro(const char *name)
{
    if (token_kind != TOK_END_OF_LINE && token_kind != TOK_END_OF_INPUT)
        error(0, "Caract\xE8re interdit en fin de ligne");
    discard_line();
    list_line();
    Symbol *macro = symbol_insert(name, false);
    if (macro == nullptr)
        return;
    macro->kind = SYM_MACRO;
    macro->body = nullptr;
    MacroLine **tail = &macro->body;
    while (definition_line(tail)) {
    }
}

/* ---- Call ---- */

/* Reads one argument from the characters of the line: blanks end it, and so
   does a comma outside parentheses; quotes protect everything up to the same
   quote on the line. Its text goes to text, at most 255 characters kept. */
static size_t read_argument(char *text)
{
    size_t length = 0;
    int depth = 0;
    auto take = [&]() {
        if (length < LINE_BUFFER_SIZE - 1)
            text[length++] = (char)current_char;
        next_char();
    };
    while (!abort_flag && !is_blank(current_char) && !ends_arguments(current_char)) {
        int c = current_char;
        if (c == ',' && depth == 0)
            break;
        if (c == '(')
            depth++;
        else if (c == ')')
            depth--;
        take();
        if (c == '"' || c == '\'') {
            while (!abort_flag && current_char != c && current_char != '\n' && current_char != 0 &&
                   current_char != -1)
                take();
            if (current_char == c)
                take();
        }
    }
    return length;
}

/* Reads the arguments of a call into the expansion entry. */
static void read_arguments(SourceContext *entry)
{
    MacroArgument **tail = &entry->arguments;
    char text[LINE_BUFFER_SIZE];
    for (;;) {
        skip_blanks_in_line();
        if (abort_flag || ends_arguments(current_char))
            return;
        size_t length = read_argument(text);
        if (++entry->argument_count > 9)
            warn("Trop de param\xE8tres (9 au maximum) ");
        MacroArgument *argument = record_with_text<MacroArgument>(text, length);
        if (argument == nullptr)
            return;
        *tail = argument;
        tail = &argument->next;
        skip_blanks_in_line();
        if (current_char != ',')
            return;
        next_char();
    }
}

void expand_macro(Symbol *macro)
{
    SourceContext *entry = (SourceContext *)pool_alloc(sizeof(SourceContext));
    if (entry == nullptr)
        return;
    *entry = SourceContext{};
    entry->macro = macro;
    entry->next_line = macro->body;
    entry->serial = macro_serial++;
    entry->kind = SOURCE_MACRO;
    entry->cond_entry = cond_depth;
    read_arguments(entry);
    if (abort_flag)
        return;
    if (!ends_arguments(current_char))
        error(0, "Carat\xE8re interdit en fin de ligne");
    entry->outer = source_top;
    source_top = entry;
    discard_line();
    next_token();
}

void macro_statement(Symbol *macro)
{
    skip_blanks_in_line();
    if (rest_is_macro_keyword())
        error(1, "Multiple d\xE9" "finition de macro '%s'", macro->name);
    else
        expand_macro(macro);
}

/* ---- Expanded lines ---- */

/* Builds an expanded line in line_buffer; past 255 characters it is cut. */
struct ExpandedLine {
    size_t length;
    bool too_long;
};

static void put_text(ExpandedLine *line, const char *text, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        if (line->length == LINE_BUFFER_SIZE - 1) {
            line->too_long = true;
            return;
        }
        line_buffer[line->length++] = text[i];
    }
}

static const MacroArgument *argument_number(const SourceContext *entry, int number)
{
    const MacroArgument *argument = entry->arguments;
    while (argument != nullptr && --number > 0)
        argument = argument->next;
    return argument;
}

/* The replacement of "%" followed by d. */
static void put_replacement(ExpandedLine *line, const SourceContext *entry, char d)
{
    char number[16];
    if (d >= '1' && d <= '9') {
        const MacroArgument *argument = argument_number(entry, d - '0');
        if (argument != nullptr)
            put_text(line, argument->text, strlen(argument->text));
    } else if (d == '0' || d == '@') {
        put_text(line, number, (size_t)snprintf(number, sizeof number, "%03d", (int)entry->serial));
    } else if (d == '#') {
        put_text(line, number, (size_t)snprintf(number, sizeof number, "%d", (int)entry->argument_count));
    } else {
        put_text(line, &d, 1);
    }
}

bool next_expanded_line()
{
    SourceContext *entry = source_top;
    const MacroLine *body = entry->next_line;
    if (body == nullptr)
        return false;
    ExpandedLine line = {0, false};
    for (const char *p = body->text; *p != 0 && !line.too_long; p++) {
        if (*p != '%') {
            put_text(&line, p, 1);
        } else if (p[1] != 0) {
            put_replacement(&line, entry, p[1]);
            p++;
        }
    }
    line_buffer[line.length] = 0;
    entry->next_line = body->next;
    if (line.too_long)
        error(0, "Ligne trop longue");
    return !abort_flag; /* an error that reached the limit ends the input here */
}

void close_expansion()
{
    if (source_top == nullptr || source_top->kind != SOURCE_MACRO)
        return;
    cond_depth = source_top->cond_entry;
    close_source();
}
