/* symbols.cpp - the symbol table: the global chains and the stack of LOCAL
   blocks, label, EQU and SET definitions, and the fix-ups that patch forward
   references into program_image at ENDLOCAL and at the end of the source.
   Every record comes from the run's pool and dies with it. */
#include <string.h>

#include "codegen/codegen.h"
#include "expr/expr.h"
#include "frame/frame.h"
#include "output/output.h"
#include "source/source.h"

Symbol *global_symbols[SYMBOL_CHAINS]; /* heads of the global chains */
Fixup *global_fixups;                  /* forward references to global symbols */
LocalBlock *current_block;             /* innermost open LOCAL block, or none */
int32_t local_depth;                   /* number of open LOCAL blocks */

static const char *const ALREADY_DEFINED = "Symbole d\xE9" "ja d\xE9" "fini '%s%s'";

void symbols_reset()
{
    memset(global_symbols, 0, sizeof global_symbols);
    global_fixups = nullptr;
    current_block = nullptr;
    local_depth = 0;
}

int symbol_hash(const char *name)
{
    uint32_t h = 0;
    for (const unsigned char *c = (const unsigned char *)name; *c; ++c)
        h = h * 17u + *c;
    return (int)(h % SYMBOL_CHAINS);
}

/* The chains a lookup or insertion uses; none for a local name outside every block. */
static Symbol **chains_for(bool local)
{
    if (!local)
        return global_symbols;
    return current_block ? current_block->chains : nullptr;
}

Symbol *symbol_lookup(const char *name, bool local)
{
    Symbol **chains = chains_for(local);
    if (abort_flag || chains == nullptr)
        return nullptr;
    for (Symbol *s = chains[symbol_hash(name)]; s; s = s->next)
        if (strcmp(s->name, name) == 0)
            return s;
    return nullptr;
}

Symbol *symbol_insert(const char *name, bool local)
{
    Symbol **chains = chains_for(local);
    if (abort_flag || chains == nullptr)
        return nullptr;
    size_t length = strlen(name);
    Symbol *s = (Symbol *)pool_alloc(sizeof(Symbol) + length);
    if (s == nullptr)
        return nullptr;
    memset(s, 0, sizeof(Symbol));
    memcpy(s->name, name, length + 1);
    s->line = (uint16_t)file_line;
    s->file = (int16_t)file_number;
    s->kind = SYM_UNDEFINED;
    Symbol **head = &chains[symbol_hash(name)];
    s->next = *head;
    *head = s;
    return s;
}

/* ---- LOCAL blocks ---- */

void local_block_open()
{
    if (abort_flag)
        return;
    LocalBlock *block = (LocalBlock *)pool_alloc(sizeof(LocalBlock));
    if (block == nullptr)
        return;
    memset(block, 0, sizeof *block);
    block->enclosing = current_block;
    current_block = block;
    ++local_depth;
}

void local_block_close()
{
    if (abort_flag)
        return;
    if (local_depth == 0) {
        error(1, "ENDLOCAL sans LOCAL");
        return;
    }
    fixups_resolve(current_block->fixups, true);
    current_block = current_block->enclosing;
    --local_depth;
}

/* ---- Fix-ups ---- */

void fixup_add(bool local, Symbol *symbol, FixupField field)
{
    if (abort_flag || symbol == nullptr || (local && current_block == nullptr))
        return;
    if (org_mode == ORG_UNDECIDED) {
        org_mode = ORG_PROGRAM;
        if (pending_org < 0) {
            error(0, "ORG non trouv\xE9");
            program_counter = 0;
            return;
        }
        program_counter = pending_org;
    } else if (org_mode != ORG_PROGRAM) {
        return; /* emit_word refuses the word ("ORG en conflit"): nothing to patch */
    }
    Fixup *f = (Fixup *)pool_alloc(sizeof(Fixup));
    if (f == nullptr)
        return;
    Fixup **list = local ? &current_block->fixups : &global_fixups;
    f->symbol = symbol;
    f->address = program_counter;
    f->field = field;
    f->next = *list;
    *list = f;
}

static void patch(const Fixup *f)
{
    if (f->address < 0 || f->address >= PROGRAM_WORDS)
        return; /* the word was never stored: "Adresse hors mémoire" ended the run */
    uint16_t *word = &program_image[f->address];
    uint32_t value = (uint32_t)f->symbol->value;
    if (f->field == FIX_ADDR11)
        *word = (uint16_t)((*word & 0xF800) | (value & 0x7FF));
    else
        *word = (uint16_t)((*word & 0xFF00) | (value & 0xFF));
}

void fixups_resolve(Fixup *list, bool local)
{
    for (Fixup *f = list; f && !abort_flag; f = f->next) {
        if (f->symbol->kind == SYM_UNDEFINED)
            error(0, "Etiquette non d\xE9" "finie '%s%s'", local ? "=" : "", f->symbol->name);
        else
            patch(f);
    }
}

/* ---- Statements that start with a name ---- */

/* Reports a redefinition when p exists with another kind than `accepted`
   (SYM_UNDEFINED for a label or EQU, SYM_SET for SET), creates the entry when
   p is none; returns the entry to set, or none. */
static Symbol *entry_to_define(Symbol *p, const char *name, bool local, int8_t accepted)
{
    if (p == nullptr)
        return symbol_insert(name, local);
    if (p->kind != accepted)
        error(0, ALREADY_DEFINED, local ? "=" : "", name);
    return p;
}

void define_label(Symbol *p, const char *name, bool local)
{
    if (abort_flag)
        return;
    int32_t location = current_location();
    if (location < 0) {
        /* The label takes the counter's new value, where the next word lands. */
        warn("ORG absent : adresse 0 prise par d\xE9" "faut");
        location = 0;
        set_current_location(0);
    }
    Symbol *s = entry_to_define(p, name, local, SYM_UNDEFINED);
    if (s == nullptr)
        return;
    s->kind = SYM_DEFINED;
    s->value = location;
    line_flags |= LIST_ADDRESS;
    line_address = location;
}

/* EQU and SET: the kind is set before the expression is read, so that
   `n SET n + 1` sees the previous value; a symbol this very statement
   creates reads as 0 there. */
static int define_value(Symbol *p, const char *name, bool local, int32_t keyword, int8_t kind)
{
    if (abort_flag)
        return -1;
    Symbol *s = entry_to_define(p, name, local, kind == SYM_SET ? SYM_SET : SYM_UNDEFINED);
    if (token_kind == keyword)
        next_token();
    if (s == nullptr)
        return -1;
    s->kind = kind;
    int32_t value = eval_expression();
    s->value = value;
    if (expression_failed || abort_flag)
        return -1;
    line_flags |= LIST_VALUE;
    line_value = value;
    return 0;
}

int define_equ(Symbol *p, const char *name, bool local)
{
    return define_value(p, name, local, KW_EQU, SYM_DEFINED);
}

int define_set(Symbol *p, const char *name, bool local)
{
    return define_value(p, name, local, KW_SET, SYM_SET);
}
