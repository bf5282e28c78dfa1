/* driver_test.cpp - the line driver: the shape of a line (labels, EQU and
   SET names), the end keyword, INCLUDE, OPT, the user error message, the
   statements refused outside their place, resynchronisation after errors
   and the checks at the end of the source. */
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace {

/* The listing from its first source line on. */
std::string body(const Run &run)
{
    const std::string banner = "\n............... Source test.asm ...............\n";
    size_t start = run.listing.find(banner);
    return start == std::string::npos ? run.listing : run.listing.substr(start + banner.size());
}

const std::string END_BANNER = end_banner();

TEST(Driver, EndKeywordStopsTheSourceUnlisted)
{
    auto run = assemble(" ORG 0\n nop\n END\n nop\n ERREUR never\n");
    EXPECT_EQ(body(run),
              "0 001 0001  0000       ORG 0\n"
              "0 002 0002  0000 0000  nop\n" + END_BANNER);
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.program[1], 0x3FFF);
}

TEST(Driver, SourceWithoutEndClosesTheSameWay)
{
    auto run = assemble(" ORG 0\n nop\n");
    EXPECT_EQ(body(run),
              "0 001 0001  0000       ORG 0\n"
              "0 002 0002  0000 0000  nop\n" + END_BANNER);
}

TEST(Driver, Labels)
{
    auto run = assemble(" ORG 5\nalone:\nfirst nop\n  indented nop\nmovlx 5\n");
    EXPECT_EQ(body(run),
              "0 001 0001  0005       ORG 5\n"
              "0 002 0002  0005      alone:\n"
              "0 003 0003  0005 0000 first nop\n"
              "0 004 0004  0006 0000   indented nop\n" + END_BANNER);
    /* A misspelt mnemonic in the first column is a label; its operand is refused. */
    EXPECT_EQ(run.messages,
              "Attention: 4 [test.asm] Etiquette hors d\xE9" "but de ligne\n"
              "Erreur: 5 [test.asm] Mauvaise syntaxe\n"
              " 1 erreur\n 1 avertissement\n");
    EXPECT_NE(run.symbols.find("movlx"), std::string::npos);
    EXPECT_NE(run.symbols.find("indented"), std::string::npos);
}

TEST(Driver, TokensLeftAfterAStatementAreIgnored)
{
    auto run = assemble(" ORG 0\n movlw 5 6\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.program[0], 0x3005);
    EXPECT_EQ(run.program[1], 0x3FFF);
}

TEST(Driver, StatementsRefusedOutsideTheirPlace)
{
    struct Case {
        const char *line;
        const char *message;
    } cases[] = {
        {" EQU 3", "SET/EQU sans \xE9tiquette"},
        {" SET 3", "SET/EQU sans \xE9tiquette"},
        {" ORG 0\nn: EQU 3", "SET/EQU : erreur de syntaxe"},
        {" MACRO", "MACRO sans nom"},
        {" ENDM", "ENDM hors de la macro"},
        {" EXITM", "EXITM hors de la macro"},
        {" INCLUDE", "Nom de fichier manquant apr\xE8s INCLUDE"},
        {" INCLUDE 5", "Nom de fichier manquant apr\xE8s INCLUDE"},
        {"=loc nop", "Symbole local ext\xE9rieur au bloc"},
        {" PROCESSEUR", "Mauvaise syntaxe"},
        {" ENDLOCAL", "ENDLOCAL sans LOCAL"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        /* The refused line is not listed and the next one is read normally. */
        std::string source = std::string(c.line) + "\n; next\n";
        auto run = assemble(source);
        bool org = source.find("ORG") != std::string::npos;
        std::string line = org ? "2" : "1";
        EXPECT_EQ(run.messages, "Erreur: " + line + " [test.asm] " + c.message + "\n 1 erreur\n");
        EXPECT_EQ(body(run), org ? "0 001 0001  0000       ORG 0\n0 003 0002            ; next\n" + END_BANNER
                                 : "0 002 0001            ; next\n" + END_BANNER);
    }
}

TEST(Driver, UserErrorMessageIsTheRestOfTheLine)
{
    struct Case {
        const char *line;
        const char *message;
    } cases[] = {
        {" ERREUR text  with  blanks ; kept", "text  with  blanks ; kept\n"},
        {" ERREUR    \t after blanks", "after blanks\n"},
        {" ERREUR", ""},
        {" ERREUR   ", ""},
        {" erreur 50% done", "50% done\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        auto run = assemble(std::string(c.line) + "\n");
        EXPECT_EQ(run.messages, std::string("Erreur: 1 [test.asm] ") + c.message + "\n 1 erreur\n");
        EXPECT_EQ(body(run), END_BANNER);
    }
}

TEST(Driver, IncludeWithTrailingTextIsStillIncluded)
{
    auto run = assemble(" INCLUDE \"" KIT_SOURCE_DIR "/examples/p16f84.inc\" extra\n x EQU PORTB\n");
    EXPECT_EQ(run.messages, "Erreur: 1 [test.asm] Caract\xE8re interdit dans la ligne source\n 1 erreur\n");
    EXPECT_NE(body(run).find("0 002 0002  0006       x EQU PORTB\n"), std::string::npos);
}

TEST(Driver, OptWithAnUnknownWordIsOneErrorAndTheNextLineIsAssembled)
{
    for (const char *opt : {" OPT maybe\n", " OPT\n", " OPT 1\n", " OPT \"list\"\n"}) {
        SCOPED_TRACE(opt);
        auto run = assemble(std::string(opt) + " ORG 0\n nop\n");
        EXPECT_EQ(run.messages, "Erreur: 1 [test.asm] Erreur de syntaxe sur OPT\n 1 erreur\n");
        EXPECT_EQ(body(run),
                  "0 002 0001  0000       ORG 0\n"
                  "0 003 0002  0000 0000  nop\n" + END_BANNER);
    }
}

TEST(Driver, InvalidCharacterStartingAStatementIsReportedTwice)
{
    auto run = assemble("lbl: # nop\n; next\n");
    /* The first report comes as the colon is consumed, before the label is defined. */
    EXPECT_EQ(run.messages,
              "Erreur: 1 [test.asm] Instruction invalide\n"
              "Attention: 1 [test.asm] ORG absent : adresse 0 prise par d\xE9" "faut\n"
              "Erreur: 1 [test.asm] Instruction invalide\n"
              "Erreur: 1 [test.asm] Mauvaise syntaxe\n"
              " 3 erreurs\n"
              " 1 avertissement\n");
    EXPECT_EQ(body(run), "0 002 0001            ; next\n" + END_BANNER);
}

TEST(Driver, EndChecksCarryNoLocation)
{
    auto run = assemble(" ORG 0\n LOCAL\n goto nowhere\n");
    EXPECT_EQ(run.messages,
              "Erreur: LOCAL sans ENDLOCAL\n"
              "Erreur: Etiquette non d\xE9" "finie 'nowhere'\n"
              " 2 erreurs\n");
}

TEST(Driver, EquAndSetLinesShowTheirValue)
{
    auto run = assemble("a EQU 3\nb SET a + 1\nb SET b * 2\nc EQU -1\n");
    EXPECT_EQ(body(run),
              "0 001 0001  0003      a EQU 3\n"
              "0 002 0002  0004      b SET a + 1\n"
              "0 003 0003  0008      b SET b * 2\n"
              "0 004 0004  FFFFFFFF      c EQU -1\n" +
              END_BANNER + " Aucun code g\xE9n\xE9r\xE9\n");
    EXPECT_EQ(run.messages, "");
}

TEST(Driver, FailedEquIsNotListed)
{
    auto run = assemble("a EQU (\n; next\n");
    EXPECT_EQ(body(run), "0 002 0001            ; next\n" + END_BANNER);
}

} // namespace
