/* hostile_test.cpp - sources and calls a careless or hostile editor could
   hand the library: a pool filled by macro bodies, numbers and names too
   long for their fields, and the inputs the fuzzers found hanging. Every run must end with
   its texts inside their buffers, and the next run must start clean. */
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace {

void expect_within_buffers(const ::Run &run)
{
    EXPECT_LT(run.hex.size(), (size_t)HEX_TEXT_SIZE);
    EXPECT_LT(run.listing.size(), (size_t)LISTING_TEXT_SIZE);
    EXPECT_LT(run.macros.size(), (size_t)MACRO_NAMES_SIZE);
    EXPECT_LT(run.messages.size(), (size_t)MESSAGE_TEXT_SIZE);
    EXPECT_LT(run.symbols.size(), (size_t)SYMBOL_REPORT_SIZE);
    EXPECT_LT(run.files.size(), (size_t)FILE_LIST_SIZE);
}

void expect_next_run_clean()
{
    auto next = assemble(" ORG 0\n nop\n");
    EXPECT_EQ(next.messages, "");
    EXPECT_EQ(next.files, "test.asm\n");
    EXPECT_EQ(next.program[0], 0x0000);
}

/* ---- The pool ---- */

TEST(HostileSource, MacroBodiesExhaustThePool)
{
    struct Case {
        const char *what;
        std::string source;
    } cases[] = {
        {"one long body", "big MACRO\n" + repeat(" movlw 1 ; " + std::string(40, 'c') + "\n", 3000) + " ENDM\n"},
        {"many bodies", [] {
             std::string source;
             for (int i = 0; i < 2000; i++)
                 source += "m" + std::to_string(i) + " MACRO\n nop\n nop\n ENDM\n";
             return source;
         }()},
    };
    const std::string fatal = " [test.asm] Erreur irr\xE9" "cup\xE9rable: m\xE9moire\n";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto run = assemble(c.source + " ORG 0\n nop\n");
        expect_within_buffers(run);
        ASSERT_GE(run.messages.size(), fatal.size());
        EXPECT_EQ(run.messages.substr(run.messages.size() - fatal.size()), fatal);
        EXPECT_EQ(run.hex, "");
        expect_next_run_clean();
    }
}

/* ---- Numbers and names ---- */

/* Every notation keeps the low 32 bits of a number that needs more. */
TEST(HostileSource, NumbersWiderThan32BitsKeepTheirLow32Bits)
{
    struct Case {
        const char *text;
        uint32_t value;
    } cases[] = {
        {"4294967297", 1},
        {"99999999999999999999", 0x630FFFFF},
        {"0b100000000000000000000000000000000101", 5},
        {"4000000000001o", 1},
        {"D'4294967298'", 2},
        {"H'123456789'", 0x23456789},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        auto run = assemble(std::string("x EQU ") + c.text + "\n ORG 0\n retlw x & 0xFF\n retlw x >> 24 & 0xFF\n");
        EXPECT_EQ(run.messages, "");
        EXPECT_EQ(run.program[0], 0x3400 | (c.value & 0xFF));
        EXPECT_EQ(run.program[1], 0x3400 | (c.value >> 24));
    }
}

/* A name has at most 255 characters: the rest of a longer one starts a new
   name, so the statement is refused instead of defining a cut name. */
TEST(HostileSource, NameLongerThan255CharactersIsRefused)
{
    const std::string name = "n" + std::string(299, 'a');
    auto run = assemble(name + " EQU 5\n ORG 0\n retlw 1\n");
    expect_within_buffers(run);
    EXPECT_EQ(run.messages, "Attention: 2 [test.asm] ORG absent : adresse 0 prise par d\xE9" "faut\n"
                            "Erreur: 2 [test.asm] Mauvaise syntaxe\n"
                            " 1 erreur\n 1 avertissement\n");
    /* Its first 255 characters remain, as a label of the line. */
    EXPECT_EQ(run.symbols, "Nom             Valeur Texte/Ligne\n\n" + name.substr(0, 255) + " 0          0/2\n");
    expect_next_run_clean();
}

/* ---- Found by fuzzing ---- */

/* The error limit reached inside a bit list: the fatal error leaves the list
   unclosed, and its loop must stop instead of waiting for a ']' forever. */
TEST(HostileSource, ErrorLimitReachedInsideABitListEndsTheRun)
{
    auto run = assemble(" ORG 0\n" + repeat(" ERREUR x\n", 19) + " retlw [1 \xDF\n nop\n");
    const std::string end = "Erreur: 21 [test.asm] Instruction invalide\n"
                            "21 [test.asm] Erreur irr\xE9" "cup\xE9rable: Trop d'erreurs\n"
                            " 20 erreurs\n";
    ASSERT_GE(run.messages.size(), end.size());
    EXPECT_EQ(run.messages.substr(run.messages.size() - end.size()), end);
    expect_next_run_clean();
}

} // namespace
