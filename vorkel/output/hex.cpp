/* hex.cpp - the Intel HEX text of a run: program memory, ID words,
   configuration word and data EEPROM, at the byte addresses of PIC16F84
   programming files (twice the word address). */
#include "output/output.h"

#include "codegen/codegen.h"
#include "frame/frame.h"

enum {
    RECORD_WORDS = 8,          /* at most 16 data bytes per record */
    ID_ADDRESS = 0x2000,       /* word addresses in the programming file */
    CONFIG_ADDRESS = 0x2007,
    EEPROM_ADDRESS = 0x2100,
    EEPROM_UNWRITTEN = 0x100   /* eeprom_image entries from here on are unwritten */
};

void hex_record(int count, int32_t word_address, const uint16_t *words)
{
    unsigned bytes = 2 * count;
    unsigned address = 2 * word_address;
    unsigned sum = bytes + (address >> 8) + address;
    text_append(&hex_text, ":");
    text_append_hex(&hex_text, bytes, 2);
    text_append_hex(&hex_text, address & 0xFFFF, 4);
    text_append(&hex_text, "00");
    for (int i = 0; i < count; i++) {
        unsigned lo = words[i] & 0xFF, hi = words[i] >> 8;
        text_append_hex(&hex_text, lo, 2);
        text_append_hex(&hex_text, hi, 2);
        sum += lo + hi;
    }
    text_append_hex(&hex_text, -sum & 0xFF, 2);
    text_append(&hex_text, "\n");
}

/* Records for the runs of written entries in table[0..size), up to eight
   entries each, never across an unwritten one; entry i goes to word address
   base + i. An EEPROM entry is its byte with a zero high byte. */
static void write_runs(const uint16_t *table, int size, int32_t base, bool (*written)(uint16_t))
{
    uint16_t words[RECORD_WORDS];
    int i = 0;
    while (i < size) {
        if (!written(table[i])) {
            i++;
            continue;
        }
        int n = 0;
        while (n < RECORD_WORDS && i + n < size && written(table[i + n])) {
            words[n] = table[i + n];
            n++;
        }
        hex_record(n, base + i, words);
        i += n;
    }
}

static bool program_word_written(uint16_t w) { return w != empty_word; }
static bool eeprom_entry_written(uint16_t e) { return e < EEPROM_UNWRITTEN; }

void write_hex()
{
    if (abort_flag)
        return;
    write_runs(program_image, PROGRAM_WORDS, 0, program_word_written);
    if (id_words[0] != 0xFFFF)
        hex_record(ID_WORDS, ID_ADDRESS, id_words);
    if (asm_result.config_word != 0xFFFF)
        hex_record(1, CONFIG_ADDRESS, &asm_result.config_word);
    write_runs(eeprom_image, EEPROM_BYTES, EEPROM_ADDRESS, eeprom_entry_written);
    text_append(&hex_text, ":00000001FF\n");
}
