/* symbol_report.cpp - the symbol table report: the global symbols in name
   order with their values or definition places, and the macro names text. */
#include "output/output.h"

#include <string.h>

#include "expr/expr.h"
#include "frame/frame.h"

/* Byte order of unsigned characters, a prefix first: what strcmp gives. */
static bool name_before_or_equal(const Symbol *a, const Symbol *b)
{
    return strcmp(a->name, b->name) <= 0;
}

/* Merges two sorted lists; on equal names the entry of a stays first. */
static Symbol *merge(Symbol *a, Symbol *b)
{
    Symbol *head = nullptr;
    Symbol **tail = &head;
    while (a && b) {
        Symbol **smaller = name_before_or_equal(a, b) ? &a : &b;
        *tail = *smaller;
        tail = &(*smaller)->next;
        *smaller = (*smaller)->next;
    }
    *tail = a ? a : b;
    return head;
}

/* A stable merge sort of a list relinked through next, in the order that
   inserting each entry after the last one not greater than it would give. */
static Symbol *sort_by_name(Symbol *list)
{
    if (!list || !list->next)
        return list;
    Symbol *slow = list, *fast = list->next;
    while (fast && fast->next) {
        slow = slow->next;
        fast = fast->next->next;
    }
    Symbol *second = slow->next;
    slow->next = nullptr;
    return merge(sort_by_name(list), sort_by_name(second));
}

/* The global chains joined into one list, chain 0 first, each from its head.
   The hash chains are consumed: nothing looks a symbol up afterwards. */
static Symbol *collect_globals()
{
    Symbol *head = nullptr;
    Symbol **tail = &head;
    for (int c = 0; c < SYMBOL_CHAINS; c++) {
        *tail = global_symbols[c];
        while (*tail)
            tail = &(*tail)->next;
        global_symbols[c] = nullptr;
    }
    return head;
}

/* " <file>/<line>\n": where the entry was created. */
static void report_place(const Symbol *s)
{
    text_append(&symbol_report, " ");
    text_append_decimal(&symbol_report, (uint16_t)s->file, 1);
    text_append(&symbol_report, "/");
    text_append_decimal(&symbol_report, (uint16_t)s->line, 1);
    text_append(&symbol_report, "\n");
}

/* The report's lines are written field by field rather than through the
   format parser, which took a fifth of a run's time. */
static void report_symbol(const Symbol *s)
{
    switch (s->kind) {
    case SYM_MACRO:
        text_append(&macro_names, s->name);
        text_append(&macro_names, " ");
        break;
    case SYM_UNDEFINED:
        text_append_left(&symbol_report, s->name, 15);
        text_append(&symbol_report, " Ind\xE9" "finie ");
        report_place(s);
        break;
    case SYM_DEFINED:
        text_append_left(&symbol_report, s->name, 15);
        text_append(&symbol_report, " ");
        text_append_hex_left(&symbol_report, (uint32_t)s->value, 10);
        report_place(s);
        break;
    case SYM_SET:
        text_append_left(&symbol_report, s->name, 15);
        text_append(&symbol_report, " ???\n");
        break;
    }
}

void write_symbol_report()
{
    Symbol *sorted = sort_by_name(collect_globals());
    text_append(&symbol_report, "Nom             Valeur Texte/Ligne\n\n");
    for (const Symbol *s = sorted; s; s = s->next)
        report_symbol(s);
}
