/* symbols_test.cpp - the symbol table: its hash, labels, EQU and SET, LOCAL
   blocks, and forward references patched at ENDLOCAL and at the end. */
#include <gtest/gtest.h>

#include "expr/expr.h"
#include "harness.h"

namespace {

TEST(SymbolHash, ChainsFollowTheMultiplyBySeventeenSum)
{
    const struct {
        const char *name;
        int chain;
    } cases[] = {
        {"A", 65}, {"ab", 96}, {"loop", 40}, {"Loop", 50},
        {"PORTB_OUTPUT", 97}, /* the accumulator passes 2^31: taken unsigned */
        {"", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(symbol_hash(c.name), c.chain) << c.name;
}

/* RETLW of a symbol's low byte shows its value in program memory. */
TEST(Definitions, SetRepeatsSilentlyWhileEquAndLabelsAreDefinedOnce)
{
    auto run = assemble("x SET 1\n"
                       "x SET 2\n"
                       "y EQU 1\n"
                       "y EQU 2\n"
                       "n SET 0\n"
                       "n SET n + 1\n"
                       "n SET n + 1\n"
                       "fresh SET fresh + 5\n" /* a new symbol reads as 0 in its own SET */
                       " ORG 3\n"
                       "lbl nop\n"
                       "lbl nop\n"
                       " retlw x, y, n, lbl, fresh\n");
    EXPECT_EQ(run.messages, "Erreur: 4 [test.asm] Symbole d\xE9" "ja d\xE9" "fini 'y'\n"
                            "Erreur: 11 [test.asm] Symbole d\xE9" "ja d\xE9" "fini 'lbl'\n"
                            " 2 erreurs\n");
    EXPECT_EQ(run.program[5], 0x3402);
    EXPECT_EQ(run.program[6], 0x3402);
    EXPECT_EQ(run.program[7], 0x3402);
    EXPECT_EQ(run.program[8], 0x3404); /* the second address */
    EXPECT_EQ(run.program[9], 0x3405);
}

TEST(Definitions, SetOnAnEquSymbolIsRefusedAndThenTakesTheValue)
{
    auto run = assemble("y EQU 1\ny SET 7\ny SET 8\n ORG 0\n retlw y\n");
    EXPECT_EQ(run.messages, "Erreur: 2 [test.asm] Symbole d\xE9" "ja d\xE9" "fini 'y'\n 1 erreur\n");
    EXPECT_EQ(run.program[0], 0x3408);
}

TEST(Definitions, NamesAreCaseSensitive)
{
    auto run = assemble("Loop EQU 1\nloop EQU 2\n ORG 0\n retlw Loop, loop\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.program[0], 0x3401);
    EXPECT_EQ(run.program[1], 0x3402);
}

TEST(Definitions, LabelBeforeAnyOrgTakesAddressZero)
{
    auto run = assemble("start: nop\n goto start\n");
    EXPECT_EQ(run.messages, "Attention: 1 [test.asm] ORG absent : adresse 0 prise par d\xE9" "faut\n"
                            " 1 avertissement\n");
    EXPECT_EQ(run.program[0], 0x0000);
    EXPECT_EQ(run.program[1], 0x2800);
}

TEST(ForwardReferences, PatchAddressAndLiteralFieldsAtTheEnd)
{
    auto run = assemble(" ORG 0\n"
                       " goto fwd\n"
                       " call fwd + 1\n"   /* the reference is fwd alone */
                       " movlw val\n"
                       " addlw val\n"
                       " retlw 1, val, 2\n"
                       " ORG 0x2A5\n"
                       "fwd: nop\n"
                       "val EQU 0x1C3\n");
    EXPECT_EQ(run.messages, "");
    const uint16_t expected[] = {0x2AA5, 0x22A5, 0x30C3, 0x3EC3, 0x3401, 0x34C3, 0x3402};
    for (size_t i = 0; i < sizeof expected / sizeof expected[0]; ++i)
        EXPECT_EQ(run.program[i], expected[i]) << "address " << i;
}

TEST(ForwardReferences, EveryUnresolvedUseIsReportedWithoutLocation)
{
    auto run = assemble(" ORG 0\n goto nowhere\n call nowhere\n movlw nowhere\n");
    EXPECT_EQ(run.messages, "Erreur: Etiquette non d\xE9" "finie 'nowhere'\n"
                            "Erreur: Etiquette non d\xE9" "finie 'nowhere'\n"
                            "Erreur: Etiquette non d\xE9" "finie 'nowhere'\n"
                            " 3 erreurs\n");
    EXPECT_EQ(run.program[0], 0x2800);
    EXPECT_EQ(run.program[2], 0x3000);
}

TEST(ForwardReferences, BeforeAnyOrgIsReportedAndNeverPatched)
{
    auto run = assemble(" goto fwd\nfwd: nop\n");
    EXPECT_EQ(run.messages, "Erreur: 1 [test.asm] ORG non trouv\xE9\n 1 erreur\n");
    EXPECT_EQ(run.program[0], 0x2800);
    EXPECT_EQ(run.program[1], 0x0000);
}

/* A forward reference whose word "ORG en conflit" refuses must not patch a
   word stored later, nor anything outside program memory. */
TEST(ForwardReferences, RefusedWordLeavesNothingToPatch)
{
    auto run = assemble(" ORG 0x0C, zreg\n"
                       "v RES 1\n"
                       " goto fwd\n"
                       " nop\n"
                       "fwd: clrw\n");
    EXPECT_EQ(run.messages, "Erreur: 3 [test.asm] ORG en conflit\n"
                            "Attention: 4 [test.asm] Absence de ORG : Adresse 0 prise par d\xE9" "faut\n"
                            " 1 erreur\n 1 avertissement\n");
    EXPECT_EQ(run.program[0], 0x0000);
    EXPECT_EQ(run.program[1], 0x0100);
}

TEST(LocalBlocks, LocalsResolveAtEndlocalAndVanishAfterIt)
{
    auto run = assemble(" ORG 0\n"
                       " LOCAL\n"
                       " goto =x\n"
                       "=x: nop\n"
                       " ENDLOCAL\n"
                       " LOCAL\n"
                       "=x: goto =x\n"          /* a second block has its own =x */
                       " LOCAL\n"
                       " goto =y\n"
                       "=y nop\n"
                       " ENDLOCAL\n"
                       " ENDLOCAL\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.program[0], 0x2801);
    EXPECT_EQ(run.program[2], 0x2802);
    EXPECT_EQ(run.program[3], 0x2804);
}

TEST(LocalBlocks, UnresolvedLocalIsReportedAtEndlocal)
{
    auto run = assemble(" ORG 0\n LOCAL\n goto =x\n ENDLOCAL\n goto x\nx: nop\n");
    EXPECT_EQ(run.messages, "Erreur: 4 [test.asm] Etiquette non d\xE9" "finie '=x'\n 1 erreur\n");
    EXPECT_EQ(run.program[1], 0x2802); /* the global x is another symbol */
}

TEST(LocalBlocks, BlockMessages)
{
    const struct {
        const char *source;
        const char *messages;
    } cases[] = {
        {" ENDLOCAL\n", "Erreur: 1 [test.asm] ENDLOCAL sans LOCAL\n 1 erreur\n"},
        {" ORG 0\n LOCAL\n goto =open\n",
         "Erreur: LOCAL sans ENDLOCAL\n 1 erreur\n"}, /* an open block's fix-ups stay silent */
        {" ORG 0\n LOCAL\n=a nop\n ENDLOCAL\n=a nop\n",
         "Erreur: 5 [test.asm] Symbole local ext\xE9" "rieur au bloc\n 1 erreur\n"},
        {" ORG 0\n goto =a\n", "Erreur: 2 [test.asm] Symbole local hors bloc\n 1 erreur\n"},
        {" ORG 0\n movlw =a\n", "Erreur: 2 [test.asm] Symbole local ext\xE9" "rieur au bloc\n 1 erreur\n"},
        {" ORG 0\n LOCAL\n=a EQU 1\n=a EQU 2\n ENDLOCAL\n",
         "Erreur: 4 [test.asm] Symbole d\xE9" "ja d\xE9" "fini '=a'\n 1 erreur\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(assemble(c.source).messages, c.messages) << c.source;
}

TEST(LocalBlocks, UnresolvedGlobalsFollowTheOpenBlockMessage)
{
    auto run = assemble(" ORG 0\n goto g\n LOCAL\n goto =l\n");
    EXPECT_EQ(run.messages, "Erreur: LOCAL sans ENDLOCAL\n"
                            "Erreur: Etiquette non d\xE9" "finie 'g'\n"
                            " 2 erreurs\n");
    EXPECT_EQ(run.program[1], 0x2800);
}

} // namespace
