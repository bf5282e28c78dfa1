/* config.cpp - the words outside program memory: CONFIG builds the
   configuration word from named settings, the ID directive fills the four
   ID location words. */
#include "codegen/codegen.h"

#include <string.h>
#include <strings.h>

#include "expr/expr.h"
#include "frame/frame.h"
#include "output/output.h"
#include "source/source.h"

enum { CONFIG_WORD_ABSENT = 0xFFFF, ID_ABSENT = 0xFFFF, ID_UNUSED = 0x3FFF };

/* ORDER SETTINGS: the index selects the setting's rule in apply_setting. */
enum Setting { SET_OSC, SET_WDT, SET_CP, SET_PWRT, SET_MCLR, SET_BOD, SET_MPE };
static const char *const setting_names[] = {"OSC", "WDT", "CP", "PWRT", "MCLR", "BOD", "MPE", nullptr};

/* The oscillator's index is its OSC bit pair; names from INTRC on exist on
   other devices only. */
enum { OSC_ACCEPTED = 4 };
static const char *const oscillator_names[] = {
    "LP", "XT", "HS", "RC", "INTRC", "INTRC_CLKOUT", "EXTRC", "EXTRC_CLKOUT", "IN", nullptr};

static const char *const yes_words[] = {"oui", "yes", "on", nullptr};
static const char *const no_words[] = {"non", "no", "off", nullptr};

static const char config_syntax_error[] = "CONFIG : Erreur de syntaxe";

int word_index(const char *const *list, const char *word)
{
    for (int i = 0; list[i]; i++)
        if (strcasecmp(list[i], word) == 0)
            return i;
    return -1;
}

static bool has_prefix(const char *word, const char *prefix)
{
    return strncasecmp(word, prefix, strlen(prefix)) == 0;
}

int bool_word(const char *word)
{
    if (word_index(yes_words, word) >= 0 || has_prefix(word, "enable"))
        return 1;
    if (word_index(no_words, word) >= 0 || has_prefix(word, "disable"))
        return 0;
    return -1;
}

/* A yes/no setting: the bits outside keep take on_bits for yes, off_bits
   for no; bits 15 and 14 are outside every keep mask and clear. */
static int apply_switch(const char *value, uint16_t keep, uint16_t on_bits, uint16_t off_bits)
{
    int b = bool_word(value);
    if (b < 0) {
        error(1, "%s", config_syntax_error);
        return -1;
    }
    asm_result.config_word = (asm_result.config_word & keep) | (b ? on_bits : off_bits);
    return 0;
}

static int apply_oscillator(const char *value)
{
    int o = word_index(oscillator_names, value);
    if (o < 0) {
        error(1, "%s", config_syntax_error);
        return -1;
    }
    if (o >= OSC_ACCEPTED) {
        error(1, "Mauvais type d'oscillateur");
        return -1;
    }
    asm_result.config_word = (asm_result.config_word & 0x3FFC) | o;
    return 0;
}

/* One examined setting, its value text in hand. */
static int apply_setting(int setting, const char *value)
{
    switch (setting) {
    case SET_OSC:
        return apply_oscillator(value);
    case SET_WDT:
        return apply_switch(value, 0x3FFB, 4, 0);
    case SET_CP:
        return apply_switch(value, 0x000F, 0, 0x3FF0);
    case SET_PWRT:
        return apply_switch(value, 0x3FF7, 0, 8);
    }
    return 0;
}

static bool examined(int setting)
{
    return setting == SET_OSC || setting == SET_WDT || setting == SET_CP || setting == SET_PWRT;
}

static bool refused(int setting) { return setting == SET_BOD || setting == SET_MPE; }

static bool ends_setting(int32_t kind)
{
    return kind == TOK_COMMA || kind == TOK_END_OF_LINE || kind == TOK_END_OF_INPUT;
}

/* The value of a setting that is not examined (MCLR and names of other
   devices) after "=": whatever tokens run up to the next comma or the line
   end, such as the 1 of FOO = 1, so that such a setting never draws a
   message and never hides the settings after it. */
static int skip_unexamined_value()
{
    if (ends_setting(token_kind)) {
        error(1, "%s", config_syntax_error);
        return -1;
    }
    while (!ends_setting(token_kind) && !abort_flag)
        next_token();
    return 0;
}

/* One setting "name = value" (or "name =value", read as a local symbol);
   0 with the token after the value current, -1 after a reported error. */
static int parse_setting()
{
    char value[TOKEN_TEXT_SIZE];
    if (token_kind != TOK_SYMBOL) {
        error(1, "%s", config_syntax_error);
        return -1;
    }
    int setting = word_index(setting_names, token_text);
    next_token();
    if (token_kind == TOK_LOCAL_SYMBOL) {
        strcpy(value, token_text);
    } else if (token_kind == TOK_ASSIGN) {
        next_token();
        if (!examined(setting) && !refused(setting))
            return skip_unexamined_value();
        if (token_kind != TOK_SYMBOL) {
            error(1, "%s", config_syntax_error);
            return -1;
        }
        strcpy(value, token_text);
    } else {
        error(1, "'=' attendu");
        return -1;
    }
    if (refused(setting)) {
        error(1, setting == SET_BOD ? "BODEN inexistant dans PIC16F84" : "MPEEN inexistant dans PIC16F84");
        return -1;
    }
    if (examined(setting) && apply_setting(setting, value) < 0)
        return -1;
    next_token();
    return 0;
}

/* settings -> setting { ',' setting } */
int parse_config()
{
    for (;;) {
        if (parse_setting() < 0)
            return -1;
        if (token_kind != TOK_COMMA)
            return 0;
        next_token();
    }
}

int config_directive()
{
    if (asm_result.config_word != CONFIG_WORD_ABSENT) {
        error(1, "CONFIG multiple");
        return -1;
    }
    if (parse_config() < 0)
        return -1;
    line_flags |= LIST_WORDS;
    line_words = &asm_result.config_word;
    line_word_count = 1;
    return 0;
}

/* One ID value at position i; -1 when the statement ends here. */
static int store_id_value(int i)
{
    expression_failed = false;
    int32_t v = eval_expression();
    if (expression_failed || abort_flag) {
        /* The evaluator has reported and already dropped the rest of the
           line: dropping once more would lose the next source line. */
        error(0, "Mauvaise expression pour l'identification");
        return -1;
    }
    if (v < 0 || v > 0x3FFF) {
        error(0, "ID trop grand  (14 bits maxi)");
        return 0;
    }
    if (i >= ID_WORDS) {
        error(1, "ID trop long (4 octets maxi)");
        return -1;
    }
    id_words[i] = (uint16_t)v;
    return 0;
}

/* id -> value { ',' value }
   Words 1 to 3 start as unused: a value that is rejected or never given
   must not leave a word of an earlier run in place. */
int store_id()
{
    if (id_words[0] != ID_ABSENT) {
        error(1, "Red\xE9" "finition de l'identification");
        return -1;
    }
    for (int i = 1; i < ID_WORDS; i++)
        id_words[i] = ID_UNUSED;
    for (int i = 0;; i++) {
        if (store_id_value(i) < 0)
            return -1;
        if (token_kind != TOK_COMMA)
            return 0;
        next_token();
    }
}
