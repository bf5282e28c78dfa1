/* macro_test.cpp - macros through asmbl: definitions and their listing,
   arguments read from the calling line, the replacements of an expanded
   line, nesting, recursion, EXITM, and a macro library in an include file. */
#include <gtest/gtest.h>

#include <string>

#include "harness.h"
#include "reference_tools.h"

namespace {

const std::string header = listing_header() + source_banner();
const std::string footer = end_banner();
const std::string no_code = " Aucun code g\xE9n\xE9r\xE9\n";

/* The listing line of the given listing line number. */
std::string listing_line(const std::string &listing, int number)
{
    char key[16];
    snprintf(key, sizeof key, " %04d  ", number);
    size_t at = listing.find(key);
    if (at == std::string::npos)
        return "";
    size_t start = listing.rfind('\n', at) + 1;
    return listing.substr(start, listing.find('\n', at) + 1 - start);
}

TEST(Macro, ExpandedLinesReplaceArgumentsNumbersAndPercentSigns)
{
    auto run = assemble(" ORG 0\n"
                       "put MACRO\n"
                       " retlw %1%3 ; #%0 %@ n=%# 100%% %x\n"
                       " ENDM\n"
                       "none MACRO\n"
                       " ENDM\n"
                       " put 1,,2\n"
                       " none\n"
                       " put 4\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.listing, header +
                               "0 001 0001  0000       ORG 0\n"
                               "0 002 0002            put MACRO\n"
                               "0 003 0003             retlw %1%3 ; #%0 %@ n=%# 100%% %x\n"
                               "0 004 0004             ENDM\n"
                               "0 005 0005            none MACRO\n"
                               "0 006 0006             ENDM\n"
                               "0 007 0007  0000 340C  retlw 12 ; #001 001 n=3 100% x\n"
                               "0 009 0008  0001 3404  retlw 4 ; #003 003 n=1 100% x\n" +
                               footer);
    EXPECT_EQ(run.program[0], 0x340C);
    EXPECT_EQ(run.program[1], 0x3404);
    EXPECT_EQ(run.macros, " none put ");
}

struct ArgumentCase {
    const char *call;     /* arguments after the macro name */
    const char *expanded; /* the expanded comment line */
    const char *messages;
};

TEST(Macro, ArgumentsAreReadFromTheCharactersOfTheLine)
{
    const ArgumentCase cases[] = {
        {"", "; [] [] [] 0", ""},
        {"a", "; [a] [] [] 1", ""},
        {"a,", "; [a] [] [] 1", ""},
        {"a,,b", "; [a] [] [b] 3", ""},
        {"  a ,\tb ; c", "; [a] [b] [] 2", ""},
        {"(a,b),c", "; [(a,b)] [c] [] 2", ""},
        {"\"x, y;z\",'a b'", "; [\"x, y;z\"] ['a b'] [] 2", ""},
        {"f(\"1 2\"),x", "; [f(\"1 2\")] [x] [] 2", ""},
        {"\"open", "; [\"open] [] [] 1", ""},
        {"(a, b)", "; [(a,] [] [] 1", "Erreur: 4 [test.asm] Carat\xE8re interdit en fin de ligne\n 1 erreur\n"},
        {"a b", "; [a] [] [] 1", "Erreur: 4 [test.asm] Carat\xE8re interdit en fin de ligne\n 1 erreur\n"},
        {"1,2,3,4,5,6,7,8,9", "; [1] [2] [3] 9", ""},
        {"1,2,3,4,5,6,7,8,9,10", "; [1] [2] [3] 10",
         "Attention: 4 [test.asm] Trop de param\xE8tres (9 au maximum) \n 1 avertissement\n"},
        {"1,2,3,4,5,6,7,8,9,10,11", "; [1] [2] [3] 11",
         "Attention: 4 [test.asm] Trop de param\xE8tres (9 au maximum) \n"
         "Attention: 4 [test.asm] Trop de param\xE8tres (9 au maximum) \n 2 avertissements\n"},
    };
    for (const ArgumentCase &c : cases) {
        SCOPED_TRACE(c.call);
        auto run = assemble("show MACRO\n"
                           " ; [%1] [%2] [%3] %#\n"
                           " ENDM\n"
                           " show " + std::string(c.call) + "\n");
        EXPECT_EQ(listing_line(run.listing, 4), "0 004 0004             " + std::string(c.expanded) + "\n");
        EXPECT_EQ(run.messages, c.messages);
    }
}

TEST(Macro, TenthArgumentIsStoredAndReplacedLikeTheOthers)
{
    auto run = assemble("last MACRO\n"
                       " ; %9 %1\n"
                       " ENDM\n"
                       " last a,b,c,d,e,f,g,h,i,j\n");
    EXPECT_EQ(listing_line(run.listing, 4), "0 004 0004             ; i a\n");
}

TEST(Macro, NestedCallsNumberEveryExpansion)
{
    auto run = assemble("tick MACRO\n"
                       " ; %@ %0\n"
                       " ENDM\n"
                       "four MACRO\n"
                       " tick\n"
                       " tick\n"
                       " tick\n"
                       " ENDM\n"
                       " four\n"
                       " four\n"
                       " four\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.listing, header +
                               "0 001 0001            tick MACRO\n"
                               "0 002 0002             ; %@ %0\n"
                               "0 003 0003             ENDM\n"
                               "0 004 0004            four MACRO\n"
                               "0 005 0005             tick\n"
                               "0 006 0006             tick\n"
                               "0 007 0007             tick\n"
                               "0 008 0008             ENDM\n"
                               "0 009 0009             ; 002 002\n"
                               "0 009 0010             ; 003 003\n"
                               "0 009 0011             ; 004 004\n"
                               "0 010 0012             ; 006 006\n"
                               "0 010 0013             ; 007 007\n"
                               "0 010 0014             ; 008 008\n"
                               "0 011 0015             ; 010 010\n"
                               "0 011 0016             ; 011 011\n"
                               "0 011 0017             ; 012 012\n" +
                               footer + no_code);
}

TEST(Macro, RecursionEndsAtItsCondition)
{
    auto run = assemble(" ORG 0\n"
                       "count MACRO\n"
                       " IF %1\n"
                       " retlw %1\n"
                       " count %1-1\n"
                       " ENDIF\n"
                       " ENDM\n"
                       " count 2\n"
                       " nop\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.listing, header +
                               "0 001 0001  0000       ORG 0\n"
                               "0 002 0002            count MACRO\n"
                               "0 003 0003             IF %1\n"
                               "0 004 0004             retlw %1\n"
                               "0 005 0005             count %1-1\n"
                               "0 006 0006             ENDIF\n"
                               "0 007 0007             ENDM\n"
                               "0 008 0008             IF 2\n"
                               "0 008 0009  0000 3402  retlw 2\n"
                               "0 008 0010             IF 2-1\n"
                               "0 008 0011  0001 3401  retlw 2-1\n"
                               "0 008 0012             IF 2-1-1\n"
                               "0 008 0013             retlw 2-1-1\n"
                               "0 008 0014             count 2-1-1-1\n"
                               "0 008 0015             ENDIF\n"
                               "0 008 0016             ENDIF\n"
                               "0 008 0017             ENDIF\n"
                               "0 009 0018  0002 0000  nop\n" +
                               footer);
}

TEST(Macro, EndlessRecursionExhaustsThePool)
{
    auto run = assemble("loop MACRO\n"
                       " loop %1\n"
                       " ENDM\n"
                       " loop a\n"
                       " nop\n");
    EXPECT_EQ(run.messages, " loop 4 [test.asm] Erreur irr\xE9" "cup\xE9rable: m\xE9moire\n");
    EXPECT_EQ(run.hex, "");

    auto next = assemble(" ORG 0\n nop\n");
    EXPECT_EQ(next.messages, "");
}

TEST(Macro, ExpandedLineIsCutAt255Characters)
{
    const std::string a(100, 'a');
    const std::string body = "cut MACRO\n"
                             " ;%1%1%2\n"
                             " ENDM\n"
                             " cut " + a + ",";
    auto fits = assemble(body + std::string(52, 'b') + "\n");
    EXPECT_EQ(fits.messages, "");
    EXPECT_EQ(listing_line(fits.listing, 4),
              "0 004 0004             ;" + a + a + std::string(52, 'b') + "\n");

    auto cut = assemble(body + std::string(60, 'b') + "\n");
    EXPECT_EQ(cut.messages, "Erreur:  cut 4 [test.asm] Ligne trop longue\n 1 erreur\n");
    EXPECT_EQ(listing_line(cut.listing, 4),
              "0 004 0004             ;" + a + a + std::string(53, 'b') + "\n");
}

/* Each expansion doubles its argument: from the eighth on every line is cut,
   and the twentieth error ends the run. */
TEST(Macro, TooLongLinesReachTheErrorLimit)
{
    auto run = assemble("loop MACRO\n"
                        " loop %1%1\n"
                        " ENDM\n"
                        " loop ab\n");
    std::string expected;
    for (int i = 0; i < 20; i++)
        expected += "Erreur:  loop 4 [test.asm] Ligne trop longue\n";
    EXPECT_EQ(run.messages, expected + " loop 4 [test.asm] Erreur irr\xE9" "cup\xE9rable: Trop d'erreurs\n"
                                       " 20 erreurs\n");
}

struct MessageCase {
    const char *name;
    const char *source;
    const char *messages;
};

TEST(Macro, DefinitionAndCallMessages)
{
    const MessageCase cases[] = {
        {"text after MACRO", "m MACRO junk\n ENDM\n m\n",
         "Erreur: 1 [test.asm] Caract\xE8re interdit en fin de ligne\n 1 erreur\n"},
        {"label on ENDM", "m MACRO\nlab ENDM\nn MACRO\nlab: ENDM\n",
         "Erreur: 2 [test.asm] Label interdit avec ENDM\n"
         "Erreur: 4 [test.asm] Label interdit avec ENDM\n 2 erreurs\n"},
        {"end of input", "m MACRO\n nop\n",
         "2 [test.asm] Erreur irr\xE9" "cup\xE9rable: D\xE9" "finition de macro non termin\xE9" "e\n"},
        {"end keyword", "m MACRO\n END\n ENDM\n",
         "2 [test.asm] Erreur irr\xE9" "cup\xE9rable: D\xE9" "finition de macro non termin\xE9" "e\n"},
        {"MACRO in a body", "m MACRO\nn MACRO\n ENDM\n ENDM\n",
         "2 [test.asm] Erreur irr\xE9" "cup\xE9rable: Macro incluse dans une autre\n"},
        {"defined again",
         "m MACRO\n ENDM\nm MaCrO\nm macro_x\nm macro.1\nm macro9\nm\tmacro ; c\n",
         "Erreur: 3 [test.asm] Multiple d\xE9" "finition de macro 'm'\n"
         "Erreur: 7 [test.asm] Multiple d\xE9" "finition de macro 'm'\n 2 erreurs\n"},
        {"label in a body", " ORG 0\nm MACRO\nlab%0 nop\nhere nop\n ENDM\n m\n m\n",
         "Erreur:  m 7 [test.asm] Symbole d\xE9ja d\xE9" "fini 'here'\n 1 erreur\n"},
        {"error in a nested expansion", " ORG 0\nin MACRO\n retlw %1\n ENDM\nout MACRO\n in 1/0\n ENDM\n out\n",
         "Erreur:  in 8 [test.asm] Division par zero\n 1 erreur\n"},
    };
    for (const MessageCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(assemble(c.source).messages, c.messages);
    }
}

TEST(Macro, OptionInADefinitionActsAtOnceAndIsNotStored)
{
    auto run = assemble(" ORG 0\n"
                       "m MACRO\n"
                       " OPT bogus\n"
                       " OPT nolist\n"
                       " nop\n"
                       " ENDM\n"
                       " OPT list\n"
                       " m\n");
    EXPECT_EQ(run.messages, "Erreur: 3 [test.asm] Erreur de syntaxe sur OPT\n 1 erreur\n");
    EXPECT_EQ(run.listing, header +
                               "0 001 0001  0000       ORG 0\n"
                               "0 002 0002            m MACRO\n"
                               "0 003 0003             OPT bogus\n"
                               "0 004 0004             OPT nolist\n"
                               "0 007 0005             OPT list\n"
                               "0 008 0006  0000 0000  nop\n" +
                               footer);
}

TEST(Macro, ExitmLeavesTheExpansionAndItsOpenBlocks)
{
    auto run = assemble(" ORG 0\n"
                       "m MACRO\n"
                       " IF %1\n"
                       " retlw 1\n"
                       " EXITM\n"
                       " ENDIF\n"
                       " retlw 2\n"
                       " ENDM\n"
                       " m 1\n"
                       " m 0\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.listing, header +
                               "0 001 0001  0000       ORG 0\n"
                               "0 002 0002            m MACRO\n"
                               "0 003 0003             IF %1\n"
                               "0 004 0004             retlw 1\n"
                               "0 005 0005             EXITM\n"
                               "0 006 0006             ENDIF\n"
                               "0 007 0007             retlw 2\n"
                               "0 008 0008             ENDM\n"
                               "0 009 0009             IF 1\n"
                               "0 009 0010  0000 3401  retlw 1\n"
                               "0 009 0011             EXITM\n"
                               "0 010 0012             IF 0\n"
                               "0 010 0013             retlw 1\n"
                               "0 010 0014             EXITM\n"
                               "0 010 0015             ENDIF\n"
                               "0 010 0016  0001 3402  retlw 2\n" +
                               footer);
}

/* A macro library in an include file, called from the main source. */
TEST(Macro, LibraryInAnIncludeFile)
{
    const std::string dir = TEST_SOURCE_DIR "/fixtures/";
    const std::string source = " ORG 0\n"
                               " INCLUDE \"maclib.inc\"\n"
                               " twice 3, 0Ch\n";
    auto run = assemble(source, OPT_LIST_INCLUDES, "test.asm", nullptr, dir.c_str());
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.listing, header +
                               "0 001 0001  0000       ORG 0\n"
                               "0 002 0002             INCLUDE \"maclib.inc\"\n"
                               "\n............... Source " + dir + "maclib.inc ...............\n"
                               "1 001 0003            ; a small library of macros\n"
                               "1 002 0004            load MACRO\n"
                               "1 003 0005             movlw %1\n"
                               "1 004 0006             movwf %2\n"
                               "1 005 0007             ENDM\n"
                               "1 006 0008            twice MACRO\n"
                               "1 007 0009             load %1, %2\n"
                               "1 008 0010             load %1+1, %2\n"
                               "1 009 0011             ENDM\n"
                               "............... Fin de " + dir + "maclib.inc ..............\n\n"
                               "0 003 0012  0000 3003  movlw 3\n"
                               "0 003 0013  0001 008C  movwf 0Ch\n"
                               "0 003 0014  0002 3004  movlw 3+1\n"
                               "0 003 0015  0003 008C  movwf 0Ch\n" +
                               footer);
    for (int address = 0; address < 4; address++) {
        EXPECT_EQ(run.result->line_table[address], 3) << address;
        EXPECT_EQ(run.result->file_table[address], 0) << address;
    }

    auto failed = assemble(source + " twice 1/0, 0Dh\n", 0, "test.asm", nullptr, dir.c_str());
    EXPECT_EQ(failed.messages, "Erreur:  load 4 [test.asm] Division par zero\n"
                               "Erreur:  load 4 [test.asm] Division par zero\n"
                               " 2 erreurs\n");
}

/* The same program written for gpasm, whose macros name their parameters
   and make labels unique with LOCAL: both give the same records. */
TEST(Macro, SameCodeAsGpasm)
{
    const std::string ours = " ORG 0\n"
                             "load MACRO\n movlw %1\n movwf %2\n ENDM\n"
                             "wait MACRO\nlab%0 decfsz %1, 1\n goto lab%0\n ENDM\n"
                             "count MACRO\n IF %1\n retlw %1\n count %1-1\n ENDIF\n ENDM\n"
                             "pick MACRO\n IF %1 > 2\n retlw 0AAh\n EXITM\n ENDIF\n retlw %1\n ENDM\n";
    const std::string theirs = " processor 16f84\n radix dec\n org 0\n"
                               "load macro a, f\n movlw a\n movwf f\n endm\n"
                               "wait macro f\n local lab\nlab decfsz f, 1\n goto lab\n endm\n"
                               "count macro n\n if n\n retlw n\n count n-1\n endif\n endm\n"
                               "pick macro n\n if n > 2\n retlw 0AAh\n exitm\n endif\n retlw n\n endm\n";
    const std::string calls = " load 5, 0Ch\n wait 0Ch\n wait 0Dh\n count 3\n pick 1\n pick 7\n"
                              " IF 0\n retlw 55h\n ELSE\n load 7+1, 0Dh\n ENDIF\n";
    auto run = assemble(ours + calls);
    ASSERT_EQ(run.messages, "");
    ScratchFolder scratch("macros");
    write_text_file(scratch.path + "/p.asm", theirs + calls + " end\n");
    ToolRun tool = run_tool(scratch.path, "gpasm -p16f84 -w 2 p.asm");
    ASSERT_EQ(tool.status, 0) << tool.output;
    /* gpasm opens its text with an extended address record of its own. */
    EXPECT_EQ(":020000040000FA\n" + run.hex, read_text_file(scratch.path + "/p.hex"));
}

} // namespace
