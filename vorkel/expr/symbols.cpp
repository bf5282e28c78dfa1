/* symbols.cpp - the symbol table, local blocks, label/EQU/SET definitions
   and the fix-ups of forward references. */
#include "expr/expr.h"

Symbol *global_symbols[SYMBOL_CHAINS];
Fixup *global_fixups;
LocalBlock *current_block;
int32_t local_depth;

void symbols_reset() {}
int symbol_hash(const char *) { return 0; }
Symbol *symbol_lookup(const char *, bool) { return nullptr; }
Symbol *symbol_insert(const char *, bool) { return nullptr; }
void local_block_open() {}
void local_block_close() {}
void fixup_add(bool, Symbol *, FixupField) {}
void fixups_resolve(Fixup *, bool) {}
void define_label(Symbol *, const char *, bool) {}
int define_equ(Symbol *, const char *, bool) { return 0; }
int define_set(Symbol *, const char *, bool) { return 0; }
