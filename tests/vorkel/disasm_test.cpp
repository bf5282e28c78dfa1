/* disasm_test.cpp - the disassembly text: decode table, "org" lines,
   character comments, empty words, and the desas export over the image of
   the last run. */
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "disasm/disasm.h"
#include "harness.h"

namespace {

const uint16_t EMPTY = 0x3FFF;

std::vector<uint16_t> empty_image() { return std::vector<uint16_t>(PROGRAM_WORDS, EMPTY); }

/* The disassembly of image, written into a buffer as large as the listing's. */
std::string disassemble(const std::vector<uint16_t> &image)
{
    static std::vector<char> buffer(LISTING_TEXT_SIZE);
    TextBuffer text{buffer.data(), (uint32_t)buffer.size(), 0};
    write_disassembly(&text, image.data());
    EXPECT_EQ(text.length, std::strlen(text.data));
    return std::string(text.data, text.length);
}

/* The line of one word at address 0, without its leading blank and CR LF. */
std::string line_of(uint16_t word)
{
    std::vector<uint16_t> image = empty_image();
    image[0] = word;
    std::string text = disassemble(image);
    EXPECT_EQ(text.substr(0, 1), " ");
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    return text.substr(1, text.size() - 3);
}

TEST(Disassembly, WorkedExampleWithOrgLine)
{
    std::vector<uint16_t> image = empty_image();
    image[0x000] = 0x2805;
    image[0x001] = 0x0000;
    image[0x020] = 0x1683;
    image[0x021] = 0x3041;
    EXPECT_EQ(disassemble(image),
              " goto 0x0005 ; 0000: 2805\r\n"
              " nop ; 0001: 0000\r\n"
              "\r\n"
              " org   20 ; nouveau bloc\r\n"
              " bsf 0x03,5 ; 0020: 1683\r\n"
              " movlw 0x41 ; 0021: 3041 'A'\r\n");
}

TEST(Disassembly, DecodeTableRows)
{
    struct Case {
        uint16_t word;
        const char *line;
    };
    const Case cases[] = {
        {0x0000, "nop ; 0000: 0000"},
        {0x0020, "nop ; 0000: 0020"},
        {0x0060, "nop ; 0000: 0060"},
        {0x0008, "return ; 0000: 0008"},
        {0x0009, "retfie ; 0000: 0009"},
        {0x0062, "option ; 0000: 0062"},
        {0x0063, "sleep ; 0000: 0063"},
        {0x0064, "clrwdt ; 0000: 0064"},
        {0x0065, "tris 0x05 ; 0000: 0065"},
        {0x0066, "tris 0x06 ; 0000: 0066"},
        {0x0067, "tris 0x07 ; 0000: 0067"},
        {0x0080, "movwf 0x00 ; 0000: 0080"},
        {0x00FF, "movwf 0x7F ; 0000: 00FF"},
        {0x0100, "clrw ; 0000: 0100"},
        {0x017F, "clrw ; 0000: 017F"},
        {0x018C, "clrf 0x0C,F ; 0000: 018C"},
        {0x0207, "subwf 0x07,W ; 0000: 0207"},
        {0x0B8D, "decfsz 0x0D,F ; 0000: 0B8D"},
        {0x0E8C, "swapf 0x0C,F ; 0000: 0E8C"},
        {0x0FFF, "incfsz 0x7F,F ; 0000: 0FFF"},
        {0x1003, "bcf 0x03,0 ; 0000: 1003"},
        {0x1683, "bsf 0x03,5 ; 0000: 1683"},
        {0x1B86, "btfsc 0x06,7 ; 0000: 1B86"},
        {0x1C0C, "btfss 0x0C,0 ; 0000: 1C0C"},
        {0x2000, "call 0x0000 ; 0000: 2000"},
        {0x27FF, "call 0x07FF ; 0000: 27FF"},
        {0x2BFF, "goto 0x03FF ; 0000: 2BFF"},
        {0x3300, "movlw 0x00 ; 0000: 3300"},
        {0x3441, "retlw 0x41 ; 0000: 3441 'A'"},
        {0x3820, "iorlw 0x20 ; 0000: 3820 ' '"},
        {0x397E, "andlw 0x7E ; 0000: 397E '~'"},
        {0x3A7F, "xorlw 0x7F ; 0000: 3A7F"},
        {0x3B12, "??? 0x12 ; 0000: 3B12"},
        {0x3B5A, "??? 0x5A ; 0000: 3B5A 'Z'"},
        {0x3C1F, "sublw 0x1F ; 0000: 3C1F"},
        {0x3D80, "sublw 0x80 ; 0000: 3D80"},
        {0x3E25, "addlw 0x25 ; 0000: 3E25 '%'"},
        {0x3FFE, "addlw 0xFE ; 0000: 3FFE"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(line_of(c.word), c.line) << std::hex << c.word;
}

TEST(Disassembly, UnknownControlWordsAndClrwRange)
{
    for (uint16_t w = 0; w < 0x80; w++) {
        bool named = w == 0x00 || w == 0x20 || w == 0x40 || w == 0x60 || w == 0x08 || w == 0x09 ||
                     (w >= 0x62 && w <= 0x67);
        if (!named) {
            EXPECT_EQ(line_of(w).substr(0, 4), "??? ") << std::hex << w;
        }
    }
    for (uint16_t w = 0x0100; w < 0x0180; w++)
        EXPECT_EQ(line_of(w).substr(0, 5), "clrw ") << std::hex << w;
}

TEST(Disassembly, EmptyWordsAreNeverShown)
{
    std::vector<uint16_t> image = empty_image();
    const uint16_t empties[] = {0x3FFF, 0xFFFF, 0x4000, 0x8000, 0x7FFF};
    for (int i = 0; i < 5; i++)
        image[i * 100] = empties[i];
    EXPECT_EQ(disassemble(image), "");
}

TEST(Disassembly, ImageOfZerosHasNoOrgLine)
{
    std::string text = disassemble(std::vector<uint16_t>(PROGRAM_WORDS, 0));
    EXPECT_EQ(text.substr(0, 19), " nop ; 0000: 0000\r\n");
    EXPECT_EQ(text.size(), 1024u * 19); /* every line 19 bytes long */
    EXPECT_EQ(text.find("org"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 19), " nop ; 03FF: 0000\r\n");
}

TEST(Disassembly, LoneLastWordAfterEmptyWords)
{
    std::vector<uint16_t> image = empty_image();
    image[0x3FF] = 0x3FFE;
    EXPECT_EQ(disassemble(image), "\r\n org  3FF ; nouveau bloc\r\n addlw 0xFE ; 03FF: 3FFE\r\n");
}

/* The longest text: every other word empty, so 512 "org" lines, and every
   shown word a long literal line with its character. */
TEST(Disassembly, LongestTextFitsTheListingBuffer)
{
    std::vector<uint16_t> image = empty_image();
    for (int a = 1; a < PROGRAM_WORDS; a += 2)
        image[a] = 0x3441;
    std::string text = disassemble(image);
    EXPECT_EQ(text.substr(text.size() - 58), "\r\n org  3FF ; nouveau bloc\r\n retlw 0x41 ; 03FF: 3441 'A'\r\n");
    EXPECT_LT(text.size(), (size_t)LISTING_TEXT_SIZE);
}

/* desas reads the image the last run left, writes into the listing buffer
   and leaves every other slot alone. */
TEST(Disassembly, DesasReplacesOnlyTheListing)
{
    ::Run run = assemble(" ORG 0\n goto 5\n nop\n ORG 0x20\n bsf 3,5\n movlw 'A'\n");
    ASSERT_EQ(run.messages, "");
    std::string hex = run.result->hex_text, symbols = run.result->symbol_report;
    char *listing_buffer = run.result->listing_text;
    AsmResult *r = desas();
    EXPECT_EQ(r, run.result);
    EXPECT_EQ(r->listing_text, listing_buffer);
    EXPECT_EQ(std::string(r->listing_text),
              " goto 0x0005 ; 0000: 2805\r\n"
              " nop ; 0001: 0000\r\n"
              "\r\n"
              " org   20 ; nouveau bloc\r\n"
              " bsf 0x03,5 ; 0020: 1683\r\n"
              " movlw 0x41 ; 0021: 3041 'A'\r\n");
    EXPECT_EQ(r->hex_text, hex);
    EXPECT_EQ(r->symbol_report, symbols);
    EXPECT_EQ(std::vector<uint16_t>(r->program_image, r->program_image + PROGRAM_WORDS), run.program);
    EXPECT_EQ(std::string(desas()->listing_text), std::string(r->listing_text));
}

} // namespace
