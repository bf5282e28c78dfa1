/* codegen.h - code generation as the other units see it: the memory images
   and ORG, the instruction encoder, the configuration word and ID words. */
#ifndef VORKEL_CODEGEN_H
#define VORKEL_CODEGEN_H

#include <stdint.h>

#include "../vorkel.h"

/* ---- Images and ORG ---- */

extern uint16_t program_image[PROGRAM_WORDS];
extern uint16_t eeprom_image[EEPROM_BYTES];
extern uint16_t line_table[PROGRAM_WORDS];
extern uint8_t file_table[PROGRAM_WORDS];
extern uint16_t id_words[ID_WORDS];
/* config_word and the variables table are fields of asm_result (frame.h). */

enum OrgMode { ORG_UNDECIDED = 0, ORG_PROGRAM = 1, ORG_REGISTERS = 2, ORG_DATA = 3 };

extern int32_t org_mode; /* OrgMode */
extern int32_t pending_org;
extern int32_t program_counter;
extern int32_t register_counter;
extern int32_t data_counter;

void images_reset();  /* program_image, eeprom_image, file_table, variables, config, ID */
void org_reset();
int32_t current_location();
void set_current_location(int32_t value);
int org_mode_word();
void emit_word(uint16_t word);
void emit_eeprom_byte(int32_t byte);

/* Directives, keyword consumed; 0 success, -1 failure (reported). */
int org_directive();
int store_eeprom_data();
int reserve_variable(const struct Symbol *label);

/* ---- Instruction encoder ---- */

int encode_instruction(int32_t kind);
int encode_literal_operand(uint16_t base);

/* ---- CONFIG and ID ---- */

int config_directive();
int parse_config();
int word_index(const char *const *list, const char *word);
int bool_word(const char *word);
int store_id();

#endif
