/* images.cpp - the memory images (program words, data EEPROM, the variables
   table) and the one ORG mechanism that places into them: the mode, the four
   location counters, the ORG directive, emit_word, emit_eeprom_byte, EEPROM
   data and variable reservations. Nothing is ever written outside an image,
   whatever state an "ORG en conflit" left behind. */
#include <string.h>
#include <strings.h>

#include "codegen/codegen.h"
#include "expr/expr.h"
#include "frame/frame.h"
#include "output/output.h"
#include "source/source.h"

uint16_t program_image[PROGRAM_WORDS]; /* a word, or empty_word */
uint16_t eeprom_image[EEPROM_BYTES];   /* a byte, or 0xFFFF */
uint16_t line_table[PROGRAM_WORDS];    /* file_line of the word's statement */
uint8_t file_table[PROGRAM_WORDS];     /* file_number of the word's statement */
uint16_t id_words[ID_WORDS];           /* written by the ID directive */

int32_t org_mode;         /* OrgMode: the area the location counter addresses */
int32_t pending_org;      /* last ORG address while the area is undecided, or -1 */
int32_t program_counter;  /* next program word address, or -1 */
int32_t register_counter; /* next register file address for variables, or -1 */
int32_t data_counter;     /* next data EEPROM address, or -1 */

enum { REGISTER_FILE_END = 0x50 };

static const char *const ORG_NOT_FOUND = "ORG non trouv\xE9";
static const char *const ORG_CONFLICT = "ORG en conflit";

void images_reset()
{
    for (uint16_t &word : program_image)
        word = empty_word;
    for (uint16_t &entry : eeprom_image)
        entry = 0xFFFF;
    memset(file_table, 0, sizeof file_table);
    asm_result.variable_count = 0;
    asm_result.variable_names[0][0] = '\0';
    asm_result.config_word = 0xFFFF;
    id_words[0] = 0xFFFF;
}

void org_reset()
{
    org_mode = ORG_UNDECIDED;
    pending_org = -1;
    program_counter = -1;
    register_counter = -1;
    data_counter = -1;
    code_generated = false;
}

/* The counter of a decided mode; pending_org while undecided. */
static int32_t *counter_of(int32_t mode)
{
    switch (mode) {
    case ORG_PROGRAM: return &program_counter;
    case ORG_REGISTERS: return &register_counter;
    case ORG_DATA: return &data_counter;
    default: return &pending_org;
    }
}

int32_t current_location() { return *counter_of(org_mode); }

void set_current_location(int32_t value) { *counter_of(org_mode) = value; }

int org_mode_word()
{
    if (strcasecmp(token_text, "zdata") == 0)
        return ORG_DATA;
    if (token_kind != TOK_SYMBOL)
        return ORG_UNDECIDED;
    if (strcasecmp(token_text, "zprog") == 0)
        return ORG_PROGRAM;
    if (strcasecmp(token_text, "zreg") == 0)
        return ORG_REGISTERS;
    return ORG_UNDECIDED;
}

/* ORG <mode word>: resume an area where it was left. */
static void resume_area(int mode)
{
    next_token();
    org_mode = mode;
    pending_org = *counter_of(mode);
    if (pending_org < 0) {
        error(0, ORG_NOT_FOUND);
        org_mode = ORG_UNDECIDED;
    }
}

/* ORG <mode word> | ORG <address> [, <mode word>] */
int org_directive()
{
    if (abort_flag)
        return -1;
    pending_org = -1;
    int mode = org_mode_word();
    if (mode != ORG_UNDECIDED) {
        resume_area(mode);
        return 0;
    }
    int32_t address = eval_expression();
    if (expression_failed)
        return -1;
    if (address < 0 || address >= PROGRAM_WORDS) {
        error(1, "ORG hors m\xE9" "moire");
        return -1;
    }
    pending_org = address;
    org_mode = ORG_UNDECIDED;
    if (token_kind == TOK_COMMA) {
        next_token();
        mode = org_mode_word();
        if (mode != ORG_UNDECIDED) {
            org_mode = mode;
            *counter_of(mode) = address;
        } else {
            error(0, "Mode ORG invalide");
        }
        /* The word after the comma is consumed, but never the line end. */
        if (token_kind != TOK_END_OF_LINE && token_kind != TOK_END_OF_INPUT)
            next_token();
    }
    line_flags |= LIST_ADDRESS;
    line_address = pending_org;
    return 0;
}

static const char *const NO_ORG = "Absence de ORG : Adresse 0 prise par d\xE9" "faut";

void emit_word(uint16_t word)
{
    if (abort_flag)
        return;
    if (org_mode == ORG_UNDECIDED) {
        org_mode = ORG_PROGRAM;
        if (pending_org < 0) {
            warn(NO_ORG);
            pending_org = 0;
        }
        program_counter = pending_org;
    } else if (org_mode != ORG_PROGRAM) {
        error(0, ORG_CONFLICT);
        org_mode = ORG_PROGRAM;
        return;
    }
    if (program_counter < 0) { /* a program area entered through "ORG en conflit" */
        warn(NO_ORG);
        program_counter = 0;
    }
    if (program_counter >= PROGRAM_WORDS) {
        fatal("Adresse hors m\xE9" "moire");
        return;
    }
    if (program_image[program_counter] != empty_word)
        warn("Code \xE9" "cras\xE9 \xE0 0x%x\n", (unsigned)program_counter);
    if (line_word_count == 0) {
        line_flags = LIST_ADDRESS | LIST_CODE;
        line_address = program_counter;
    }
    ++line_word_count;
    line_table[program_counter] = (uint16_t)file_line;
    file_table[program_counter] = file_number;
    program_image[program_counter++] = word;
    code_generated = true;
}

void emit_eeprom_byte(int32_t byte)
{
    if (abort_flag)
        return;
    if (org_mode == ORG_UNDECIDED) {
        org_mode = ORG_DATA;
        data_counter = pending_org;
    } else if (org_mode != ORG_DATA) {
        error(0, ORG_CONFLICT);
        org_mode = ORG_DATA;
        return;
    }
    if (data_counter < 0) { /* no ORG at all, or a data area entered through "ORG en conflit" */
        error(0, ORG_NOT_FOUND);
        data_counter = 0;
        return;
    }
    if (data_counter >= EEPROM_BYTES) {
        fatal("Adresse hors EEPROM");
        return;
    }
    if (eeprom_image[data_counter] < 0x100)
        warn("Donn\xE9" "e en EEPROM \xE9" "cras\xE9" "e \xE0 0x%x\n", (unsigned)data_counter);
    eeprom_image[data_counter++] = (uint16_t)(byte & 0xFF);
    code_generated = true;
}

/* EEPROM data: element { ',' element }, an element a string or a value 0..255 */
int store_eeprom_data()
{
    while (!abort_flag) {
        if (token_kind == TOK_STRING) {
            for (const unsigned char *c = (const unsigned char *)token_text; *c; ++c)
                emit_eeprom_byte(*c);
            next_token();
        } else {
            int32_t value = eval_expression();
            if (expression_failed)
                return -1;
            if (value < 0 || value > 255)
                error(0, "Donn\xE9" "e EEPROM trop grande (8 bits)");
            else
                emit_eeprom_byte(value);
        }
        if (token_kind != TOK_COMMA)
            return 0;
        next_token();
    }
    return -1;
}

/* Records a labelled reservation; the name is cut to its 32-character field. */
static bool record_variable(const Symbol *label, int32_t size)
{
    uint8_t i = asm_result.variable_count;
    if (i >= MAX_VARIABLES) {
        fatal("Trop de variables");
        return false;
    }
    char *field = asm_result.variable_names[i];
    strncpy(field, label->name, VARIABLE_NAME_FIELD - 1);
    field[VARIABLE_NAME_FIELD - 1] = '\0';
    asm_result.variable_addresses[i] = (uint16_t)register_counter;
    asm_result.variable_sizes[i] = (uint16_t)size;
    asm_result.variable_count = (uint8_t)(i + 1);
    return true;
}

/* [label] <keyword> size: reserves size bytes of the register file */
int reserve_variable(const Symbol *label)
{
    if (abort_flag)
        return -1;
    int32_t size = eval_expression();
    if (expression_failed)
        return -1;
    if (org_mode == ORG_UNDECIDED) {
        org_mode = ORG_REGISTERS;
        if (pending_org < 0) {
            error(0, ORG_NOT_FOUND);
            register_counter = 0;
        } else {
            register_counter = pending_org;
        }
    }
    if (org_mode != ORG_REGISTERS) {
        error(0, ORG_CONFLICT);
        return 0;
    }
    if (register_counter >= REGISTER_FILE_END) {
        fatal("Adresse hors 'Register file'");
        return -1;
    }
    if (label && !record_variable(label, size))
        return -1;
    line_flags |= LIST_ADDRESS;
    line_address = register_counter;
    register_counter = (int32_t)((uint32_t)register_counter + (uint32_t)size);
    return 0;
}
