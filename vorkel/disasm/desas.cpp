/* desas.cpp - the disassembler: one line per non-empty word of the program
   memory image, with an "org" line before each block that follows empty
   words, CR LF line ends. Keeps no state between calls. */
#include "disasm/disasm.h"

#include "../vorkel.h"

/* ORDER OPCODES: indexed by bits 11..8 of a byte-oriented word. */
static const char *const byte_op_mnemonics[16] = {
    "???",  "clrf", "subwf", "decf",   "iorwf", "andwf", "xorwf", "addwf",
    "movf", "comf", "incf",  "decfsz", "rrf",   "rlf",   "swapf", "incfsz"};

/* ORDER OPCODES: indexed by bits 11..10 of a bit-oriented word. */
static const char *const bit_op_mnemonics[4] = {"bcf", "bsf", "btfsc", "btfss"};

/* ORDER OPCODES: indexed by bits 11..8 of a literal word (0x3000..0x3FFF). */
static const char *const literal_op_mnemonics[16] = {
    "movlw", "movlw", "movlw", "movlw", "retlw", "retlw", "retlw", "retlw",
    "iorlw", "andlw", "xorlw", "???",   "sublw", "sublw", "addlw", "addlw"};

/* The words 0x0000..0x007F that are instructions without a file operand. */
struct ControlWord {
    uint16_t word;
    const char *text;
};
static const ControlWord control_words[] = {
    {0x0000, "nop"},    {0x0020, "nop"},   {0x0040, "nop"},    {0x0060, "nop"},
    {0x0008, "return"}, {0x0009, "retfie"}, {0x0062, "option"}, {0x0063, "sleep"},
    {0x0064, "clrwdt"},
};

static bool is_empty(uint16_t w) { return w >= 0x3FFF; }

static void control_text(TextBuffer *text, uint16_t w)
{
    for (const ControlWord &c : control_words)
        if (c.word == w) {
            text_append(text, c.text);
            return;
        }
    if (w >= 0x0065 && w <= 0x0067)
        text_printf(text, "tris 0x%02X", w & 7);
    else
        text_append(text, "???");
}

/* The decode table, its rows tried from the lowest word range upwards. */
static void instruction_text(TextBuffer *text, uint16_t w)
{
    const char *destination = (w & 0x80) ? "F" : "W";
    if (w < 0x0080)
        control_text(text, w);
    else if (w < 0x0100)
        text_printf(text, "movwf 0x%02X", w & 0x7F);
    else if (w < 0x0180)
        text_append(text, "clrw");
    else if (w < 0x1000)
        text_printf(text, "%s 0x%02X,%s", byte_op_mnemonics[(w >> 8) & 15], w & 0x7F, destination);
    else if (w < 0x2000)
        text_printf(text, "%s 0x%02X,%d", bit_op_mnemonics[(w >> 10) & 3], w & 0x7F, (w >> 7) & 7);
    else if (w < 0x3000)
        text_printf(text, "%s 0x%04X", (w & 0x0800) ? "goto" : "call", w & 0x7FF);
    else
        text_printf(text, "%s 0x%02X", literal_op_mnemonics[(w >> 8) & 15], w & 0xFF);
}

void write_disassembly(TextBuffer *text, const uint16_t *image)
{
    text_clear(text);
    bool new_block = false;
    for (int a = 0; a < PROGRAM_WORDS; a++) {
        uint16_t w = image[a];
        if (is_empty(w)) {
            new_block = true;
            continue;
        }
        if (new_block)
            text_printf(text, "\r\n org %4X ; nouveau bloc\r\n", a);
        new_block = false;
        text_append(text, " ");
        instruction_text(text, w);
        text_printf(text, " ; %04X: %04X", a, w);
        int k = w & 0xFF;
        if (w >= 0x3000 && k >= 0x20 && k <= 0x7E)
            text_printf(text, " '%c'", k);
        text_append(text, "\r\n");
    }
}
