/* disasm.h - the disassembler: program_image back into assembler text. */
#ifndef VORKEL_DISASM_H
#define VORKEL_DISASM_H

#include <stdint.h>

#include "../frame/frame.h"

/* Writes the disassembly of image (1024 words) into text from its start. */
void write_disassembly(TextBuffer *text, const uint16_t *image);

#endif
