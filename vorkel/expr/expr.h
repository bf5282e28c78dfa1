/* expr.h - expressions and symbols as the other units see them: the
   evaluator, the symbol table with its local blocks, and the fix-ups of
   forward references. */
#ifndef VORKEL_EXPR_H
#define VORKEL_EXPR_H

#include <stdint.h>

/* ---- Evaluator ---- */

extern bool expression_failed; /* set by every failure, with its reported error */

int32_t eval_expression();

/* ---- Symbol table ---- */

enum SymbolKind { SYM_MACRO = 0, SYM_UNDEFINED = 1, SYM_SET = 2, SYM_DEFINED = 3 };

struct MacroLine;

/* One symbol, carved from the pool with room for its name. */
struct Symbol {
    Symbol *next;     /* next entry of the same chain */
    int32_t value;    /* value of a label, EQU or SET symbol */
    MacroLine *body;  /* a macro's first body line */
    uint16_t line;    /* file_line when the entry was created */
    int16_t file;     /* file_number when the entry was created */
    int8_t kind;      /* SymbolKind */
    char name[1];     /* NUL-terminated, up to 255 characters */
};

enum { SYMBOL_CHAINS = 127 };

enum FixupField { FIX_ADDR11, FIX_LIT8 };

struct Fixup {
    Fixup *next;
    Symbol *symbol;  /* the symbol referenced */
    int32_t address; /* program address of the word to patch */
    int32_t field;   /* FixupField */
};

struct LocalBlock {
    LocalBlock *enclosing;          /* block this one is nested in, or none */
    Fixup *fixups;                  /* fix-ups of the block's local symbols */
    Symbol *chains[SYMBOL_CHAINS];
};

extern Symbol *global_symbols[SYMBOL_CHAINS];
extern Fixup *global_fixups;
extern LocalBlock *current_block;
extern int32_t local_depth;

void symbols_reset();
int symbol_hash(const char *name);
Symbol *symbol_lookup(const char *name, bool local);
Symbol *symbol_insert(const char *name, bool local);
void local_block_open();
void local_block_close();
void fixup_add(bool local, Symbol *symbol, FixupField field);
void fixups_resolve(Fixup *list, bool local);

/* Statements that start with a name; p is the looked-up entry or none. */
void define_label(Symbol *p, const char *name, bool local);
int define_equ(Symbol *p, const char *name, bool local); /* 0, or -1 when the expression failed */
int define_set(Symbol *p, const char *name, bool local);

#endif
