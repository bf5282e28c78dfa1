/* listing_test.cpp - the listing's columns for each kind of line, its
   continuation lines, OPT's listing states and the lines it leaves out. */
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace {

const std::string HEAD = listing_header() + source_banner();
const std::string END_BANNER = end_banner();

TEST(Listing, ColumnsOfEveryKindOfLine)
{
    auto run = assemble("; comment\n"
                        "\n"
                        "value EQU 0x1234\n"
                        " ORG 5\n"
                        "label:\n"
                        "start: movlw 5 ; 50% done, %s %d\n"
                        " retlw \"abc\"\n"
                        " CONFIG OSC=XT\n"
                        " ORG 0, zdata\n"
                        " DE 1, 2\n"
                        " ORG 0x20, zreg\n"
                        "var RES 2\n");
    EXPECT_EQ(run.listing,
              HEAD +
              "0 001 0001            ; comment\n"
              "0 002 0002            \n"
              "0 003 0003  1234      value EQU 0x1234\n"
              "0 004 0004  0005       ORG 5\n"
              "0 005 0005  0005      label:\n"
              "0 006 0006  0005 3005 start: movlw 5 ; 50% done, %s %d\n"
              "0 007 0007  0006 3461  retlw \"abc\"\n"
              "0007  0007 3462\n"
              "0007  0008 3463\n"
              "0 008 0008       3FFD  CONFIG OSC=XT\n"
              "0 009 0009  0000       ORG 0, zdata\n"
              "0 010 0010             DE 1, 2\n"
              "0 011 0011  0020       ORG 0x20, zreg\n"
              "0 012 0012  0020      var RES 2\n" +
              END_BANNER);
    EXPECT_EQ(run.messages, "");
}

TEST(Listing, OptTurnsTheListingOffAfterItsLineAndOnFromItsLine)
{
    auto run = assemble("; a\n OPT nol\n; hidden\n OPT List\n; b\n OPT NOLIST\n; hidden too\n");
    /* The listing is off at the end: no closing banner either. */
    EXPECT_EQ(run.listing,
              HEAD +
              "0 001 0001            ; a\n"
              "0 002 0002             OPT nol\n"
              "0 004 0003             OPT List\n"
              "0 005 0004            ; b\n"
              "0 006 0005             OPT NOLIST\n"
              " Aucun code g\xE9n\xE9r\xE9\n");
    EXPECT_EQ(run.messages, "");
}

TEST(Listing, EveryOptNolistLineIsListedItself)
{
    /* nolist always means "this line, then no more", even while off. */
    auto run = assemble(" OPT l\n OPT nolist\n; hidden\n OPT nol\n OPT l\n");
    EXPECT_EQ(run.listing,
              HEAD +
              "0 001 0001             OPT l\n"
              "0 002 0002             OPT nolist\n"
              "0 004 0003             OPT nol\n"
              "0 005 0004             OPT l\n" +
              END_BANNER + " Aucun code g\xE9n\xE9r\xE9\n");
}

TEST(Listing, LinesThatAreNotListedDoNotCount)
{
    auto run = assemble(" ORG 0\n nop\n ERREUR skipped\n bad 1\n nop\n END\n nop\n");
    EXPECT_EQ(run.listing,
              HEAD +
              "0 001 0001  0000       ORG 0\n"
              "0 002 0002  0000 0000  nop\n"
              "0 005 0003  0001 0000  nop\n" +
              END_BANNER);
}

TEST(Listing, LineNumbersWidenPastTheirColumns)
{
    std::string source;
    for (int i = 0; i < 1000; i++)
        source += ";\n";
    auto run = assemble(source + " ERREUR x\n");
    EXPECT_NE(run.listing.find("0 999 0999            ;\n0 1000 1000            ;\n" + END_BANNER), std::string::npos);
    EXPECT_EQ(run.messages, "Erreur: 1001 [test.asm] x\n\n 1 erreur\n");
}

} // namespace
