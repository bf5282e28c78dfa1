/* evaluator.cpp - the expression evaluator: recursive descent over the
   lexer's tokens to a signed 32-bit value that wraps, with bit lists, the
   location symbols and the four built-in functions.

   Every failure reports its error with the skip flag, sets
   expression_failed and stops every level from reading further tokens. */
#include <string.h>

#include "codegen/codegen.h"
#include "expr/expr.h"
#include "frame/frame.h"
#include "source/source.h"

bool expression_failed;     /* set by every failure, with its reported error */
char string_scratch[256];   /* first string argument of a function call */

/* Arithmetic is done on uint32_t so that it wraps without undefined behaviour. */
static int32_t wrap(uint32_t v) { return (int32_t)v; }

static int32_t fail(const char *message)
{
    error(1, "%s", message);
    expression_failed = true;
    return 0;
}

/* Consumes the current token when it is `kind`; otherwise fails with message. */
static bool expect(int32_t kind, const char *message)
{
    if (token_kind != kind) {
        fail(message);
        return false;
    }
    next_token();
    return true;
}

/* The two operations whose quotient may not fit: -2147483648 / -1 yields
   -2147483648 (the wrapped quotient) and % -1 yields 0. */
static int32_t divide(int32_t a, int32_t b)
{
    if (b == -1)
        return wrap(0u - (uint32_t)a);
    return a / b;
}

static int32_t remainder_of(int32_t a, int32_t b)
{
    if (b == -1)
        return 0;
    return a % b;
}

static int32_t shift_right(int32_t a, int32_t count)
{
    count &= 31;
    if (a >= 0)
        return a >> count;
    return ~(~a >> count); /* arithmetic shift, sign bit copied */
}

/* A level goes on combining only while nothing failed: a fatal error met
   while reading the next token leaves an operator current forever. */
static bool evaluating()
{
    return !expression_failed && !abort_flag;
}

/* ---- Primaries ---- */

/* location -> '.' | '$' */
static int32_t eval_location()
{
    int32_t location = current_location();
    if (location < 0)
        return fail("ORG non trouv\xE9" "e");
    next_token();
    return location;
}

/* bitlist -> '[' { expression } ']' */
static int32_t eval_bit_list()
{
    uint32_t mask = 0;
    next_token();
    while (evaluating() && token_kind != TOK_RBRACKET) {
        int32_t n = eval_expression();
        if (expression_failed)
            break;
        if (n < 0 || n > 31)
            return fail("Indice du bit hors intervalle");
        mask |= 1u << n;
    }
    if (expression_failed)
        return 0;
    next_token();
    return wrap(mask);
}

/* symbol -> name | '=' name */
static int32_t eval_symbol()
{
    bool local = token_kind == TOK_LOCAL_SYMBOL;
    if (local && local_depth == 0)
        return fail("Symbole local hors bloc");
    Symbol *s = symbol_lookup(token_text, local);
    if (s == nullptr || s->kind == SYM_UNDEFINED) {
        error(1, "Symbole non d\xE9" "fini '%s%s'", local ? "=" : "", token_text);
        expression_failed = true;
        return 0;
    }
    if (s->kind == SYM_MACRO) {
        error(1, "Mauvaise utilisation de nom de macro '%s'", token_text);
        expression_failed = true;
        return 0;
    }
    next_token();
    return s->value;
}

/* Whether the symbol token names a defined value; no message. A local name
   outside every block counts as not defined. */
static bool symbol_is_defined()
{
    bool local = token_kind == TOK_LOCAL_SYMBOL;
    if (local && local_depth == 0)
        return false;
    Symbol *s = symbol_lookup(token_text, local);
    return s != nullptr && (s->kind == SYM_SET || s->kind == SYM_DEFINED);
}

/* defined -> FN_DEFINED '(' symbol ')' */
static int32_t eval_defined()
{
    next_token();
    if (!expect(TOK_LPAREN, "'(' attendu"))
        return 0;
    if (token_kind != TOK_SYMBOL && token_kind != TOK_LOCAL_SYMBOL)
        return fail("Symbole attendu");
    int32_t result = symbol_is_defined() ? -1 : 0;
    next_token();
    if (!expect(TOK_RPAREN, "')' attendu"))
        return 0;
    return result;
}

/* Reads '(' string ',' into string_scratch, the comma consumed. */
static bool read_first_string()
{
    if (!expect(TOK_LPAREN, "'(' attendu"))
        return false;
    if (token_kind != TOK_STRING) {
        fail("Chaine entre doubles guillemets attendue");
        return false;
    }
    strncpy(string_scratch, token_text, sizeof string_scratch - 1);
    string_scratch[sizeof string_scratch - 1] = '\0';
    next_token();
    return expect(TOK_COMMA, "',' attendu");
}

/* string_equal -> FN_STRING_EQUAL '(' string ',' string ')' */
static int32_t eval_string_equal()
{
    next_token();
    if (!read_first_string())
        return 0;
    if (token_kind != TOK_STRING)
        return fail("Chaine entre doubles guillemets attendue");
    int32_t result = strcmp(string_scratch, token_text) == 0 ? -1 : 0;
    next_token();
    if (!expect(TOK_RPAREN, "')' attendu"))
        return 0;
    return result;
}

/* is_string -> FN_IS_STRING '(' [ anything ] ')' ; the argument is not evaluated */
static int32_t eval_is_string()
{
    next_token();
    if (!expect(TOK_LPAREN, "'(' attendu"))
        return 0;
    if (token_kind == TOK_RPAREN) {
        next_token();
        return 0;
    }
    int32_t result = 0;
    if (token_kind == TOK_STRING) {
        next_token();
        result = -1;
    } else {
        do
            next_token();
        while (!abort_flag && token_kind != TOK_END_OF_INPUT && token_kind != TOK_END_OF_LINE &&
               token_kind != TOK_COMMA && token_kind != TOK_RPAREN);
    }
    if (!expect(TOK_RPAREN, "')' attendu"))
        return 0;
    return result;
}

/* char_at -> FN_CHAR_AT '(' string ',' expression ')' */
static int32_t eval_char_at()
{
    next_token();
    if (!read_first_string())
        return -1;
    int32_t i = eval_expression();
    if (expression_failed)
        return -1;
    int32_t length = (int32_t)strlen(string_scratch);
    int32_t result = (i < 0 || i >= length) ? -1 : (unsigned char)string_scratch[i];
    if (!expect(TOK_RPAREN, "')' attendu"))
        return -1;
    return result;
}

/* primary -> number | location | '(' expression ')' | bitlist | symbol | function */
static int32_t eval_primary()
{
    if (abort_flag)
        return 0;
    switch (token_kind) {
    case TOK_NUMBER: {
        int32_t value = token_value;
        next_token();
        return value;
    }
    case TOK_DOT:
    case TOK_DOLLAR:
        return eval_location();
    case TOK_LPAREN: {
        next_token();
        int32_t value = eval_expression();
        if (!expression_failed)
            expect(TOK_RPAREN, "')' attendu");
        return value;
    }
    case TOK_LBRACKET:
        return eval_bit_list();
    case TOK_SYMBOL:
    case TOK_LOCAL_SYMBOL:
        return eval_symbol();
    case FN_DEFINED:
        return eval_defined();
    case FN_STRING_EQUAL:
        return eval_string_equal();
    case FN_IS_STRING:
        return eval_is_string();
    case FN_CHAR_AT:
        return eval_char_at();
    default:
        return fail("Erreur de syntaxe dans l'expression");
    }
}

/* ---- Operator levels ---- */

/* unary -> [ '-' | '~' ] primary */
static int32_t eval_unary()
{
    if (abort_flag)
        return 0;
    int32_t op = token_kind;
    if (op != TOK_MINUS && op != TOK_TILDE)
        return eval_primary();
    next_token();
    int32_t v = eval_primary();
    return op == TOK_MINUS ? wrap(0u - (uint32_t)v) : ~v;
}

/* product -> unary { ('*' | '/' | '%' | '&') unary } */
static int32_t eval_product()
{
    if (abort_flag)
        return 0;
    int32_t a = eval_unary();
    while (evaluating() && (token_kind == TOK_STAR || token_kind == TOK_SLASH ||
                                  token_kind == TOK_PERCENT || token_kind == TOK_AMP)) {
        int32_t op = token_kind;
        next_token();
        int32_t b = eval_unary();
        if (expression_failed)
            break;
        if ((op == TOK_SLASH || op == TOK_PERCENT) && b == 0)
            return fail("Division par zero");
        switch (op) {
        case TOK_STAR: a = wrap((uint32_t)a * (uint32_t)b); break;
        case TOK_SLASH: a = divide(a, b); break;
        case TOK_PERCENT: a = remainder_of(a, b); break;
        default: a &= b; break;
        }
    }
    return a;
}

/* sum -> product { ('+' | '-' | '|' | '^' | '<<' | '>>') product } */
static int32_t eval_sum()
{
    if (abort_flag)
        return 0;
    int32_t a = eval_product();
    while (evaluating() && (token_kind == TOK_PLUS || token_kind == TOK_MINUS ||
                                  token_kind == TOK_BAR || token_kind == TOK_CARET ||
                                  token_kind == TOK_SHL || token_kind == TOK_SHR)) {
        int32_t op = token_kind;
        next_token();
        int32_t b = eval_product();
        if (expression_failed)
            break;
        switch (op) {
        case TOK_PLUS: a = wrap((uint32_t)a + (uint32_t)b); break;
        case TOK_MINUS: a = wrap((uint32_t)a - (uint32_t)b); break;
        case TOK_BAR: a |= b; break;
        case TOK_CARET: a ^= b; break;
        case TOK_SHL: a = wrap((uint32_t)a << (b & 31)); break;
        default: a = shift_right(a, b); break;
        }
    }
    return a;
}

static bool is_comparison(int32_t kind)
{
    return kind == TOK_EQ || kind == TOK_NE || kind == TOK_LT || kind == TOK_LE ||
           kind == TOK_GT || kind == TOK_GE;
}

static bool compare(int32_t op, int32_t a, int32_t b)
{
    switch (op) {
    case TOK_EQ: return a == b;
    case TOK_NE: return a != b;
    case TOK_LT: return a < b;
    case TOK_LE: return a <= b;
    case TOK_GT: return a > b;
    default: return a >= b;
    }
}

/* compare -> sum { ('==' | '<>' | '<' | '<=' | '>' | '>=') sum } */
static int32_t eval_compare()
{
    if (abort_flag)
        return 0;
    int32_t a = eval_sum();
    while (evaluating() && is_comparison(token_kind)) {
        int32_t op = token_kind;
        next_token();
        int32_t b = eval_sum();
        if (expression_failed)
            break;
        a = compare(op, a, b) ? -1 : 0;
    }
    return a;
}

/* expression -> compare */
int32_t eval_expression()
{
    expression_failed = false;
    return eval_compare(); /* an empty expression fails in eval_primary */
}
