/* source.h - source processing as the other units see it: the source stack
   and line reader, the lexer's current token, the line driver, macros and
   conditional assembly. */
#ifndef VORKEL_SOURCE_H
#define VORKEL_SOURCE_H

#include <stdint.h>
#include <stdio.h>

struct Symbol;

/* ---- Source stack and line reader ---- */

enum SourceKind { SOURCE_FILE = 0, SOURCE_MACRO = 1 };

struct MacroLine;     /* a stored body line (macros.cpp) */
struct MacroArgument; /* an argument of one expansion (macros.cpp) */

/* One entry of the source stack, carved from the pool. */
struct SourceContext {
    SourceContext *outer;     /* entry below, or none */
    FILE *file;               /* file entry: the open file (none for the main source) */
    Symbol *macro;            /* expansion: the macro's symbol */
    char *name;               /* file entry: the name buffer (name + 151 bytes) */
    MacroLine *next_line;     /* expansion: next body line, none when exhausted */
    MacroArgument *arguments; /* expansion: first argument */
    int32_t argument_count;   /* expansion: number of arguments (for %#) */
    int32_t serial;           /* expansion number */
    int32_t kind;             /* SourceKind */
    int32_t line_count;       /* lines delivered from this entry */
    int32_t cond_entry;       /* cond_depth when the entry was pushed */
};

enum { LINE_BUFFER_SIZE = 256 };

extern SourceContext *source_top;   /* entry being read, or none */
extern char line_buffer[LINE_BUFFER_SIZE];
extern char *char_pos;              /* next character, or none: read a new line */
extern int current_char;            /* 0..255, or -1 at the end of the input */
extern int32_t file_nesting_level;  /* files open, the main source included */
extern int32_t file_line;           /* line number in the file being read */
extern uint8_t file_number;         /* number of the file being read, 0 = main */

void source_reset();                /* stack empty, numbering at its start */
void open_source(const char *name);
void close_source();
void next_char();

/* ---- Lexer ---- */

enum TokenKind { /* ORDER TOKENS: values are fixed */
    TOK_INVALID, TOK_END_OF_INPUT, TOK_END_OF_LINE, TOK_COLON, TOK_DOT, TOK_DOLLAR,
    TOK_COMMA, TOK_LPAREN, TOK_RPAREN, TOK_LBRACKET, TOK_RBRACKET, TOK_ASSIGN,
    TOK_EQ, TOK_NE, TOK_LT, TOK_LE, TOK_GT, TOK_GE, TOK_PLUS, TOK_MINUS, TOK_STAR,
    TOK_SLASH, TOK_PERCENT, TOK_AMP, TOK_BAR, TOK_CARET, TOK_TILDE, TOK_SHL,
    TOK_SHR, TOK_BACKSLASH, TOK_SYMBOL, TOK_LOCAL_SYMBOL, TOK_NUMBER, TOK_STRING,
    TOK_KEYWORD /* 34: kind of position 0 of the keyword list */
};

enum KeywordKind { /* ORDER KEYWORDS: position k of keyword_list is kind 34 + k */
    KW_INCLUDE = 34, KW_MACRO, KW_ENDM, KW_EXITM, KW_IF, KW_ELSE, KW_ENDIF,
    KW_EQU, KW_SET, KW_END, KW_ORG, KW_VARIABLE, KW_EEPROM_DATA, KW_CONFIG, KW_ID,
    KW_NO_ROLE, /* 49: no role */
    FN_DEFINED, FN_STRING_EQUAL, FN_IS_STRING, FN_CHAR_AT,
    KW_OPT, KW_LOCAL, KW_ENDLOCAL, KW_ERROR,
    KW_FIRST_MNEMONIC /* 58: addlw; the 37 mnemonics run to 94 */
};
enum { KW_LAST_MNEMONIC = KW_FIRST_MNEMONIC + 36 };

enum { TOKEN_TEXT_SIZE = 256 };

extern int32_t token_kind;
extern char token_text[TOKEN_TEXT_SIZE];
extern int32_t token_value;
extern int32_t token_column;
extern int32_t lexer_quiet;

void lexer_reset(); /* indexes the run's keyword_list */
void next_token();
void discard_line();
void skip_line();
extern int32_t lines_skipped; /* skip_line calls so far: the driver compares it around a handler */

/* ---- Line driver ---- */

extern Symbol *statement_label; /* label of the current line, or none */

void assemble_source();
int set_listing_option(); /* OPT: 0 accepted, -1 refused */

/* ---- Macros ---- */

extern int32_t macro_serial;

void macros_reset();
/* A name followed by MACRO that is not yet a symbol; token after MACRO is current. */
void define_macro(const char *name);
/* A statement starting with a macro name; the character after the name is current.
   Also answers a redefinition attempt ("Multiple définition de macro"). */
void macro_statement(Symbol *macro);
void expand_macro(Symbol *macro);
/* Next line of the expansion on top of the stack into line_buffer; false
   when its body is exhausted. */
bool next_expanded_line();
void close_expansion();      /* EXITM */

/* ---- Conditional assembly ---- */

extern int32_t cond_depth;

void conditionals_reset();
int skip_false_block();
/* IF, ELSE, ENDIF with their keyword consumed. Result 1: the handler listed
   the line itself and the current token is the first of a following line;
   0: the line goes to the driver's listing step. */
int if_statement();
int else_statement();
int endif_statement();

#endif
