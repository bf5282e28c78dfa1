/* gpdasm_test.cpp - the disassembly against gpdasm over every word, and the
   assembler over the disassembly of a full image: both ways back to the
   same instruction words. */
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <cstdio>
#include <string>
#include <vector>

#include "disasm/disasm.h"
#include "harness.h"
#include "reference_tools.h"

namespace {

struct Decoded {
    std::string mnemonic;
    std::vector<long> operands;
};

/* An operand as a number: 0x-hexadecimal, decimal, or the destination names
   W and F as 0 and 1. */
long operand_value(const std::string &text)
{
    if (text == "W")
        return 0;
    if (text == "F")
        return 1;
    return std::strtol(text.c_str(), nullptr, 0);
}

/* A mnemonic and its operands from "mnemonic a,b" or "mnemonic a, b". */
Decoded decoded_of(const std::string &instruction)
{
    std::vector<std::string> words = words_of(instruction);
    Decoded d;
    if (words.empty())
        return d;
    d.mnemonic = words[0];
    for (size_t i = 1; i < words.size(); i++)
        d.operands.push_back(operand_value(words[i]));
    return d;
}

std::string disassemble(const std::vector<uint16_t> &image)
{
    static std::vector<char> buffer(LISTING_TEXT_SIZE);
    TextBuffer text{buffer.data(), (uint32_t)buffer.size(), 0};
    write_disassembly(&text, image.data());
    return std::string(text.data, text.length);
}

/* Our lines: " mnemonic operands ; AAAA: WWWW ..." (org lines left out). */
std::map<int, Decoded> parse_ours(const std::string &text)
{
    std::map<int, Decoded> lines;
    for (const std::string &line : words_of(text, "\r\n")) {
        size_t comment = line.find(" ; ");
        unsigned address;
        if (line.compare(0, 5, " org ") == 0 || comment == std::string::npos ||
            std::sscanf(line.c_str() + comment + 3, "%4x:", &address) != 1)
            continue;
        lines[address] = decoded_of(line.substr(0, comment));
    }
    return lines;
}

/* gpdasm's lines: "aaaa:  wwww  mnemonic operands" */
std::map<int, Decoded> parse_gpdasm(const std::string &text)
{
    std::map<int, Decoded> lines;
    for (const std::string &line : words_of(text, "\n")) {
        unsigned address, word;
        int end = 0;
        if (std::sscanf(line.c_str(), "%4x: %4x%n", &address, &word, &end) == 2 && end == 11)
            lines[address] = decoded_of(line.substr(end));
    }
    return lines;
}

/* The two places where the texts show one operand differently: our clrf
   always shows the destination F, which the instruction does not have, and
   gpdasm shows tris with the whole 7-bit field of which the port is the low
   three bits. */
void align_operand_forms(Decoded &ours, Decoded &theirs)
{
    if (ours.mnemonic == "clrf" && ours.operands.size() == 2 && ours.operands[1] == 1)
        ours.operands.pop_back();
    if (theirs.mnemonic == "tris" && theirs.operands.size() == 1)
        theirs.operands[0] &= 7;
}

/* Every word 0x0000..0x3FFE, in sixteen images of 1024 words whose word at
   address a is block * 1024 + a. Where both sides decode an instruction
   (ours not "???", gpdasm's not "dw") mnemonic and operands agree. */
TEST(Gpdasm, EveryWordDecodesAlike)
{
    ScratchFolder scratch("gpdasm");
    const std::string &dir = scratch.path;
    int compared = 0;
    for (int block = 0; block < 16; block++) {
        std::vector<uint16_t> image(PROGRAM_WORDS);
        for (int a = 0; a < PROGRAM_WORDS; a++)
            image[a] = uint16_t(block * PROGRAM_WORDS + a);
        write_text_file(dir + "/words.hex", hex_of_image(image, 0x3FFF));
        ToolRun tool = run_tool(dir, "gpdasm -p16f84 words.hex");
        ASSERT_EQ(tool.status, 0) << tool.output;
        std::map<int, Decoded> theirs = parse_gpdasm(tool.output);
        std::map<int, Decoded> ours = parse_ours(disassemble(image));
        ASSERT_EQ(theirs.size(), block == 15 ? 1023u : 1024u) << tool.output.substr(0, 400);
        for (auto &[address, mine] : ours) {
            Decoded &other = theirs[address];
            if (mine.mnemonic == "???" || other.mnemonic == "dw")
                continue;
            compared++;
            align_operand_forms(mine, other);
            EXPECT_EQ(mine.mnemonic, other.mnemonic) << std::hex << image[address];
            EXPECT_EQ(mine.operands, other.operands) << std::hex << image[address];
        }
    }
    /* gpdasm shows as data only the words without an instruction, clrw other
       than 0x0103, and call and goto past the 1K of program memory. */
    EXPECT_GT(compared, 13500);
}

/* The word the assembler gives for the text that the disassembly shows for
   w: the table shows some groups of words in one form (the nop variants,
   clrw over 0x0100..0x017F, movlw, retlw, sublw and addlw whatever their
   unused bits), which assembles to the group's base word. */
uint16_t canonical(uint16_t w)
{
    if (w == 0x0020 || w == 0x0040 || w == 0x0060)
        return 0x0000;
    if (w >= 0x0100 && w < 0x0180)
        return 0x0100;
    if (w >= 0x3000) {
        static const uint16_t literal_base[16] = {0x3000, 0x3000, 0x3000, 0x3000, 0x3400, 0x3400,
                                                  0x3400, 0x3400, 0x3800, 0x3900, 0x3A00, 0x3B00,
                                                  0x3C00, 0x3C00, 0x3E00, 0x3E00};
        return literal_base[(w >> 8) & 15] | (w & 0xFF);
    }
    return w;
}

/* A word the device runs from 1K of program memory: not one that the
   table shows as "???", not a call or goto past 0x3FF, not the empty word. */
bool valid_instruction(uint16_t w)
{
    if (w < 0x0080) {
        static const uint16_t named[] = {0x00, 0x20, 0x40, 0x60, 0x08, 0x09, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67};
        for (uint16_t n : named)
            if (w == n)
                return true;
        return false;
    }
    if (w >= 0x2000 && w < 0x3000)
        return (w & 0x7FF) <= 0x3FF;
    return (w & 0xFF00) != 0x3B00 && w < 0x3FFF;
}

TEST(Gpdasm, DisassemblyOfAFullImageAssemblesBack)
{
    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> any_word(0, 0x3FFE);
    for (int round = 0; round < 4; round++) {
        std::vector<uint16_t> image(PROGRAM_WORDS), expected(PROGRAM_WORDS);
        for (int a = 0; a < PROGRAM_WORDS; a++) {
            uint16_t w;
            do
                w = uint16_t(any_word(random));
            while (!valid_instruction(w));
            image[a] = w;
            expected[a] = canonical(w);
        }
        std::string source = "W\tEQU 0\nF\tEQU 1\n\tORG 0\n";
        for (char c : disassemble(image))
            if (c != '\r')
                source += c;
        ::Run run = assemble(source);
        EXPECT_EQ(run.messages, "");
        EXPECT_EQ(run.program, expected);
    }
}

} // namespace
