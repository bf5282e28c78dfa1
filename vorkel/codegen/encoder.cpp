/* encoder.cpp - the PIC16F84 instruction encoder: one table row per mnemonic
   with its base word and operand rule; each rule reads and checks the
   operands, builds the word and stores it with emit_word. Forward references
   are taken only as the whole operand of GOTO, CALL, MOVLW, ADDLW and RETLW. */
#include "codegen/codegen.h"
#include "expr/expr.h"
#include "frame/frame.h"
#include "source/source.h"

enum OperandRule {
    RULE_NONE,      /* no operand: the base word */
    RULE_BYTE,      /* f [, d] */
    RULE_REGISTER,  /* f, not reduced to 7 bits */
    RULE_BIT,       /* f, b */
    RULE_ADDRESS,   /* k: GOTO and CALL, forward reference allowed */
    RULE_LITERAL,   /* k: MOVLW and ADDLW, forward reference allowed */
    RULE_IMMEDIATE, /* k: the other literal instructions */
    RULE_RETLW,     /* a list of literals and strings */
    RULE_TRIS       /* f in 5..7 */
};

struct Mnemonic {
    uint16_t base;
    uint8_t rule; /* OperandRule */
};

/* ORDER MNEMONICS: row i is keyword kind KW_FIRST_MNEMONIC + i (alphabetical). */
static const Mnemonic MNEMONICS[] = {
    {0x3E00, RULE_LITERAL},   /* addlw */
    {0x0700, RULE_BYTE},      /* addwf */
    {0x3900, RULE_IMMEDIATE}, /* andlw */
    {0x0500, RULE_BYTE},      /* andwf */
    {0x1000, RULE_BIT},       /* bcf */
    {0x1400, RULE_BIT},       /* bsf */
    {0x1800, RULE_BIT},       /* btfsc */
    {0x1C00, RULE_BIT},       /* btfss */
    {0x2000, RULE_ADDRESS},   /* call */
    {0x0180, RULE_REGISTER},  /* clrf */
    {0x0100, RULE_NONE},      /* clrw */
    {0x0064, RULE_NONE},      /* clrwdt */
    {0x0900, RULE_BYTE},      /* comf */
    {0x0300, RULE_BYTE},      /* decf */
    {0x0B00, RULE_BYTE},      /* decfsz */
    {0x2800, RULE_ADDRESS},   /* goto */
    {0x0A00, RULE_BYTE},      /* incf */
    {0x0F00, RULE_BYTE},      /* incfsz */
    {0x3800, RULE_IMMEDIATE}, /* iorlw */
    {0x0400, RULE_BYTE},      /* iorwf */
    {0x3000, RULE_LITERAL},   /* movlw */
    {0x0800, RULE_BYTE},      /* movf */
    {0x0080, RULE_REGISTER},  /* movwf */
    {0x0000, RULE_NONE},      /* nop */
    {0x0062, RULE_NONE},      /* option */
    {0x0009, RULE_NONE},      /* retfie */
    {0x3400, RULE_RETLW},     /* retlw */
    {0x0008, RULE_NONE},      /* return */
    {0x0D00, RULE_BYTE},      /* rlf */
    {0x0C00, RULE_BYTE},      /* rrf */
    {0x0063, RULE_NONE},      /* sleep */
    {0x3C00, RULE_IMMEDIATE}, /* sublw */
    {0x0200, RULE_BYTE},      /* subwf */
    {0x0E00, RULE_BYTE},      /* swapf */
    {0x0060, RULE_TRIS},      /* tris */
    {0x3A00, RULE_IMMEDIATE}, /* xorlw */
    {0x0600, RULE_BYTE},      /* xorwf */
};
static_assert(sizeof MNEMONICS / sizeof MNEMONICS[0] == KW_LAST_MNEMONIC - KW_FIRST_MNEMONIC + 1,
              "one row per mnemonic keyword");

static bool is_literal8(int32_t k) { return k >= -128 && k <= 255; }

static void emit(uint32_t word) { emit_word((uint16_t)word); }

/* A register operand; an address outside the register file is reported and kept. */
static int32_t register_operand()
{
    int32_t f = eval_expression();
    if (!expression_failed && (f < 0 || f > 127))
        error(0, "Adresse hors 'Register file'");
    return f;
}

/* A single symbol not yet defined as the whole operand: records the fix-up
   and stores base with a zero field. Answers 1 when it did so, 0 when the
   operand is an ordinary expression, -1 on failure. */
static int forward_reference(uint16_t base, FixupField field, const char *outside_block)
{
    if (token_kind != TOK_SYMBOL && token_kind != TOK_LOCAL_SYMBOL)
        return 0;
    bool local = token_kind == TOK_LOCAL_SYMBOL;
    if (local && local_depth == 0) {
        error(1, "%s", outside_block);
        return -1;
    }
    Symbol *s = symbol_lookup(token_text, local);
    if (s != nullptr && s->kind != SYM_UNDEFINED)
        return 0;
    if (s == nullptr) {
        s = symbol_insert(token_text, local);
        if (s == nullptr)
            return -1;
        s->kind = SYM_UNDEFINED;
    }
    fixup_add(local, s, field);
    next_token();
    emit_word(base);
    return 1;
}

/* f [, d]: any non-zero d selects the register */
static int encode_byte(uint16_t base)
{
    int32_t f = register_operand();
    if (expression_failed)
        return -1;
    int32_t d = 1;
    if (token_kind == TOK_COMMA) {
        next_token();
        d = eval_expression();
        if (expression_failed)
            return -1;
    }
    emit(base | ((uint32_t)f & 0x7F) | (d != 0 ? 0x80 : 0));
    return 0;
}

/* f (CLRF, MOVWF) */
static int encode_register(uint16_t base)
{
    int32_t f = register_operand();
    if (expression_failed)
        return -1;
    emit(base | (uint32_t)f);
    return 0;
}

/* f, b */
static int encode_bit(uint16_t base)
{
    int32_t f = register_operand();
    if (expression_failed)
        return -1;
    if (token_kind != TOK_COMMA) {
        error(1, "',' attendu");
        return -1;
    }
    next_token();
    int32_t b = eval_expression();
    if (expression_failed)
        return -1;
    if (b < 0 || b > 7)
        error(0, "Indice de bit hors intervalle");
    emit(base | (uint32_t)f | ((uint32_t)b << 7));
    return 0;
}

/* k (GOTO, CALL) */
static int encode_address(uint16_t base)
{
    int forward = forward_reference(base, FIX_ADDR11, "Symbole local hors bloc");
    if (forward != 0)
        return forward < 0 ? -1 : 0;
    int32_t k = eval_expression();
    if (expression_failed)
        return -1;
    if (k < 0 || k >= PROGRAM_WORDS)
        error(0, "GOTO/CALL trop long");
    emit(base | ((uint32_t)k & 0x7FF));
    return 0;
}

/* k (ANDLW, IORLW, SUBLW, XORLW): an out-of-range literal is stored all the same */
static int encode_immediate(uint16_t base)
{
    int32_t k = eval_expression();
    if (expression_failed)
        return -1;
    if (!is_literal8(k))
        error(0, "Constante 8 bits trop grande");
    emit(base | ((uint32_t)k & 0xFF));
    return 0;
}

int encode_literal_operand(uint16_t base)
{
    if (abort_flag)
        return -1;
    int forward = forward_reference(base, FIX_LIT8, "Symbole local ext\xE9" "rieur au bloc");
    if (forward != 0)
        return forward < 0 ? -1 : 0;
    int32_t k = eval_expression();
    if (expression_failed)
        return -1;
    if (!is_literal8(k)) {
        error(0, "Constante 8 bits trop grande");
        return -1;
    }
    emit(base | ((uint32_t)k & 0xFF));
    return 0;
}

/* element { ',' element }: a string gives one RETLW per character */
static int encode_retlw(uint16_t base)
{
    for (;;) {
        if (token_kind == TOK_STRING) {
            for (const unsigned char *c = (const unsigned char *)token_text; *c; ++c)
                emit(base | *c);
            next_token();
        } else if (encode_literal_operand(base) != 0) {
            return -1;
        }
        if (abort_flag)
            return -1;
        if (token_kind != TOK_COMMA)
            return 0;
        next_token();
    }
}

/* f in 5..7 */
static int encode_tris(uint16_t base)
{
    int32_t f = eval_expression();
    if (expression_failed)
        return -1;
    if (f < 5 || f > 7)
        error(0, "Adresse invalide pour TRIS");
    emit(base | (uint32_t)f);
    return 0;
}

int encode_instruction(int32_t kind)
{
    if (abort_flag)
        return -1;
    if (kind < KW_FIRST_MNEMONIC || kind > KW_LAST_MNEMONIC) {
        error(1, "Mauvaise syntaxe");
        return -1;
    }
    const Mnemonic &m = MNEMONICS[kind - KW_FIRST_MNEMONIC];
    switch (m.rule) {
    case RULE_BYTE: return encode_byte(m.base);
    case RULE_REGISTER: return encode_register(m.base);
    case RULE_BIT: return encode_bit(m.base);
    case RULE_ADDRESS: return encode_address(m.base);
    case RULE_LITERAL: return encode_literal_operand(m.base);
    case RULE_IMMEDIATE: return encode_immediate(m.base);
    case RULE_RETLW: return encode_retlw(m.base);
    case RULE_TRIS: return encode_tris(m.base);
    default:
        emit_word(m.base);
        return 0;
    }
}
