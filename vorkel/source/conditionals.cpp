/* conditionals.cpp - conditional assembly: IF, ELSE and ENDIF, the depth of
   the blocks being assembled, and the scan that lists a skipped branch
   without interpreting it. */
#include "source.h"

#include "../expr/expr.h"
#include "../frame/frame.h"
#include "../output/output.h"

int32_t cond_depth; /* blocks around the current line whose branch is assembled */

void conditionals_reset()
{
    cond_depth = 0;
}

/* Lists lines up to the ELSE or ENDIF of the current block; the first line
   is read unless its first token is already current. */
static int skip_lines(bool read_first)
{
    lexer_quiet++;
    int nesting = 0;
    int result = -1;
    for (bool read = read_first;; read = true) {
        if (read) {
            discard_line();
            next_token();
        }
        if (abort_flag || token_kind == TOK_END_OF_INPUT)
            break;
        list_line();
        bool labelled = token_kind == TOK_SYMBOL;
        if (labelled) {
            next_token();
            if (token_kind == TOK_COLON)
                next_token();
        }
        if (token_kind == KW_IF) {
            nesting++;
        } else if (token_kind == KW_ENDIF || token_kind == KW_ELSE) {
            if (nesting == 0) {
                result = labelled ? 1 : 0;
                break;
            }
            if (token_kind == KW_ENDIF)
                nesting--;
        } else if (token_kind == KW_END || token_kind == TOK_END_OF_INPUT) {
            break;
        }
    }
    lexer_quiet--;
    return result;
}

int skip_false_block()
{
    return skip_lines(true);
}

static const char *keyword_name(int32_t kind)
{
    return kind == KW_ELSE ? "ELSE" : "ENDIF";
}

static bool block_open_in_entry()
{
    return source_top != nullptr && cond_depth > source_top->cond_entry;
}

/* After a skip: reports what it met, returns false when the source ended. */
static bool check_skip_end(int result)
{
    if (abort_flag)
        return false;
    if (result < 0) {
        fatal("Bloc conditionnel non termin\xE9");
        return false;
    }
    if (result == 1)
        error(0, "Etiquette interdite avec %s", keyword_name(token_kind));
    return true;
}

/* The rest of the ELSE or ENDIF line where a skip stopped is dropped. */
static int end_skipped_line()
{
    discard_line();
    next_token();
    return 1;
}

/* A block whose IF branch is skipped: the lines after an ELSE are assembled. */
static int open_false_block(bool read_first)
{
    if (!check_skip_end(skip_lines(read_first)))
        return 1;
    if (token_kind == KW_ELSE)
        cond_depth++;
    return end_skipped_line();
}

int if_statement()
{
    if (statement_label != nullptr)
        error(0, "Etiquette interdite avec IF");
    int32_t skips_before = lines_skipped;
    int32_t value = eval_expression();
    if (abort_flag)
        return 1;
    /* An unknown condition counts as false, so that the block keeps its
       shape. The IF line is not listed; when its error dropped the rest of
       it, the scan starts at the line now current. */
    if (expression_failed)
        return open_false_block(lines_skipped == skips_before);
    if (token_kind != TOK_END_OF_LINE && token_kind != TOK_END_OF_INPUT)
        error(0, "Caract\xE8re interdit dans une ligne valide");
    if (value != 0) {
        cond_depth++;
        return 0;
    }
    list_line();
    return open_false_block(true);
}

int else_statement()
{
    if (statement_label != nullptr)
        error(0, "Etiquette interdite avec %s", "ELSE");
    if (!block_open_in_entry())
        error(0, "ELSE without IF");
    list_line();
    if (!check_skip_end(skip_false_block()))
        return 1;
    if (token_kind == KW_ELSE)
        error(0, "ELSE multiple avec un seul IF");
    cond_depth--;
    return end_skipped_line();
}

int endif_statement()
{
    if (statement_label != nullptr)
        error(0, "Etiquette interdite avec %s", "ENDIF");
    if (!block_open_in_entry())
        error(0, "ENDIF sans IF");
    cond_depth--;
    return 0;
}
