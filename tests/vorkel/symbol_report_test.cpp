/* symbol_report_test.cpp - the symbol table report and the macro names: name
   order, the four kinds' lines, definition places, and the empty run. */
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "harness.h"

namespace {

const std::string HEADER = "Nom             Valeur Texte/Ligne\n\n";

TEST(SymbolReport, EmptySourceGivesTheHeaderAlone)
{
    ::Run run = assemble("");
    EXPECT_EQ(run.symbols, HEADER);
    EXPECT_EQ(run.macros, " ");
}

TEST(SymbolReport, AllKindsInByteOrder)
{
    const std::string source =
        "b\tEQU 1\n"                       // 1
        "B\tEQU 2\n"                       // 2
        "_a\tEQU 3\n"                      // 3
        "A1\tEQU 4\n"                      // 4
        "minus\tEQU -1\n"                  // 5
        "\tORG 0x12\n"                     // 6
        "loop\tnop\n"                      // 7
        "count\tSET 1\n"                   // 8
        "count\tSET 2\n"                   // 9
        "m2\tMACRO\n"                      // 10
        "\tENDM\n"                         // 11
        "\tgoto nowhere\n"                 // 12
        "m1\tMACRO\n"                      // 13
        "\tENDM\n"                         // 14
        "a_rather_long_name EQU 0x12345\n" // 15
        "loo\tgoto loop\n";                // 16
    ::Run run = assemble(source);
    EXPECT_EQ(run.symbols, HEADER +
                               "A1              4          0/4\n"
                               "B               2          0/2\n"
                               "_a              3          0/3\n"
                               "a_rather_long_name 12345      0/15\n"
                               "b               1          0/1\n"
                               "count           ???\n"
                               "loo             14         0/16\n"
                               "loop            12         0/7\n"
                               "minus           ffffffff   0/5\n"
                               "nowhere         Ind\xE9" "finie  0/12\n");
    EXPECT_EQ(run.macros, " m1 m2 ");
}

/* A run stopped by a fatal error still reports what its table holds. */
TEST(SymbolReport, WrittenAfterAFatalError)
{
    ::Run run = assemble("last\tEQU 0x3FF\n\tORG last\n\tnop\nafter\tnop\n");
    EXPECT_NE(run.messages.find("Adresse hors m\xE9moire"), std::string::npos) << run.messages;
    EXPECT_EQ(run.symbols, HEADER +
                               "after           400        0/4\n"
                               "last            3ff        0/1\n");
}

/* A symbol defined in an included file carries that file's number and its
   own line there. */
TEST(SymbolReport, IncludedDefinitionsCarryTheirFile)
{
    const std::string dir = ::testing::TempDir();
    std::ofstream(dir + "report_defs.inc") << "\r\nSTATUS\tEQU 3\r\n";
    ::Run run = assemble("\tINCLUDE \"report_defs.inc\"\nRP0\tEQU 5\n", 0, "test.asm", nullptr, dir.c_str());
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.symbols, HEADER +
                               "RP0             5          0/2\n"
                               "STATUS          3          1/2\n");
    std::remove((dir + "report_defs.inc").c_str());
}

} // namespace
