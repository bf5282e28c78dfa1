/* driver.cpp - the line driver assemble_source: the shape of a line (name,
   statement, comment), the dispatch of every statement to its owner, the
   directives no other unit owns (INCLUDE, OPT, EXITM, the end keyword, the
   user error message), the listing step and resynchronisation after
   errors, and the closing steps at the end of the source. */
#include <string.h>
#include <strings.h>

#include "source.h"
#include "../codegen/codegen.h"
#include "../expr/expr.h"
#include "../frame/frame.h"
#include "../output/output.h"

Symbol *statement_label;

/* What a statement's handler leaves for the driver. */
enum LineEnd {
    LINE_TO_LIST, /* the statement is complete: the listing step follows */
    LINE_DONE,    /* the handler finished the line: the current token is on a following line */
    LINE_SOURCE_END
};

static char line_name[TOKEN_TEXT_SIZE]; /* the name at the start of the line, or an INCLUDE's file */
static bool line_has_label;             /* the line started with a label (with or without ":") */

/* A handler's 0/-1 (and any error that skipped the rest of the line) as the
   line's end: a failed statement is not listed. */
static LineEnd after_handler(int result, int32_t skips_before)
{
    if (result < 0) {
        if (lines_skipped == skips_before)
            skip_line(); /* the handler reported without leaving the line */
        return LINE_DONE;
    }
    return lines_skipped == skips_before ? LINE_TO_LIST : LINE_DONE;
}

/* ---- Directives of the driver ---- */

/* INCLUDE "file": the line is listed before anything of the file. */
static int include_statement()
{
    if (token_kind != TOK_STRING) {
        error(1, "Nom de fichier manquant apr\xE8s INCLUDE");
        return 0;
    }
    strcpy(line_name, token_text);
    next_token();
    if (token_kind != TOK_END_OF_LINE && token_kind != TOK_END_OF_INPUT)
        error(0, "Caract\xE8re interdit dans la ligne source");
    list_line();
    open_source(line_name);
    next_token();
    return 1;
}

int set_listing_option()
{
    if (token_kind == TOK_SYMBOL) {
        const char *word = token_text;
        if (strcasecmp(word, "nol") == 0 || strcasecmp(word, "nolist") == 0) {
            listing_state = -1;
            next_token();
            return 0;
        }
        if (strcasecmp(word, "l") == 0 || strcasecmp(word, "list") == 0) {
            listing_state = 1;
            next_token();
            return 0;
        }
    }
    error(0, "Erreur de syntaxe sur OPT");
    return -1;
}

/* OPT refused: its line is dropped without listing. */
static int opt_statement()
{
    if (set_listing_option() == 0)
        return 0;
    skip_line();
    return 1;
}

static int exitm_statement()
{
    if (!source_top || source_top->kind != SOURCE_MACRO) {
        error(1, "EXITM hors de la macro");
        return 0;
    }
    close_expansion();
    return 0;
}

static int macro_without_name()
{
    error(1, "MACRO sans nom");
    return 0;
}

static int endm_outside()
{
    error(1, "ENDM hors de la macro");
    return 0;
}

static int equ_set_misplaced()
{
    if (line_has_label)
        error(1, "SET/EQU : erreur de syntaxe");
    else
        error(1, "SET/EQU sans \xE9tiquette");
    return 0;
}

static int variable_statement() { return reserve_variable(statement_label); }
static int local_statement() { local_block_open(); return 0; }
static int endlocal_statement() { local_block_close(); return 0; }

/* Every statement keyword with its handler, called with the keyword
   consumed. Result: 0 the statement is complete, -1 it failed (reported),
   1 the handler has finished the line itself. Anything else is an
   instruction for the encoder. */
static const struct {
    int32_t kind;
    int (*handler)();
} DISPATCH[] = {
    {KW_INCLUDE, include_statement},
    {KW_MACRO, macro_without_name},
    {KW_ENDM, endm_outside},
    {KW_EXITM, exitm_statement},
    {KW_IF, if_statement},
    {KW_ELSE, else_statement},
    {KW_ENDIF, endif_statement},
    {KW_EQU, equ_set_misplaced},
    {KW_SET, equ_set_misplaced},
    {KW_ORG, org_directive},
    {KW_VARIABLE, variable_statement},
    {KW_EEPROM_DATA, store_eeprom_data},
    {KW_CONFIG, config_directive},
    {KW_ID, store_id},
    {KW_OPT, opt_statement},
    {KW_LOCAL, local_statement},
    {KW_ENDLOCAL, endlocal_statement},
};

static LineEnd dispatch(int32_t kind)
{
    int32_t skips_before = lines_skipped;
    for (const auto &row : DISPATCH) {
        if (row.kind == kind) {
            int result = row.handler();
            if (result > 0)
                return LINE_DONE;
            return after_handler(result, skips_before);
        }
    }
    return after_handler(encode_instruction(kind), skips_before);
}

/* The user error message: the rest of the source line after the keyword
   and the blanks that follow it (its line end included). */
static LineEnd user_error()
{
    const char *message = char_pos ? char_pos : "";
    while (*message == ' ' || (*message >= 9 && *message <= 13))
        message++;
    error(1, "%s", message);
    return LINE_DONE;
}

static Symbol *global_macro(const char *name)
{
    Symbol *p = symbol_lookup(name, false);
    return p && p->kind == SYM_MACRO ? p : nullptr;
}

/* ---- The two steps of a line ---- */

static LineEnd statement_step()
{
    if (token_kind == TOK_END_OF_LINE)
        return LINE_TO_LIST;
    if (token_kind == TOK_SYMBOL) {
        if (Symbol *macro = global_macro(token_text)) {
            macro_statement(macro);
            return LINE_DONE;
        }
    }
    if (token_kind == KW_END)
        return LINE_SOURCE_END;
    if (token_kind == KW_ERROR)
        return user_error();
    int32_t kind = token_kind;
    next_token();
    return dispatch(kind);
}

/* A name at the start of a statement: macro call, macro definition, EQU,
   SET, or a label followed by a statement. */
static LineEnd name_step()
{
    bool local = token_kind == TOK_LOCAL_SYMBOL;
    if (local && local_depth == 0) {
        error(1, "Symbole local ext\xE9rieur au bloc");
        return LINE_DONE;
    }
    bool first_column = token_column == 0;
    strcpy(line_name, token_text);
    Symbol *p = symbol_lookup(line_name, local);
    if (p && p->kind == SYM_MACRO) {
        macro_statement(p);
        return LINE_DONE;
    }
    next_token();
    int32_t skips_before = lines_skipped;
    switch (token_kind) {
    case KW_MACRO:
        if (p) {
            error(1, "Symbole d\xE9ja d\xE9" "fini '%s%s'", local ? "=" : "", line_name);
            return LINE_DONE;
        }
        next_token();
        define_macro(line_name);
        return LINE_TO_LIST;
    case KW_EQU:
        return after_handler(define_equ(p, line_name, local), skips_before);
    case KW_SET:
        return after_handler(define_set(p, line_name, local), skips_before);
    case TOK_COLON:
        next_token();
        break;
    default:
        if (!first_column)
            warn("Etiquette hors d\xE9" "but de ligne");
        break;
    }
    define_label(p, line_name, local);
    statement_label = symbol_lookup(line_name, local);
    line_has_label = true;
    if (lines_skipped != skips_before)
        return LINE_DONE;
    return statement_step();
}

/* A line that is not listed (its statement failed) leaves nothing noted
   for the next one. */
static LineEnd one_line()
{
    statement_label = nullptr;
    line_has_label = false;
    line_flags = 0;
    line_word_count = 0;
    if (token_kind == TOK_SYMBOL || token_kind == TOK_LOCAL_SYMBOL)
        return name_step();
    return statement_step();
}

/* The listing step: list the line, drop what the statement left on it. */
static void finish_line()
{
    list_line();
    if (token_kind == TOK_END_OF_INPUT)
        return;
    if (token_kind != TOK_END_OF_LINE)
        discard_line();
    next_token();
}

/* Every open entry closed from the top down, then the checks of the end. */
static void end_of_source()
{
    while (source_top && !abort_flag)
        close_source();
    if (local_depth > 0)
        error(0, "LOCAL sans ENDLOCAL");
    fixups_resolve(global_fixups, false);
}

void assemble_source()
{
    open_source(source_name);
    next_token();
    while (token_kind != TOK_END_OF_INPUT && !abort_flag) {
        LineEnd end = one_line();
        if (end == LINE_SOURCE_END)
            break;
        if (end == LINE_TO_LIST)
            finish_line();
    }
    if (abort_flag) {
        source_reset(); /* the files a fatal error left open are closed */
        return;
    }
    end_of_source();
}
