/* lexer.cpp - next_token: the character stream of next_char into tokens.
   Comments, numbers in four radixes and three notations, character and
   string constants, names and local names, operators, and the keywords of
   the caller's list, matched by their position in it. */
#include <string.h>

#include "source.h"
#include "../frame/frame.h"

int32_t token_kind;
char token_text[TOKEN_TEXT_SIZE];
int32_t token_value;
int32_t token_column;
int32_t lexer_quiet;
int32_t lines_skipped;

enum { MAX_TOKEN_CHARS = TOKEN_TEXT_SIZE - 1 };

/* ---- Character classes (codes 128 to 255 belong to none) ---- */

static bool is_blank(int c) { return c == ' ' || (c >= 9 && c <= 13); }
static bool is_letter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
static bool is_digit(int c) { return c >= '0' && c <= '9'; }
static bool is_hex_digit(int c) { return is_digit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
static bool is_name_char(int c) { return is_letter(c) || is_digit(c) || c == '_' || c == '.'; }
static bool starts_name(int c) { return is_letter(c) || c == '_' || c == '.'; }

/* next_char, inline while the line lasts: the lexer takes most characters
   here, and a call for each one was a good part of its time. */
static inline void advance()
{
    if (char_pos && *char_pos && !abort_flag)
        current_char = (unsigned char)*char_pos++;
    else
        next_char();
}

/* The character after current_char, not consumed; 0 at the end of the line. */
static int peek_char()
{
    return char_pos ? (unsigned char)*char_pos : 0;
}

static int column_of_current()
{
    return char_pos ? (int)(char_pos - line_buffer) - 1 : 0;
}

static void set_token(int32_t kind, const char *text)
{
    token_kind = kind;
    strcpy(token_text, text);
}

static void lexer_error(const char *message)
{
    if (lexer_quiet <= 0)
        error(0, "%s", message);
}

/* The offending character stays current: the next call meets it again. */
static void invalid_token()
{
    lexer_error("Instruction invalide");
    set_token(TOK_INVALID, "");
}

void discard_line()
{
    char_pos = nullptr;
    current_char = ' ';
}

void skip_line()
{
    lines_skipped++;
    discard_line();
    next_token();
}

/* ---- Numbers ---- */

static int digit_value(int c)
{
    if (is_digit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 99;
}

/* The digits [first, last) in radix; on a digit the radix refuses, the
   message and the value read so far. The pattern of the unsigned 32-bit
   accumulation is the signed value. */
static void convert_number(const char *first, const char *last, unsigned radix)
{
    uint32_t value = 0;
    for (const char *p = first; p < last; p++) {
        unsigned d = (unsigned)digit_value((unsigned char)*p);
        if (d >= radix) {
            lexer_error("Chiffre invalide dans un nombre");
            break;
        }
        value = value * radix + d;
    }
    token_kind = TOK_NUMBER;
    token_value = (int32_t)value;
}

/* Appends hexadecimal digits of the stream to token_text up to limit characters. */
static size_t collect_hex_digits(size_t n, size_t limit)
{
    while (is_hex_digit(current_char) && n < limit) {
        token_text[n++] = (char)current_char;
        advance();
    }
    token_text[n] = '\0';
    return n;
}

static void read_c_hex_number()
{
    strcpy(token_text, "0x");
    advance();
    advance();
    size_t n = collect_hex_digits(2, MAX_TOKEN_CHARS);
    convert_number(token_text + 2, token_text + n, 16);
}

/* A number that starts with a digit: its radix comes from a suffix (H, O
   read after the run; B, D as its last digit) or the 0b prefix. */
static void read_number()
{
    if (current_char == '0' && (peek_char() == 'x' || peek_char() == 'X')) {
        read_c_hex_number();
        return;
    }
    size_t n = collect_hex_digits(0, MAX_TOKEN_CHARS - 1);
    const char *text = token_text;
    int suffix = current_char;
    if (suffix == 'H' || suffix == 'h' || suffix == 'O' || suffix == 'o') {
        token_text[n] = (char)suffix;
        token_text[n + 1] = '\0';
        advance();
        convert_number(text, text + n, suffix == 'H' || suffix == 'h' ? 16 : 8);
        return;
    }
    if (n >= 2 && text[0] == '0' && (text[1] == 'b' || text[1] == 'B')) {
        convert_number(text + 2, text + n, 2);
        return;
    }
    switch (text[n - 1]) {
    case 'B': case 'b': convert_number(text, text + n - 1, 2); break;
    case 'D': case 'd': convert_number(text, text + n - 1, 10); break;
    default: convert_number(text, text + n, 10); break;
    }
}

static bool is_radix_letter(int c)
{
    switch (c) {
    case 'B': case 'b': case 'D': case 'd': case 'H': case 'h': case 'O': case 'o': return true;
    default: return false;
    }
}

/* B'0101', H'1F', O'17', D'99'. */
static void read_quoted_number()
{
    int letter = current_char;
    advance();
    advance();
    size_t n = collect_hex_digits(0, MAX_TOKEN_CHARS);
    if (current_char != '\'') {
        invalid_token();
        return;
    }
    advance();
    unsigned radix = letter == 'b' || letter == 'B' ? 2 : letter == 'h' || letter == 'H' ? 16
                     : letter == 'o' || letter == 'O' ? 8 : 10;
    convert_number(token_text, token_text + n, radix);
}

/* $1F: hexadecimal; a lone $ is the current location. */
static void read_dollar()
{
    advance();
    if (!is_hex_digit(current_char)) {
        set_token(TOK_DOLLAR, "$");
        return;
    }
    size_t n = collect_hex_digits(0, MAX_TOKEN_CHARS);
    convert_number(token_text, token_text + n, 16);
}

/* ---- Constants ---- */

/* 'A' is 65; a character constant without its closing apostrophe is invalid. */
static void read_character()
{
    advance();
    int value = current_char;
    if (value < 0 || value == '\n') {
        invalid_token();
        return;
    }
    advance();
    if (current_char != '\'') {
        invalid_token();
        return;
    }
    advance();
    token_kind = TOK_NUMBER;
    token_value = value;
    token_text[0] = (char)value;
    token_text[1] = '\0';
}

/* A string runs to the next double quote, over line ends, for at most 255
   characters; the character that ends it is consumed. */
static void read_string()
{
    size_t n = 0;
    advance();
    while (current_char != '"' && current_char != -1 && n < MAX_TOKEN_CHARS) {
        token_text[n++] = (char)current_char;
        advance();
    }
    token_text[n] = '\0';
    if (current_char != '"')
        lexer_error("Chaine non termin\xE9" "e");
    advance();
    token_kind = TOK_STRING;
}

/* ---- Names ---- */

static size_t collect_name(size_t n)
{
    while (is_name_char(current_char) && n < MAX_TOKEN_CHARS) {
        token_text[n++] = (char)current_char;
        advance();
    }
    token_text[n] = '\0';
    return n;
}

/* ---- Keywords ----
   A scan of the caller's list with one case-blind comparison per word was
   most of the lexer's time. lexer_reset indexes the list of the run in an
   open-addressing hash table keyed by the case-folded word: a slot holds a
   position + 1, 0 when empty. Only the first of the words that fold alike is
   indexed, as a scan from the start finds it first. Words past the index's
   room are scanned after a miss. */

enum { KEYWORD_SLOTS = 1024, INDEXED_KEYWORDS = KEYWORD_SLOTS / 2 }; /* at most half full */

static uint16_t keyword_slots[KEYWORD_SLOTS];
static const char *indexed_words[INDEXED_KEYWORDS]; /* word at each indexed position */
static const char *unindexed_words; /* first word past the index, or none */
static int32_t unindexed_position;  /* its position in the list */

static int fold(int c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

static bool same_ignoring_case(const char *a, const char *b)
{
    while (*a && fold((unsigned char)*a) == fold((unsigned char)*b))
        a++, b++;
    return fold((unsigned char)*a) == fold((unsigned char)*b);
}

/* FNV-1a of the case-folded bytes. */
static uint32_t folded_hash(const char *word)
{
    uint32_t h = 2166136261u;
    for (; *word; word++)
        h = (h ^ (uint32_t)fold((unsigned char)*word)) * 16777619u;
    return h;
}

/* The slot of word's folded spelling: the one holding it, or the empty slot
   where it belongs. */
static uint16_t *keyword_slot(const char *word)
{
    uint32_t i = folded_hash(word) & (KEYWORD_SLOTS - 1);
    while (keyword_slots[i] && !same_ignoring_case(indexed_words[keyword_slots[i] - 1], word))
        i = (i + 1) & (KEYWORD_SLOTS - 1);
    return &keyword_slots[i];
}

void lexer_reset()
{
    memset(keyword_slots, 0, sizeof keyword_slots);
    unindexed_words = nullptr;
    const char *word = asm_result.keyword_list;
    if (!word)
        return;
    int32_t k = 0;
    for (; *word && k < INDEXED_KEYWORDS; k++, word += strlen(word) + 1) {
        indexed_words[k] = word;
        uint16_t *slot = keyword_slot(word);
        if (!*slot)
            *slot = (uint16_t)(k + 1);
    }
    if (*word) {
        unindexed_words = word;
        unindexed_position = k;
    }
}

/* Kind of a name: 34 + the position of its first case-blind match in the
   caller's list, else a symbol. */
static int32_t keyword_kind(const char *name)
{
    uint16_t position = *keyword_slot(name);
    if (position)
        return TOK_KEYWORD + position - 1;
    int32_t k = unindexed_position;
    for (const char *word = unindexed_words; word && *word; k++, word += strlen(word) + 1)
        if (same_ignoring_case(word, name))
            return TOK_KEYWORD + k;
    return TOK_SYMBOL;
}

static void read_name()
{
    if (current_char == '.' && !starts_name(peek_char()) && !is_digit(peek_char())) {
        advance();
        set_token(TOK_DOT, ".");
        return;
    }
    token_column = column_of_current();
    collect_name(0);
    token_kind = keyword_kind(token_text);
}

/* ---- Operators ---- */

/* Consumes the current character; if the new one is `second`, consumes it
   too and gives kind `two`. */
static bool followed_by(int second)
{
    advance();
    if (current_char != second)
        return false;
    advance();
    return true;
}

static void read_equals()
{
    int column = column_of_current();
    advance();
    switch (current_char) {
    case '=': advance(); set_token(TOK_EQ, "=="); return;
    case '<': advance(); set_token(TOK_LE, "=<"); return;
    case '>': advance(); set_token(TOK_GE, "=>"); return;
    default: break;
    }
    if (starts_name(current_char)) {
        token_column = column;
        collect_name(0);
        token_kind = TOK_LOCAL_SYMBOL;
        return;
    }
    set_token(TOK_ASSIGN, "=");
}

static void read_less()
{
    advance();
    switch (current_char) {
    case '<': advance(); set_token(TOK_SHL, "<<"); return;
    case '=': advance(); set_token(TOK_LE, "<="); return;
    case '>': advance(); set_token(TOK_NE, "<>"); return;
    default: set_token(TOK_LT, "<"); return;
    }
}

static void read_greater()
{
    advance();
    switch (current_char) {
    case '>': advance(); set_token(TOK_SHR, ">>"); return;
    case '=': advance(); set_token(TOK_GE, ">="); return;
    default: set_token(TOK_GT, ">"); return;
    }
}

static void read_bang()
{
    if (followed_by('='))
        set_token(TOK_NE, "!=");
    else
        invalid_token(); /* the lone "!" has been consumed */
}

/* The one-character tokens. ORDER TOKENS */
static const struct {
    char c;
    int32_t kind;
} SINGLE_TOKENS[] = {
    {'-', TOK_MINUS}, {',', TOK_COMMA}, {'(', TOK_LPAREN}, {')', TOK_RPAREN},
    {'[', TOK_LBRACKET}, {']', TOK_RBRACKET}, {'+', TOK_PLUS}, {'*', TOK_STAR},
    {'/', TOK_SLASH}, {'%', TOK_PERCENT}, {'&', TOK_AMP}, {'|', TOK_BAR},
    {'^', TOK_CARET}, {'~', TOK_TILDE}, {':', TOK_COLON}, {'\\', TOK_BACKSLASH},
};

static bool read_single()
{
    for (const auto &single : SINGLE_TOKENS) {
        if (current_char == single.c) {
            char text[2] = {single.c, '\0'};
            set_token(single.kind, text);
            advance();
            return true;
        }
    }
    return false;
}

/* ---- next_token ---- */

static void skip_blanks_and_comment()
{
    for (;;) {
        while (!abort_flag && is_blank(current_char) && current_char != '\n')
            advance();
        bool comment = current_char == ';' || (current_char == '/' && peek_char() == '/');
        if (!comment || abort_flag)
            return;
        char_pos = nullptr;
        current_char = '\n';
    }
}

void next_token()
{
    if (abort_flag)
        return;
    skip_blanks_and_comment();
    int c = current_char;
    if (c == -1) {
        set_token(TOK_END_OF_INPUT, "");
    } else if (c == '\n' || c == 0) {
        set_token(TOK_END_OF_LINE, "\n");
        discard_line();
    } else if (c == '\'') {
        read_character();
    } else if (c == '"') {
        read_string();
    } else if (is_digit(c)) {
        read_number();
    } else if (is_radix_letter(c) && peek_char() == '\'') {
        read_quoted_number();
    } else if (starts_name(c)) {
        read_name();
    } else if (c == '=') {
        read_equals();
    } else if (c == '<') {
        read_less();
    } else if (c == '>') {
        read_greater();
    } else if (c == '!') {
        read_bang();
    } else if (c == '$') {
        read_dollar();
    } else if (!read_single()) {
        invalid_token();
    }
}
