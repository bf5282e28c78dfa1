/* images_test.cpp - the memory images and ORG through asmbl: where program
   words, EEPROM bytes and variables land, the messages of the location
   counters, and the listing's address and code columns. */
#include <gtest/gtest.h>

#include <cstring>

#include "harness.h"

namespace {

const std::string NO_ORG = "Absence de ORG : Adresse 0 prise par d\xE9" "faut";
const std::string ORG_NOT_FOUND = "ORG non trouv\xE9";

/* The listing line of a source text (without the leading file, line and
   listing-number columns): address and code columns followed by the text. */
std::string listed(const Run &run, const std::string &text)
{
    size_t at = run.listing.find(text + "\n");
    if (at == std::string::npos)
        return "(not listed)";
    size_t start = run.listing.rfind('\n', at) + 1;
    return run.listing.substr(start + 12, at + text.size() - start - 12);
}

TEST(ProgramImage, WithoutOrgTheFirstWordWarnsAndLandsAtZero)
{
    for (int run_number = 0; run_number < 2; ++run_number) { /* a second run starts afresh */
        auto run = assemble(" nop\n clrw\n sleep\n");
        EXPECT_EQ(run.messages, "Attention: 1 [test.asm] " + NO_ORG + "\n 1 avertissement\n");
        EXPECT_EQ(run.program[0], 0x0000);
        EXPECT_EQ(run.program[1], 0x0100);
        EXPECT_EQ(run.program[2], 0x0063);
        EXPECT_EQ(run.program[3], 0x3FFF);
    }
}

TEST(ProgramImage, EmptyWordFollowsTheOption)
{
    auto plain = assemble(" ORG 1\n nop\n");
    auto ffff = assemble(" ORG 1\n nop\n", OPT_EMPTY_FFFF);
    EXPECT_EQ(plain.program[0], 0x3FFF);
    EXPECT_EQ(plain.program[1023], 0x3FFF);
    EXPECT_EQ(ffff.program[0], 0xFFFF);
    EXPECT_EQ(ffff.program[1023], 0xFFFF);
    EXPECT_EQ(ffff.program[1], 0x0000);
    EXPECT_EQ(ffff.messages, "");
}

TEST(ProgramImage, OverwrittenWordWarnsWithItsAddress)
{
    auto run = assemble(" ORG 0x1A\n nop\n ORG 0x1A\n clrw\n");
    EXPECT_EQ(run.messages, "Attention: 4 [test.asm] Code \xE9" "cras\xE9 \xE0 0x1a\n\n 1 avertissement\n");
    EXPECT_EQ(run.program[0x1A], 0x0100);
}

TEST(ProgramImage, WordPastTheLastAddressEndsTheRun)
{
    auto run = assemble(" ORG 0x3FF\n nop\n clrw\n sleep\n");
    EXPECT_EQ(run.messages, "3 [test.asm] Erreur irr\xE9" "cup\xE9" "rable: Adresse hors m\xE9" "moire\n");
    EXPECT_EQ(run.program[0x3FF], 0x0000);
    EXPECT_EQ(run.hex, "");
}

TEST(ProgramImage, LineAndFileTablesLocateEachWord)
{
    auto run = assemble(" ORG 4\n\n nop\n retlw \"ab\"\n");
    EXPECT_EQ(run.result->line_table[4], 3);
    EXPECT_EQ(run.result->line_table[5], 4);
    EXPECT_EQ(run.result->line_table[6], 4);
    EXPECT_EQ(run.result->file_table[4], 0);
}

TEST(Org, AreasAreChosenByTheFirstThingStored)
{
    auto run = assemble(" ORG 0x10\n nop\n"
                       " ORG 0x10\n DE 7\n"
                       " ORG 0x20\nv1 RES 2\nv2 RES 1\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.program[0x10], 0x0000);
    EXPECT_EQ(run.eeprom[0x10], 7);
    EXPECT_EQ(run.eeprom[0x0F], 0xFFFF);
    ASSERT_EQ(run.result->variable_count, 2);
    EXPECT_STREQ(run.result->variable_names[0], "v1");
    EXPECT_EQ(run.result->variable_addresses[0], 0x20);
    EXPECT_EQ(run.result->variable_sizes[0], 2);
    EXPECT_STREQ(run.result->variable_names[1], "v2");
    EXPECT_EQ(run.result->variable_addresses[1], 0x22);
}

TEST(Org, ModeWordsResumeEachAreaWhereItWasLeft)
{
    auto run = assemble(" ORG 0, zprog\n nop\n nop\n"
                       " ORG 0x0C, zreg\ncount RES 1\n"
                       " ORG 3, ZDATA\n DE 1\n"
                       " ORG zprog\n goto count\n"
                       " ORG zreg\nflag RES 1\n"
                       " ORG zdata\n DE 2\n"
                       " ORG zprog\n movlw flag\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.program[2], 0x280C);
    EXPECT_EQ(run.program[3], 0x300D);
    EXPECT_EQ(run.eeprom[3], 1);
    EXPECT_EQ(run.eeprom[4], 2);
}

TEST(Org, DirectiveMessages)
{
    const struct {
        const char *source;
        std::string messages;
    } cases[] = {
        {" ORG zdata\n", "Erreur: 1 [test.asm] " + ORG_NOT_FOUND + "\n 1 erreur\n"},
        {" ORG 1024\n", "Erreur: 1 [test.asm] ORG hors m\xE9" "moire\n 1 erreur\n"},
        {" ORG -1\n", "Erreur: 1 [test.asm] ORG hors m\xE9" "moire\n 1 erreur\n"},
        {" ORG 5, zfoo\n", "Erreur: 1 [test.asm] Mode ORG invalide\n 1 erreur\n"},
        {" ORG 5,\n nop\n", "Erreur: 1 [test.asm] Mode ORG invalide\n 1 erreur\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(assemble(c.source).messages, c.messages) << c.source;
}

/* ORG <mode word> forgets the pending address first: when that area was
   never positioned, the next word is placed as if no ORG had been given. */
TEST(Org, FailedModeWordLeavesNoAreaPositioned)
{
    auto run = assemble(" ORG 5, zfoo\n nop\n ORG zdata\n clrw\n");
    EXPECT_EQ(run.messages, "Erreur: 1 [test.asm] Mode ORG invalide\n"
                            "Erreur: 3 [test.asm] " + ORG_NOT_FOUND + "\n"
                            "Attention: 4 [test.asm] " + NO_ORG + "\n"
                            " 2 erreurs\n 1 avertissement\n");
    EXPECT_EQ(run.program[5], 0x0000); /* the invalid mode left 5 pending */
    EXPECT_EQ(run.program[0], 0x0100);
    EXPECT_EQ(run.program[6], 0x3FFF);
}

TEST(Eeprom, DataListStoresBytesAndStringCharacters)
{
    auto run = assemble(" ORG 0, zdata\n DE 1, 256, \"ab\", -1, 0xFF\n");
    EXPECT_EQ(run.messages, "Erreur: 2 [test.asm] Donn\xE9" "e EEPROM trop grande (8 bits)\n"
                            "Erreur: 2 [test.asm] Donn\xE9" "e EEPROM trop grande (8 bits)\n"
                            " 2 erreurs\n");
    const uint16_t expected[] = {1, 0x61, 0x62, 0xFF, 0xFFFF};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(run.eeprom[i], expected[i]) << "EEPROM address " << i;
}

TEST(Eeprom, FirstByteWithoutOrgIsDroppedAndTheNextStartAtZero)
{
    auto run = assemble(" DE 1, 2, 3\n");
    EXPECT_EQ(run.messages, "Erreur: 1 [test.asm] " + ORG_NOT_FOUND + "\n 1 erreur\n");
    EXPECT_EQ(run.eeprom[0], 2);
    EXPECT_EQ(run.eeprom[1], 3);
    EXPECT_EQ(run.eeprom[2], 0xFFFF);
}

TEST(Eeprom, OverflowAndOverwrite)
{
    auto full = assemble(" ORG 0x3E, zdata\n DE 1, 2, 3\n");
    EXPECT_EQ(full.messages, "2 [test.asm] Erreur irr\xE9" "cup\xE9" "rable: Adresse hors EEPROM\n");
    EXPECT_EQ(full.eeprom[0x3F], 2);

    auto twice = assemble(" ORG 9, zdata\n DE 1\n ORG 9\n DE 2\n");
    EXPECT_EQ(twice.messages, "Attention: 4 [test.asm] Donn\xE9" "e en EEPROM \xE9" "cras\xE9" "e \xE0 0x9\n\n"
                              " 1 avertissement\n");
    EXPECT_EQ(twice.eeprom[9], 2);
}

/* After "ORG en conflit" the requested area may never have been positioned:
   nothing stored then may land outside its image. */
TEST(Conflicts, NothingIsStoredAndNothingLandsOutsideAnImage)
{
    auto data = assemble(" ORG 0\n nop\n DE 1, 2\n DE 3\n");
    EXPECT_EQ(data.messages, "Erreur: 3 [test.asm] ORG en conflit\n"
                             "Erreur: 3 [test.asm] " + ORG_NOT_FOUND + "\n"
                             " 2 erreurs\n");
    EXPECT_EQ(data.eeprom[0], 3);
    EXPECT_EQ(data.eeprom[1], 0xFFFF);

    auto code = assemble(" ORG 0, zdata\n DE 1\n nop\n clrw\n");
    EXPECT_EQ(code.messages, "Erreur: 3 [test.asm] ORG en conflit\n"
                             "Attention: 4 [test.asm] " + NO_ORG + "\n"
                             " 1 erreur\n 1 avertissement\n");
    EXPECT_EQ(code.program[0], 0x0100);
    EXPECT_EQ(code.program[1], 0x3FFF);

    auto variable = assemble(" ORG 0\n nop\nv RES 1\n");
    EXPECT_EQ(variable.messages, "Erreur: 3 [test.asm] ORG en conflit\n 1 erreur\n");
    EXPECT_EQ(variable.result->variable_count, 0);
}

TEST(Variables, ReservationsWithoutOrgStartAtZeroAndUnlabelledOnesAreNotRecorded)
{
    auto run = assemble(" RES 3\nb RES 2\n");
    EXPECT_EQ(run.messages, "Erreur: 1 [test.asm] " + ORG_NOT_FOUND + "\n 1 erreur\n");
    ASSERT_EQ(run.result->variable_count, 1);
    EXPECT_EQ(run.result->variable_addresses[0], 3);
}

TEST(Variables, TableAndRegisterFileLimits)
{
    std::string twenty = " ORG 0x0C, zreg\n";
    for (int i = 0; i < 20; ++i)
        twenty += "v" + std::to_string(i) + " RES 1\n";
    auto full = assemble(twenty);
    EXPECT_EQ(full.messages, "");
    EXPECT_EQ(full.result->variable_count, 20);
    EXPECT_EQ(full.result->variable_addresses[19], 0x0C + 19);

    auto over = assemble(twenty + "extra RES 1\n");
    EXPECT_EQ(over.messages, "22 [test.asm] Erreur irr\xE9" "cup\xE9" "rable: Trop de variables\n");
    EXPECT_EQ(over.result->variable_count, 20);

    auto high = assemble(" ORG 0x4F, zreg\na RES 4\nb RES 1\n");
    EXPECT_EQ(high.messages, "3 [test.asm] Erreur irr\xE9" "cup\xE9" "rable: Adresse hors 'Register file'\n");
    EXPECT_EQ(high.result->variable_count, 1);
    EXPECT_EQ(high.result->variable_sizes[0], 4);
}

TEST(Variables, LongNameIsCutToItsField)
{
    const std::string name(40, 'n');
    auto run = assemble(" ORG 0x0C, zreg\n" + name + " RES 1\nnext RES 1\n");
    EXPECT_EQ(run.messages, "");
    ASSERT_EQ(run.result->variable_count, 2);
    EXPECT_EQ(std::string(run.result->variable_names[0]), name.substr(0, 32));
    EXPECT_STREQ(run.result->variable_names[1], "next");
    EXPECT_EQ(run.result->variable_addresses[0], 0x0C); /* the name did not spill over */
}

TEST(Listing, AddressAndCodeColumns)
{
    auto run = assemble(" ORG 0x10\n"
                       "here\n"
                       " movlw 5\n"
                       " retlw \"xyz\"\n"
                       " goto later\n"
                       "k EQU 0x1234\n"
                       " ORG 0x0C, zreg\n"
                       "var RES 2\n"
                       " ORG 0, zdata\n"
                       " DE 1, 2\n"
                       " ORG zprog\n"
                       "later: nop\n");
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(listed(run, " ORG 0x10"), "0010       ORG 0x10");
    EXPECT_EQ(listed(run, "here"), "0010      here");
    EXPECT_EQ(listed(run, " movlw 5"), "0010 3005  movlw 5");
    EXPECT_EQ(listed(run, " retlw \"xyz\""), "0011 3478  retlw \"xyz\"");
    EXPECT_NE(run.listing.find("\n0004  0012 3479\n0004  0013 347A\n"), std::string::npos);
    EXPECT_EQ(listed(run, " goto later"), "0014 2800  goto later"); /* listed before the patch */
    EXPECT_EQ(run.program[0x14], 0x2815);
    EXPECT_EQ(listed(run, "k EQU 0x1234"), "1234      k EQU 0x1234");
    EXPECT_EQ(listed(run, "var RES 2"), "000C      var RES 2");
    EXPECT_EQ(listed(run, " DE 1, 2"), "           DE 1, 2");
    EXPECT_EQ(listed(run, " ORG zprog"), "           ORG zprog");
    EXPECT_EQ(listed(run, "later: nop"), "0015 0000 later: nop");
}

} // namespace
