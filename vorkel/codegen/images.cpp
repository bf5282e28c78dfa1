/* images.cpp - the memory images, the location counters and ORG, and the
   storing of program words, EEPROM bytes and variable reservations. */
#include "codegen/codegen.h"

uint16_t program_image[PROGRAM_WORDS];
uint16_t eeprom_image[EEPROM_BYTES];
uint16_t line_table[PROGRAM_WORDS];
uint8_t file_table[PROGRAM_WORDS];
uint16_t id_words[ID_WORDS];

int32_t org_mode;
int32_t pending_org;
int32_t program_counter;
int32_t register_counter;
int32_t data_counter;

void images_reset() {}
void org_reset() {}
int32_t current_location() { return -1; }
void set_current_location(int32_t) {}
int org_mode_word() { return 0; }
void emit_word(uint16_t) {}
void emit_eeprom_byte(int32_t) {}
int org_directive() { return 0; }
int store_eeprom_data() { return 0; }
int reserve_variable(const Symbol *) { return 0; }
