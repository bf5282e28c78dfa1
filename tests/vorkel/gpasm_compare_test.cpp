/* gpasm_compare_test.cpp - the instruction encoder against an independent
   assembler: generated programs exercise all 37 instructions over their
   operand ranges, are assembled by Vorkel and by gpasm -p16f84, and must
   give the same program words. Only syntax is translated (the header line
   gpasm needs); numbers are written in hexadecimal with 0x, which both read. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"
#include "reference_tools.h"

namespace {

std::string hex(int value)
{
    char text[16];
    snprintf(text, sizeof text, value < 0 ? "-0x%X" : "0x%X", value < 0 ? -value : value);
    return text;
}

/* One statement per instruction, every operand combination of each mnemonic. */
std::vector<std::string> generated_statements()
{
    std::vector<std::string> out;
    const char *byte_oriented[] = {"addwf", "andwf", "comf", "decf", "decfsz", "incf",
                                   "incfsz", "iorwf", "movf", "rlf", "rrf", "subwf", "swapf", "xorwf"};
    const char *bit_oriented[] = {"bcf", "bsf", "btfsc", "btfss"};
    const char *literal[] = {"addlw", "andlw", "iorlw", "movlw", "retlw", "sublw", "xorlw"};
    const char *no_operand[] = {"clrw", "clrwdt", "nop", "option", "retfie", "return", "sleep"};
    for (const char *m : byte_oriented)
        for (int f = 0; f < 128; ++f)
            for (int d = 0; d < 2; ++d)
                out.push_back(std::string(m) + " " + hex(f) + ", " + hex(d));
    for (const char *m : bit_oriented)
        for (int f = 0; f < 128; ++f)
            for (int b = 0; b < 8; ++b)
                out.push_back(std::string(m) + " " + hex(f) + ", " + hex(b));
    for (const char *m : literal)
        for (int k = -128; k < 256; ++k)
            out.push_back(std::string(m) + " " + hex(k));
    for (const char *m : {"goto", "call"})
        for (int k = 0; k < 1024; ++k)
            out.push_back(std::string(m) + " " + hex(k));
    for (const char *m : {"clrf", "movwf"})
        for (int f = 0; f < 128; ++f)
            out.push_back(std::string(m) + " " + hex(f));
    for (const char *m : no_operand)
        out.push_back(m);
    for (int f = 5; f <= 7; ++f)
        out.push_back("tris " + hex(f));
    return out;
}

/* Program words from an Intel HEX text: data records below byte address
   0x800 (program memory), little-endian words; unwritten words 0x3FFF. */
std::vector<uint16_t> program_words_of_hex(const std::string &text)
{
    std::vector<uint16_t> words(PROGRAM_WORDS, 0x3FFF);
    std::istringstream in(text);
    std::string line;
    uint32_t base = 0;
    while (std::getline(in, line)) {
        if (line.size() < 11 || line[0] != ':')
            continue;
        auto byte_at = [&](size_t i) { return (uint32_t)std::stoul(line.substr(1 + 2 * i, 2), nullptr, 16); };
        uint32_t count = byte_at(0), address = (byte_at(1) << 8) | byte_at(2), type = byte_at(3);
        if (type == 4)
            base = ((byte_at(4) << 8) | byte_at(5)) << 16;
        if (type != 0)
            continue;
        for (uint32_t i = 0; i + 1 < count; i += 2) {
            uint32_t byte_address = base + address + i;
            if (byte_address < 2 * PROGRAM_WORDS)
                words[byte_address / 2] = (uint16_t)(byte_at(4 + i) | (byte_at(5 + i) << 8));
        }
    }
    return words;
}

/* Program words of body as gpasm assembles it in folder, its messages
   suppressed; none when gpasm fails. */
std::vector<uint16_t> gpasm_words(const std::string &folder, const std::string &body)
{
    write_text_file(folder + "/p.asm", " processor 16f84\n" + body + " end\n");
    if (run_tool(folder, "gpasm -p16f84 -q -w 2 p.asm").status != 0)
        return {};
    return program_words_of_hex(read_text_file(folder + "/p.hex"));
}

/* The bits of a word the device defines: CLRW's low seven bits are
   don't-care (gpasm fills them with 3, this kit with 0). */
uint16_t defined_bits(const std::string &statement, uint16_t word)
{
    return statement == "clrw" ? word & 0x3F80 : word;
}

bool gpasm_available(const std::string &folder) { return run_tool(folder, "gpasm -v").status == 0; }

TEST(GpasmComparison, EveryInstructionOverItsOperandRanges)
{
    ScratchFolder scratch("gpasm_compare");
    const std::string &folder = scratch.path;
    if (!gpasm_available(folder))
        GTEST_SKIP() << "gpasm is not installed";

    std::vector<std::string> statements = generated_statements();
    ASSERT_GT(statements.size(), 10000u);
    for (size_t first = 0; first < statements.size(); first += PROGRAM_WORDS) {
        std::string body = " org 0x0\n";
        size_t last = std::min(statements.size(), first + PROGRAM_WORDS);
        for (size_t i = first; i < last; ++i)
            body += " " + statements[i] + "\n";

        auto vorkel = assemble(body + " END\n");
        ASSERT_EQ(vorkel.messages, "") << "program from statement " << first;
        std::vector<uint16_t> reference = gpasm_words(folder, body);
        ASSERT_EQ(reference.size(), (size_t)PROGRAM_WORDS) << "gpasm failed on program from statement " << first;
        for (size_t a = 0; a < PROGRAM_WORDS; ++a) {
            std::string statement = first + a < last ? statements[first + a] : "(empty)";
            EXPECT_EQ(defined_bits(statement, vorkel.program[a]), defined_bits(statement, reference[a]))
                << statement << " at " << a;
        }
    }
}

} // namespace
