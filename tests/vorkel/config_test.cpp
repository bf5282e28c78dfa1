/* config_test.cpp - CONFIG settings and their word, the ID directive and its
   four words, their messages and what the listing shows for them. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace {

std::string error_at(int line, const std::string &message)
{
    return "Erreur: " + std::to_string(line) + " [test.asm] " + message + "\n";
}

const char SYNTAX[] = "CONFIG : Erreur de syntaxe";

struct ConfigCase {
    const char *source;
    uint16_t word;
    std::string messages; /* the error lines, totals excluded */
};

TEST(Config, SettingsGiveTheirWordAndMessages)
{
    const ConfigCase cases[] = {
        {"\tCONFIG OSC=XT\n", 0x3FFD, ""},
        {"\tCONFIG OSC = HS, WDT = off, PWRT = on, CP = off\n", 0x3FF2, ""},
        {"\tconfig osc=lp,wdt=OUI,pwrt=non\n", 0x3FFC, ""},
        {"\tCONFIG CP=on\n", 0x000F, ""},
        {"\tCONFIG wdt=Enabled\n", 0x3FFF, ""},
        {"\tCONFIG WDT=disable_it\n", 0x3FFB, ""},
        {"\tCONFIG MCLR=on\n", 0xFFFF, ""},
        /* Settings of other devices are ignored, whatever their value. */
        {"\tCONFIG FOO=1\n", 0xFFFF, ""},
        {"\tCONFIG FOO = -1, OSC=LP\n", 0x3FFC, ""},
        {"\tCONFIG WDT=maybe\n", 0xFFFF, error_at(1, SYNTAX)},
        {"\tCONFIG WDT=enab\n", 0xFFFF, error_at(1, SYNTAX)},
        {"\tCONFIG OSC=XX\n", 0xFFFF, error_at(1, SYNTAX)},
        {"\tCONFIG OSC = 1\n", 0xFFFF, error_at(1, SYNTAX)},
        {"\tCONFIG FOO =\n", 0xFFFF, error_at(1, SYNTAX)},
        {"\tCONFIG 5\n", 0xFFFF, error_at(1, SYNTAX)},
        {"\tCONFIG OSC XT\n", 0xFFFF, error_at(1, "'=' attendu")},
        {"\tCONFIG OSC=INTRC\n", 0xFFFF, error_at(1, "Mauvais type d'oscillateur")},
        {"\tCONFIG BOD=on\n", 0xFFFF, error_at(1, "BODEN inexistant dans PIC16F84")},
        {"\tCONFIG MPE=off\n", 0xFFFF, error_at(1, "MPEEN inexistant dans PIC16F84")},
        /* Settings before the one that stops the statement stay applied. */
        {"\tCONFIG WDT=off, OSC=IN, PWRT=on\n", 0x3FFB, error_at(1, "Mauvais type d'oscillateur")},
        {"\tCONFIG OSC=XT\n\tCONFIG OSC=HS\n", 0x3FFD, error_at(2, "CONFIG multiple")},
        /* A CONFIG that changed nothing leaves room for the next one. */
        {"\tCONFIG MCLR=on\n\tCONFIG OSC=HS\n", 0x3FFE, ""},
    };
    for (const ConfigCase &c : cases) {
        ::Run run = assemble(c.source);
        EXPECT_EQ(run.config, c.word) << c.source;
        std::string total = c.messages.empty() ? "" : " 1 erreur\n";
        EXPECT_EQ(run.messages, c.messages + total) << c.source;
    }
}

TEST(Config, ErrorDropsOnlyItsOwnLine)
{
    ::Run run = assemble("\tORG 0\n\tCONFIG OSC XT, WDT=off\n\tnop\n\tCONFIG WDT=off\n");
    EXPECT_EQ(run.messages, error_at(2, "'=' attendu") + " 1 erreur\n");
    EXPECT_EQ(run.program[0], 0x0000);
    EXPECT_EQ(run.config, 0x3FFB);
}

/* The CONFIG line shows the word with at least three digits in the code
   column, as its one word: no continuation line. */
TEST(Config, ListingShowsTheWord)
{
    const std::string no_address(4 + 2 + 1, ' ');
    ::Run run = assemble("\tCONFIG CP=on\n\tnop\n");
    EXPECT_NE(run.listing.find("0 001 0001" + no_address + "00F \tCONFIG CP=on\n0 002 0002  "), std::string::npos)
        << run.listing;
    ::Run all_set = assemble("\tCONFIG OSC=RC\n");
    EXPECT_NE(all_set.listing.find("0 001 0001" + no_address + "3FFF \tCONFIG OSC=RC\n."), std::string::npos)
        << all_set.listing;
}

struct IdCase {
    const char *source;
    uint16_t words[4];
    std::string messages;
};

TEST(Id, ValuesFillTheFourWords)
{
    const IdCase cases[] = {
        {"\tIDENT 1, 2\n", {1, 2, 0x3FFF, 0x3FFF}, ""},
        {"\tIDENT 1,2,3,0x3FFF\n", {1, 2, 3, 0x3FFF}, ""},
        {"\tIDENT 0\n", {0, 0x3FFF, 0x3FFF, 0x3FFF}, ""},
        {"\tIDENT 1,2,3,4,5\n", {1, 2, 3, 4}, error_at(1, "ID trop long (4 octets maxi)")},
        {"\tIDENT 0x4000, 5\n", {0xFFFF, 5, 0x3FFF, 0x3FFF}, error_at(1, "ID trop grand  (14 bits maxi)")},
        /* The rejected word reads unused, not the 5 of the run before. */
        {"\tIDENT 1, -1, 3\n", {1, 0x3FFF, 3, 0x3FFF}, error_at(1, "ID trop grand  (14 bits maxi)")},
        {"\tIDENT 1\n\tIDENT 2\n", {1, 0x3FFF, 0x3FFF, 0x3FFF},
         error_at(2, "Red\xE9" "finition de l'identification")},
        /* A rejected first value leaves the run without ID: a later one is taken. */
        {"\tIDENT 0x4000\n\tIDENT 7\n", {7, 0x3FFF, 0x3FFF, 0x3FFF}, error_at(1, "ID trop grand  (14 bits maxi)")},
    };
    for (const IdCase &c : cases) {
        ::Run run = assemble(c.source);
        for (int i = 0; i < 4; i++)
            EXPECT_EQ(run.id[i], c.words[i]) << c.source << " word " << i;
        std::string total = c.messages.empty() ? "" : " 1 erreur\n";
        EXPECT_EQ(run.messages, c.messages + total) << c.source;
    }
}

/* The evaluator reports a failed ID value and drops the rest of its line;
   the ID message follows without dropping another line, so the next line is
   still assembled. By then the reader stands on that next line, whose
   number the ID message carries. */
TEST(Id, FailedExpressionLosesNoLine)
{
    ::Run run = assemble("\tORG 0\n\tIDENT 1, (2\n\tnop\n\tsleep\n");
    EXPECT_EQ(run.messages, error_at(2, "')' attendu") +
                                error_at(3, "Mauvaise expression pour l'identification") + " 2 erreurs\n");
    EXPECT_EQ(run.program[0], 0x0000);
    EXPECT_EQ(run.program[1], 0x0063);
    EXPECT_EQ(run.id, (std::vector<uint16_t>{1, 0x3FFF, 0x3FFF, 0x3FFF}));
}

/* ID words are listed without address or code, and store no code. */
TEST(Id, OnlyIdAndConfigStoreNoCode)
{
    ::Run run = assemble("\tIDENT 1,2\n\tCONFIG OSC=XT\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.hex, "");
    EXPECT_NE(run.listing.find("0 001 0001" + std::string(2 + 4 + 6, ' ') + "\tIDENT 1,2\n"), std::string::npos) << run.listing;
    EXPECT_NE(run.listing.find(" Aucun code g\xE9n\xE9r\xE9\n"), std::string::npos);
    EXPECT_EQ(run.config, 0x3FFD);
}

} // namespace
