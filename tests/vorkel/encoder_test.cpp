/* encoder_test.cpp - the instruction encoder through asmbl: the words each
   operand rule builds, and what is stored or refused when an operand is out
   of range. The full encoding tables are checked against gpasm in
   gpasm_compare_test.cpp. */
#include <gtest/gtest.h>

#include <vector>

#include "harness.h"

namespace {

struct EncodeCase {
    const char *statement;
    std::vector<uint16_t> words; /* stored from address 0 */
    const char *message;         /* the one error, or "" */
};

TEST(Encoder, OperandRulesAndTheirRangeErrors)
{
    const EncodeCase cases[] = {
        {" movlw 0x41", {0x3041}, ""},
        {" movlw -1", {0x30FF}, ""},
        {" movlw -128", {0x3080}, ""},
        {" movlw 256", {}, "Constante 8 bits trop grande"},
        {" addlw -129", {}, "Constante 8 bits trop grande"},
        {" andlw 256", {0x3900}, "Constante 8 bits trop grande"},
        {" xorlw -129", {0x3A7F}, "Constante 8 bits trop grande"},
        {" sublw 0x80", {0x3C80}, ""},
        {" addwf 0x20", {0x07A0}, ""},
        {" addwf 0x20, 0", {0x0720}, ""},
        {" addwf 0x20, 5", {0x07A0}, ""},
        {" decfsz 0x7F, -1", {0x0BFF}, ""},
        {" addwf 0x85, 1", {0x0785}, "Adresse hors 'Register file'"},
        {" addwf -1, 0", {0x077F}, "Adresse hors 'Register file'"},
        {" clrf 0x85", {0x0185}, "Adresse hors 'Register file'"},
        {" movwf 0x7F", {0x00FF}, ""},
        {" bsf 0x03, 5", {0x1683}, ""},
        {" bsf 0x03 5", {}, "',' attendu"},
        {" bcf 0x03, 8", {0x1403}, "Indice de bit hors intervalle"},
        {" btfss 0x80, 0", {0x1C80}, "Adresse hors 'Register file'"},
        {" goto 0x3FF", {0x2BFF}, ""},
        {" goto 0x400", {0x2C00}, "GOTO/CALL trop long"},
        {" call -1", {0x27FF}, "GOTO/CALL trop long"},
        {" retlw \"AB\", 0, 'Z'", {0x3441, 0x3442, 0x3400, 0x345A}, ""},
        {" retlw \"\", 7", {0x3407}, ""},
        {" retlw 1, 300, 2", {0x3401}, "Constante 8 bits trop grande"},
        {" retlw \"\xE9\"", {0x34E9}, ""},
        {" tris 6", {0x0066}, ""},
        {" tris 4", {0x0064}, "Adresse invalide pour TRIS"},
        {" tris 8", {0x0068}, "Adresse invalide pour TRIS"},
        {" nop", {0x0000}, ""},
        {" clrw", {0x0100}, ""},
        {" clrwdt", {0x0064}, ""},
        {" option", {0x0062}, ""},
        {" retfie", {0x0009}, ""},
        {" return", {0x0008}, ""},
        {" sleep", {0x0063}, ""},
        {" MOVLW 1", {0x3001}, ""},
        {" movlw 5 6", {0x3005}, ""},
        {" movlw k", {0x302A}, ""},
        {" goto k + 1", {0x282B}, ""},
        {" PROCESSEUR", {}, "Mauvaise syntaxe"},
        {" DEFINI(k)", {}, "Mauvaise syntaxe"},
        {" 5", {}, "Mauvaise syntaxe"},
    };
    for (const EncodeCase &c : cases) {
        auto run = assemble("k EQU 42\n ORG 0\n" + std::string(c.statement) + "\n");
        std::string expected = *c.message ? "Erreur: 3 [test.asm] " + std::string(c.message) + "\n 1 erreur\n" : "";
        EXPECT_EQ(run.messages, expected) << c.statement;
        for (size_t i = 0; i <= c.words.size(); ++i)
            EXPECT_EQ(run.program[i], i < c.words.size() ? c.words[i] : 0x3FFF)
                << c.statement << " at address " << i;
    }
}

TEST(Encoder, ImmediateLiteralsTakeNoForwardReference)
{
    auto run = assemble(" ORG 0\n iorlw later\n movlw later\nlater EQU 3\n");
    EXPECT_EQ(run.messages, "Erreur: 2 [test.asm] Symbole non d\xE9" "fini 'later'\n 1 erreur\n");
    EXPECT_EQ(run.program[0], 0x3003);
}

TEST(Encoder, MacroNameAsOperandIsAMisuse)
{
    auto run = assemble("m MACRO\n ENDM\n ORG 0\n goto m\n");
    EXPECT_EQ(run.messages, "Erreur: 4 [test.asm] Mauvaise utilisation de nom de macro 'm'\n 1 erreur\n");
    EXPECT_EQ(run.program[0], 0x3FFF);
}

TEST(Encoder, KeywordListWithExtraWordsGivesKindsTheEncoderRefuses)
{
    std::vector<std::string> words;
    const std::string &kit = kit_keywords();
    for (size_t at = 0; at < kit.size() && kit[at]; at += words.back().size() + 1)
        words.push_back(kit.c_str() + at);
    words.push_back("extra");
    std::string list = keyword_list_of(words);
    auto run = assemble(" ORG 0\n extra 1\n xorwf 1\n", 0, "test.asm", &list);
    EXPECT_EQ(run.messages, "Erreur: 2 [test.asm] Mauvaise syntaxe\n 1 erreur\n");
    EXPECT_EQ(run.program[0], 0x0681);
}

} // namespace
