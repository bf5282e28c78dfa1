/* conditional_test.cpp - IF, ELSE and ENDIF through asmbl: which branch is
   assembled, how skipped lines are listed, that nothing in them takes effect,
   the fences of files and expansions, and every message. */
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace {

const std::string header = listing_header() + source_banner();
const std::string footer = end_banner();

TEST(Conditional, OnlyTheChosenBranchesAreAssembled)
{
    auto run = assemble(" ORG 0\n"
                       " IF 1\n"
                       " retlw 1\n"
                       " ELSE\n"
                       " retlw 2\n"
                       " ENDIF\n"
                       " IF 0\n"
                       " retlw 3\n"
                       " ELSE\n"
                       " retlw 4\n"
                       " ENDIF\n"
                       " IF 0\n"
                       " retlw 5\n"
                       " ENDIF\n"
                       " IF 0\n"
                       " IF 1\n"
                       " retlw 6\n"
                       " ELSE\n"
                       " retlw 7\n"
                       " ENDIF\n"
                       " ELSE\n"
                       " retlw 8\n"
                       " ENDIF\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.listing, header +
                               "0 001 0001  0000       ORG 0\n"
                               "0 002 0002             IF 1\n"
                               "0 003 0003  0000 3401  retlw 1\n"
                               "0 004 0004             ELSE\n"
                               "0 005 0005             retlw 2\n"
                               "0 006 0006             ENDIF\n"
                               "0 007 0007             IF 0\n"
                               "0 008 0008             retlw 3\n"
                               "0 009 0009             ELSE\n"
                               "0 010 0010  0001 3404  retlw 4\n"
                               "0 011 0011             ENDIF\n"
                               "0 012 0012             IF 0\n"
                               "0 013 0013             retlw 5\n"
                               "0 014 0014             ENDIF\n"
                               "0 015 0015             IF 0\n"
                               "0 016 0016             IF 1\n"
                               "0 017 0017             retlw 6\n"
                               "0 018 0018             ELSE\n"
                               "0 019 0019             retlw 7\n"
                               "0 020 0020             ENDIF\n"
                               "0 021 0021             ELSE\n"
                               "0 022 0022  0002 3408  retlw 8\n"
                               "0 023 0023             ENDIF\n" +
                               footer);
    EXPECT_EQ(run.program[0], 0x3401);
    EXPECT_EQ(run.program[1], 0x3404);
    EXPECT_EQ(run.program[2], 0x3408);
    EXPECT_EQ(run.program[3], 0x3FFF);
}

TEST(Conditional, NothingInASkippedBranchTakesEffect)
{
    auto run = assemble(" ORG 0\n"
                       "k MACRO\n"
                       " retlw 9\n"
                       " ENDM\n"
                       " IF 0\n"
                       " k\n"
                       "lab: retlw 1\n"
                       "\x80 invalid\n"
                       "12AB\n"
                       "m MACRO\n"
                       " IF 1\n"
                       " ELSE\n"
                       " ENDIF\n"
                       " ENDM\n"
                       " INCLUDE \"nowhere.inc\"\n"
                       " OPT nolist\n"
                       "x EQU 1/0\n"
                       " ENDIF\n"
                       " IF DEFINI(lab) | DEFINI(x)\n"
                       " retlw 2\n"
                       " ENDIF\n"
                       "m EQU 5\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.listing, header +
                               "0 001 0001  0000       ORG 0\n"
                               "0 002 0002            k MACRO\n"
                               "0 003 0003             retlw 9\n"
                               "0 004 0004             ENDM\n"
                               "0 005 0005             IF 0\n"
                               "0 006 0006             k\n"
                               "0 007 0007            lab: retlw 1\n"
                               "0 008 0008            \x80 invalid\n"
                               "0 009 0009            12AB\n"
                               "0 010 0010            m MACRO\n"
                               "0 011 0011             IF 1\n"
                               "0 012 0012             ELSE\n"
                               "0 013 0013             ENDIF\n"
                               "0 014 0014             ENDM\n"
                               "0 015 0015             INCLUDE \"nowhere.inc\"\n"
                               "0 016 0016             OPT nolist\n"
                               "0 017 0017            x EQU 1/0\n"
                               "0 018 0018             ENDIF\n"
                               "0 019 0019             IF DEFINI(lab) | DEFINI(x)\n"
                               "0 020 0020             retlw 2\n"
                               "0 021 0021             ENDIF\n"
                               "0 022 0022  0005      m EQU 5\n" +
                               footer + " Aucun code g\xE9n\xE9r\xE9\n");
    EXPECT_EQ(run.files, "test.asm\n");
}

/* An IF whose condition cannot be evaluated opens its block as a false one:
   the IF branch is skipped, the ELSE branch assembled, and neither the ELSE
   nor the ENDIF draws a message. */
TEST(Conditional, ConditionThatFailsCountsAsFalse)
{
    auto run = assemble(" ORG 0\n"
                       " IF nothing\n"
                       " retlw 1\n"
                       " ELSE\n"
                       " retlw 2\n"
                       " ENDIF\n"
                       " IF 1/0\n"
                       " ENDIF\n"
                       " retlw 3\n");
    EXPECT_EQ(run.messages, "Erreur: 2 [test.asm] Symbole non d\xE9" "fini 'nothing'\n"
                            "Erreur: 7 [test.asm] Division par zero\n"
                            " 2 erreurs\n");
    EXPECT_EQ(run.listing, header +
                               "0 001 0001  0000       ORG 0\n"
                               "0 003 0002             retlw 1\n"
                               "0 004 0003             ELSE\n"
                               "0 005 0004  0000 3402  retlw 2\n"
                               "0 006 0005             ENDIF\n"
                               "0 008 0006             ENDIF\n"
                               "0 009 0007  0001 3403  retlw 3\n" +
                               footer);
}

TEST(Conditional, SecondElseEndsTheBlock)
{
    auto run = assemble(" ORG 0\n"
                        " IF 1\n"
                        " retlw 1\n"
                        " ELSE\n"
                        " retlw 2\n"
                        " ELSE\n"
                        " retlw 3\n"
                        " ENDIF\n");
    EXPECT_EQ(run.messages, "Erreur: 6 [test.asm] ELSE multiple avec un seul IF\n"
                            "Erreur: 8 [test.asm] ENDIF sans IF\n"
                            "Erreur: 8 [test.asm] Bloc conditionnel sans ENDIF\n"
                            " 3 erreurs\n");
    EXPECT_EQ(run.listing, header +
                               "0 001 0001  0000       ORG 0\n"
                               "0 002 0002             IF 1\n"
                               "0 003 0003  0000 3401  retlw 1\n"
                               "0 004 0004             ELSE\n"
                               "0 005 0005             retlw 2\n"
                               "0 006 0006             ELSE\n"
                               "0 007 0007  0001 3403  retlw 3\n"
                               "0 008 0008             ENDIF\n" +
                               footer);
}

struct MessageCase {
    const char *name;
    const char *source;
    const char *messages;
};

TEST(Conditional, Messages)
{
    const MessageCase cases[] = {
        {"ELSE alone", " ELSE\n ENDIF\n",
         "Erreur: 1 [test.asm] ELSE without IF\n"
         "Erreur: 2 [test.asm] Bloc conditionnel sans ENDIF\n"
         " 2 erreurs\n"},
        {"ENDIF alone", " ENDIF\n",
         "Erreur: 1 [test.asm] ENDIF sans IF\n"
         "Erreur: 1 [test.asm] Bloc conditionnel sans ENDIF\n"
         " 2 erreurs\n"},
        {"labels where the skip stops", " ORG 0\nl1 IF 1\nl2: ELSE\nl3 ENDIF\n",
         "Erreur: 2 [test.asm] Etiquette interdite avec IF\n"
         "Erreur: 3 [test.asm] Etiquette interdite avec ELSE\n"
         "Erreur: 4 [test.asm] Etiquette interdite avec ENDIF\n"
         " 3 erreurs\n"},
        {"labels after a false IF", " ORG 0\n IF 0\nl1 ELSE\nl2 ENDIF\n",
         "Erreur: 3 [test.asm] Etiquette interdite avec ELSE\n"
         "Erreur: 4 [test.asm] Etiquette interdite avec ENDIF\n"
         " 2 erreurs\n"},
        {"text after the condition", " IF 1 2\n ENDIF\n",
         "Erreur: 1 [test.asm] Caract\xE8re interdit dans une ligne valide\n 1 erreur\n"},
        {"false block never closed", " IF 0\n nop\n",
         "2 [test.asm] Erreur irr\xE9" "cup\xE9rable: Bloc conditionnel non termin\xE9\n"},
        {"false block closed after the end", " IF 0\n END\n ENDIF\n",
         "2 [test.asm] Erreur irr\xE9" "cup\xE9rable: Bloc conditionnel non termin\xE9\n"},
        {"ELSE branch never closed", " IF 1\n ELSE\n nop\n",
         "3 [test.asm] Erreur irr\xE9" "cup\xE9rable: Bloc conditionnel non termin\xE9\n"},
        {"true block never closed", " IF 1\n",
         "Erreur: 1 [test.asm] Bloc conditionnel sans ENDIF\n 1 erreur\n"},
        {"block left open by an expansion", "m MACRO\n IF 1\n ENDM\n m\n ENDIF\n",
         "Erreur:  m 4 [test.asm] Bloc conditionnel sans ENDIF\n"
         "Erreur: 5 [test.asm] ENDIF sans IF\n"
         "Erreur: 5 [test.asm] Bloc conditionnel sans ENDIF\n"
         " 3 erreurs\n"},
        {"block of the caller closed in an expansion", "m MACRO\n ENDIF\n ENDM\n IF 1\n m\n ENDIF\n",
         "Erreur:  m 5 [test.asm] ENDIF sans IF\n"
         "Erreur:  m 5 [test.asm] Bloc conditionnel sans ENDIF\n"
         " 2 erreurs\n"},
    };
    for (const MessageCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(assemble(c.source).messages, c.messages);
    }
}

TEST(Conditional, BlockMustCloseInTheFileThatOpensIt)
{
    const std::string dir = TEST_SOURCE_DIR "/fixtures/";
    auto run = assemble(" INCLUDE \"open_if.inc\"\n ENDIF\n", 0, "test.asm", nullptr, dir.c_str());
    EXPECT_EQ(run.messages, "Erreur: 1 [" + dir + "open_if.inc] Bloc conditionnel sans ENDIF\n"
                            "Erreur: 2 [test.asm] ENDIF sans IF\n"
                            "Erreur: 2 [test.asm] Bloc conditionnel sans ENDIF\n"
                            " 3 erreurs\n");
}

} // namespace
