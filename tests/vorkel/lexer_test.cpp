/* lexer_test.cpp - tokens as the listing and the messages show them: the
   number notations (through the value an EQU line shows), character and
   string constants, comments, names and keywords by their position in the
   caller's list, and the lexer's three messages. */
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "harness.h"

namespace {

const std::string INVALID_DIGIT = "Erreur: 1 [test.asm] Chiffre invalide dans un nombre\n 1 erreur\n";

/* The listing line of "x EQU <value>" when it shows the value v. */
std::string equ_listing_line(const std::string &operand, uint32_t v)
{
    char value[16];
    snprintf(value, sizeof value, "%04X", v);
    return std::string("0 001 0001  ") + value + "      x EQU " + operand + "\n";
}

/* The one source line of a run, as listed. */
std::string listed_line(const Run &run)
{
    size_t start = run.listing.find("0 001 ");
    if (start == std::string::npos)
        return "";
    return run.listing.substr(start, run.listing.find('\n', start) + 1 - start);
}

TEST(Lexer, NumberNotations)
{
    struct Case {
        const char *text;
        uint32_t value;
        const char *messages;
    } cases[] = {
        {"0FFh", 255, ""},
        {"1Bh", 27, ""},
        {"17o", 15, ""},
        {"17O", 15, ""},
        {"1010b", 10, ""},
        {"0b1010", 10, ""},
        {"0B11", 3, ""},
        {"99d", 99, ""},
        {"99", 99, ""},
        {"0x1F", 31, ""},
        {"0X1f", 31, ""},
        {"0x", 0, ""},
        {"H'1F'", 31, ""},
        {"h'ff'", 255, ""},
        {"B'0101'", 5, ""},
        {"O'17'", 15, ""},
        {"D'99'", 99, ""},
        {"$1F", 31, ""},
        {"'A'", 65, ""},
        {"' '", 32, ""},
        {"0FFFFFFFFh", 0xFFFFFFFF, ""},
        {"100000000h", 0, ""},      /* wraps in 32 bits */
        {"12AB", 1, INVALID_DIGIT.c_str()},
        {"19o", 1, INVALID_DIGIT.c_str()},
        {"0b102", 2, INVALID_DIGIT.c_str()},
        {"B'0120'", 1, INVALID_DIGIT.c_str()},
        {"1F", 1, INVALID_DIGIT.c_str()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        auto run = assemble(std::string("x EQU ") + c.text + "\n");
        EXPECT_EQ(listed_line(run), equ_listing_line(c.text, c.value));
        EXPECT_EQ(run.messages, c.messages);
    }
}

TEST(Lexer, ANumberRunStopsAtTheFirstCharacterThatIsNoHexDigit)
{
    /* 12G: the number 12, then the name G, left over and ignored. */
    auto run = assemble("x EQU 12G\n");
    EXPECT_EQ(listed_line(run), equ_listing_line("12G", 12));
    EXPECT_EQ(run.messages, "");
}

TEST(Lexer, CommentsAndSlash)
{
    struct Case {
        const char *text;
        uint32_t value;
    } cases[] = {
        {"6 / 2", 3},
        {"6 // 2", 6},
        {"6 ; / 2", 6},
        {"6//2", 6},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        auto run = assemble(std::string("x EQU ") + c.text + "\n");
        EXPECT_EQ(listed_line(run), equ_listing_line(c.text, c.value));
        EXPECT_EQ(run.messages, "");
    }
}

TEST(Lexer, NamesDotsDollarsLocalsAndOperators)
{
    auto run = assemble(" ORG 7\n"
                        "a.b EQU 1\n"
                        ".x EQU 2\n"
                        ".5 EQU 3\n"
                        "here EQU .\n"
                        "there EQU $\n"
                        "dollar EQU $G\n"
                        "_u EQU a.b + .x\n"
                        "v EQU 1 == 1\n"
                        "w EQU 2 <> 3\n"
                        "z EQU 1 << 4 >> 1\n"
                        " ORG 0\n"
                        "=l nop\n"
                        " LOCAL\n"
                        "=l: goto =l\n"
                        " ENDLOCAL\n");
    EXPECT_EQ(run.listing.substr(run.listing.find("0 001")),
              "0 001 0001  0007       ORG 7\n"
              "0 002 0002  0001      a.b EQU 1\n"
              "0 003 0003  0002      .x EQU 2\n"
              "0 004 0004  0003      .5 EQU 3\n"
              "0 005 0005  0007      here EQU .\n"
              "0 006 0006  0007      there EQU $\n"
              "0 007 0007  0007      dollar EQU $G\n"
              "0 008 0008  0003      _u EQU a.b + .x\n"
              "0 009 0009  FFFFFFFF      v EQU 1 == 1\n"
              "0 010 0010  FFFFFFFF      w EQU 2 <> 3\n"
              "0 011 0011  0008      z EQU 1 << 4 >> 1\n"
              "0 012 0012  0000       ORG 0\n"
              "0 014 0013             LOCAL\n"
              "0 015 0014  0000 2800 =l: goto =l\n"
              "0 016 0015             ENDLOCAL\n"
              "............... Fin de test.asm ..............\n\n");
    EXPECT_EQ(run.messages, "Erreur: 13 [test.asm] Symbole local ext\xE9rieur au bloc\n 1 erreur\n");
}

TEST(Lexer, LinesWithNothingToAssemble)
{
    auto run = assemble("; only a comment\n// another\n\n   \t\n");
    EXPECT_EQ(run.listing.substr(run.listing.find("0 001")),
              "0 001 0001            ; only a comment\n"
              "0 002 0002            // another\n"
              "0 003 0003            \n"
              "0 004 0004               \t\n"
              "............... Fin de test.asm ..............\n\n"
              " Aucun code g\xE9n\xE9r\xE9\n");
    EXPECT_EQ(run.messages, "");
}

TEST(Lexer, InvalidCharactersAndConstants)
{
    struct Case {
        const char *source;
        const char *messages;
    } cases[] = {
        /* reported twice (the driver reads the statement's first token again), then refused */
        {"?\n", "Erreur: 1 [test.asm] Instruction invalide\n"
                "Erreur: 1 [test.asm] Instruction invalide\n"
                "Erreur: 1 [test.asm] Mauvaise syntaxe\n 3 erreurs\n"},
        {"\xE9t\xE9\n", "Erreur: 1 [test.asm] Instruction invalide\n"
                        "Erreur: 1 [test.asm] Instruction invalide\n"
                        "Erreur: 1 [test.asm] Mauvaise syntaxe\n 3 erreurs\n"},
        {"!\n", "Erreur: 1 [test.asm] Instruction invalide\n"
                "Erreur: 1 [test.asm] Mauvaise syntaxe\n 2 erreurs\n"},
        /* the invalid token then fails the expression: the line is not listed */
        {"x EQU 'AB'\n", "Erreur: 1 [test.asm] Instruction invalide\n"
                         "Erreur: 1 [test.asm] Erreur de syntaxe dans l'expression\n 2 erreurs\n"},
        {"x EQU H'1F\n", "Erreur: 1 [test.asm] Instruction invalide\n"
                         "Erreur: 1 [test.asm] Erreur de syntaxe dans l'expression\n 2 erreurs\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.source);
        auto run = assemble(c.source);
        EXPECT_EQ(run.messages, c.messages);
        EXPECT_EQ(run.listing.find("0 001"), std::string::npos);
    }
}

TEST(Lexer, StringOf255CharactersAtMost)
{
    /* The string's text shows in the message of the include that fails;
       the source line is longer than 255 characters, so the messages come
       from its second piece. */
    const std::string text(300, 's');
    auto run = assemble(" INCLUDE \"" + text + "\"\n");
    EXPECT_EQ(run.messages,
              "Erreur: 2 [test.asm] Chaine non termin\xE9" "e\n"
              "Erreur: 2 [test.asm] Caract\xE8re interdit dans la ligne source\n"
              "Erreur: 2 [test.asm] Impossible d'ouvrir fichier inclus '" + text.substr(0, 255) + "'\n"
              " 3 erreurs\n");
}

TEST(Lexer, UnterminatedStringReadsOnOverLineEnds)
{
    auto run = assemble(" INCLUDE \"a\n b\"\n");
    EXPECT_EQ(run.messages, "Erreur: 2 [test.asm] Impossible d'ouvrir fichier inclus 'a\n b'\n 1 erreur\n");
    auto open = assemble(" INCLUDE \"a\n");
    EXPECT_EQ(open.messages,
              "Erreur: 1 [test.asm] Chaine non termin\xE9" "e\n"
              "Erreur: 1 [test.asm] Impossible d'ouvrir fichier inclus 'a\n'\n 2 erreurs\n");
}

TEST(Lexer, KeywordsIgnoreCaseSymbolsDoNot)
{
    auto lower = assemble(" ORG 0\n movlw 5\n");
    auto upper = assemble(" org 0\n MOVLW 5\n");
    EXPECT_EQ(upper.program, lower.program);
    EXPECT_EQ(lower.program[0], 0x3005);
    auto symbols = assemble("Loop EQU 1\nloop EQU 2\n");
    EXPECT_EQ(symbols.messages, "");
}

TEST(Lexer, KeywordsAreKnownByTheirPositionOnly)
{
    /* The caller's-choice positions with other words; END and ERREUR are
       then plain names. */
    std::vector<std::string> words = {
        "INCLUDE", "MACRO", "ENDM", "EXITM", "IF", "ELSE", "ENDIF", "EQU", "SET",
        "STOP", "ORG", "RESERVE", "EEDATA", "CONFIG", "IDLOC", "NOROLE",
        "ISDEF", "STREQ", "ISSTR", "CHARAT", "OPT", "LOCAL", "ENDLOCAL", "FAIL"};
    for (const char *m : {"addlw", "addwf", "andlw", "andwf", "bcf", "bsf", "btfsc", "btfss", "call", "clrf",
                          "clrw", "clrwdt", "comf", "decf", "decfsz", "goto", "incf", "incfsz", "iorlw",
                          "iorwf", "movlw", "movf", "movwf", "nop", "option", "retfie", "retlw", "return",
                          "rlf", "rrf", "sleep", "sublw", "subwf", "swapf", "tris", "xorlw", "xorwf"})
        words.push_back(m);
    const std::string list = keyword_list_of(words);
    auto run = assemble(" ORG 0\n FAIL own words\n END EQU 3\n nop\n stop\n nop\n", 0, "test.asm", &list);
    EXPECT_EQ(run.messages, "Erreur: 2 [test.asm] own words\n\n 1 erreur\n");
    EXPECT_EQ(run.listing.substr(run.listing.find("0 001")),
              "0 001 0001  0000       ORG 0\n"
              "0 003 0002  0003       END EQU 3\n"
              "0 004 0003  0000 0000  nop\n"
              "............... Fin de test.asm ..............\n\n");
}

TEST(Lexer, ShortListLeavesTheMissingWordsAsNames)
{
    const std::string list = keyword_list_of({"INCLUDE", "MACRO", "ENDM", "EXITM", "IF", "ELSE", "ENDIF", "EQU"});
    auto run = assemble("ORG EQU 7\n", 0, "test.asm", &list);
    EXPECT_EQ(listed_line(run), "0 001 0001  0007      ORG EQU 7\n");
}

TEST(Lexer, QuietInsideASkippedBlock)
{
    auto run = assemble(" IF 0\n ? \"open\n x EQU 19o\n ENDIF\n");
    EXPECT_EQ(run.messages, "");
}

} // namespace
