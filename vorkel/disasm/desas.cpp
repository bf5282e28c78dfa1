/* desas.cpp - the disassembly of the program memory image. */
#include "disasm/disasm.h"

void write_disassembly(TextBuffer *text, const uint16_t *) { text_clear(text); }
