/* frame_test.cpp - one asmbl run from the caller's side: the record, the
   texts of a run without code, totals and the error limit, repeated runs,
   missing inputs, and texts that outgrow their buffers. */
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "harness.h"

namespace {

const std::string HEADER = listing_header();
const std::string SOURCE_BANNER = source_banner();
const std::string END_BANNER = end_banner();
const std::string NO_CODE = " Aucun code g\xE9n\xE9r\xE9\n";

TEST(Frame, EmptySourceGivesBannersAndTheNoCodeNote)
{
    auto run = assemble("");
    EXPECT_EQ(run.listing, HEADER + SOURCE_BANNER + END_BANNER + NO_CODE);
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.files, "test.asm\n");
    EXPECT_EQ(run.macros, " ");
    EXPECT_EQ(run.hex, "");
    EXPECT_EQ(run.config, 0xFFFF);
    EXPECT_EQ(run.result->variable_count, 0);
}

TEST(Frame, RecordPointsAtTheStartOfEveryText)
{
    auto run = assemble(" ORG 0\n nop\n");
    AsmResult *r = run.result;
    EXPECT_EQ(std::string(r->listing_text, 2), ";*");
    EXPECT_EQ(std::string(r->hex_text, 1), ":");
    EXPECT_EQ(std::string(r->file_list), "test.asm\n");
}

TEST(Frame, TwoRunsOfOneSourceAreIdentical)
{
    const std::string source = " nop\n ERREUR deux\n goto 3\n";
    auto first = assemble(source);
    std::vector<uint8_t> first_files(first.result->file_table, first.result->file_table + PROGRAM_WORDS);
    auto second = assemble(source);
    std::vector<uint8_t> second_files(second.result->file_table, second.result->file_table + PROGRAM_WORDS);
    EXPECT_EQ(first.messages,
              "Attention: 1 [test.asm] Absence de ORG : Adresse 0 prise par d\xE9" "faut\n"
              "Erreur: 2 [test.asm] deux\n\n"
              " 1 erreur\n"
              " 1 avertissement\n");
    EXPECT_EQ(second.messages, first.messages);
    EXPECT_EQ(second.listing, first.listing);
    EXPECT_EQ(second.symbols, first.symbols);
    EXPECT_EQ(second.program, first.program);
    EXPECT_EQ(second_files, first_files);
}

TEST(Frame, ErrorAfterASuccessfulRunLeavesNoHex)
{
    auto good = assemble(" ORG 0\n nop\n");
    EXPECT_EQ(good.hex, ":020000000000FE\n:00000001FF\n");
    auto bad = assemble(" ORG 0\n nop\n ERREUR stop\n");
    EXPECT_EQ(bad.hex, "");
    EXPECT_EQ(bad.messages, "Erreur: 3 [test.asm] stop\n\n 1 erreur\n");
}

TEST(Frame, NoWarningsOptionLeavesNoTrace)
{
    const std::string source = " nop\n  lbl nop\n";
    auto warned = assemble(source);
    EXPECT_EQ(warned.messages,
              "Attention: 1 [test.asm] Absence de ORG : Adresse 0 prise par d\xE9" "faut\n"
              "Attention: 2 [test.asm] Etiquette hors d\xE9" "but de ligne\n"
              " 2 avertissements\n");
    auto quiet = assemble(source, OPT_NO_WARNINGS);
    EXPECT_EQ(quiet.messages, "");
    EXPECT_EQ(quiet.program, warned.program);
}

TEST(Frame, ConfigurationWithoutCodeIsNoCode)
{
    auto run = assemble(" CONFIG OSC=XT\n");
    EXPECT_EQ(run.config, 0x3FFD);
    EXPECT_EQ(run.hex, "");
    EXPECT_EQ(run.listing, HEADER + SOURCE_BANNER + "0 001 0001       3FFD  CONFIG OSC=XT\n" + END_BANNER + NO_CODE);
}

TEST(Frame, ErrorLimit)
{
    for (int errors : {19, 20}) {
        std::string source, expected;
        for (int i = 1; i <= errors; i++) {
            source += " ERREUR e" + std::to_string(i) + "\n";
            expected += "Erreur: " + std::to_string(i) + " [test.asm] e" + std::to_string(i) + "\n\n";
        }
        source += "; still read\n";
        if (errors == 20)
            expected += "20 [test.asm] Erreur irr\xE9" "cup\xE9rable: Trop d'erreurs\n";
        expected += " " + std::to_string(errors) + " erreurs\n";
        auto run = assemble(source);
        SCOPED_TRACE(errors);
        EXPECT_EQ(run.messages, expected);
        bool read_on = run.listing.find("; still read") != std::string::npos;
        EXPECT_EQ(read_on, errors == 19);
    }
}

TEST(Frame, OtherOptionBitsAreIgnored)
{
    auto plain = assemble(" ORG 0\n nop\n");
    auto extra = assemble(" ORG 0\n nop\n", 0xF8);
    EXPECT_EQ(extra.listing, plain.listing);
    EXPECT_EQ(extra.hex, plain.hex);
}

TEST(Frame, EmptyWordFollowsTheOption)
{
    auto run = assemble(" ORG 1\n nop\n", OPT_EMPTY_FFFF);
    EXPECT_EQ(run.program[0], 0xFFFF);
    EXPECT_EQ(run.program[1], 0x0000);
    EXPECT_EQ(run.program[2], 0xFFFF);
    EXPECT_EQ(assemble(" ORG 1\n nop\n").program[2], 0x3FFF);
}

/* ---- Inputs the caller forgot ---- */

TEST(Frame, MissingKeywordListStopsTheRunWithAMessage)
{
    AsmResult *r = assemble("").result;
    r->keyword_list = nullptr;
    r = asmbl("test.asm", " nop\r\n", 0);
    EXPECT_EQ(std::string(r->message_text), "Erreur irr\xE9" "cup\xE9rable: Liste des mots-cl\xE9s absente\n");
    EXPECT_EQ(std::string(r->hex_text), "");
}

TEST(Frame, CallsAfterDoneAnswerWithTheRecord)
{
    AsmResult *r = assemble("").result;
    done();
    AsmResult *after = asmbl("test.asm", " nop\r\n", 0);
    EXPECT_EQ(after, r);
    EXPECT_EQ(std::string(after->message_text),
              "Erreur irr\xE9" "cup\xE9rable: Vorkel non initialis\xE9 (init_vorkel n'a pas \xE9t\xE9 appel\xE9)\n");
    EXPECT_EQ(desas(), r);
    EXPECT_EQ(init_vorkel(), r);
    EXPECT_EQ(assemble(" ORG 0\n nop\n").messages, "");
}

TEST(Frame, NullNameAndTextAreAnEmptySource)
{
    AsmResult *r = assemble("").result;
    r = asmbl(nullptr, nullptr, 0);
    EXPECT_EQ(std::string(r->message_text), "");
    EXPECT_EQ(std::string(r->file_list), "\n");
}

/* ---- Texts that outgrow their buffers ---- */

/* Every text ends inside its buffer, with room for nothing past capacity. */
void expect_within_buffers(const Run &run)
{
    EXPECT_LT(run.hex.size(), (size_t)HEX_TEXT_SIZE);
    EXPECT_LT(run.listing.size(), (size_t)LISTING_TEXT_SIZE);
    EXPECT_LT(run.macros.size(), (size_t)MACRO_NAMES_SIZE);
    EXPECT_LT(run.messages.size(), (size_t)MESSAGE_TEXT_SIZE);
    EXPECT_LT(run.symbols.size(), (size_t)SYMBOL_REPORT_SIZE);
    EXPECT_LT(run.files.size(), (size_t)FILE_LIST_SIZE);
}

TEST(Overflow, ListingStopsTheRunAtItsLastByte)
{
    const std::string comment = "; " + std::string(70, 'c') + "\n";
    auto run = assemble(repeat(comment, 3000) + " ERREUR never\n");
    expect_within_buffers(run);
    /* The listing as it would be without a limit, cut at the last byte. */
    std::string whole = HEADER + SOURCE_BANNER;
    int stopped_at = 0;
    char numbers[32];
    for (int i = 1; i <= 3000; i++) {
        snprintf(numbers, sizeof numbers, "0 %03d %04d  ", i, i);
        whole += numbers + std::string(10, ' ') + comment;
        if (!stopped_at && whole.size() > (size_t)LISTING_TEXT_SIZE - 1)
            stopped_at = i;
    }
    EXPECT_EQ(run.listing, whole.substr(0, LISTING_TEXT_SIZE - 1));
    EXPECT_EQ(run.messages, std::to_string(stopped_at) +
                                " [test.asm] Erreur irr\xE9" "cup\xE9rable: D\xE9passement de capacit\xE9 du texte listing\n");
}

TEST(Overflow, MessagesKeepRoomForTheFatalLineAndTheTotals)
{
    const std::string line = " ERREUR " + std::string(240, 'm') + "\n";
    auto run = assemble(repeat(line, 19));
    expect_within_buffers(run);
    const std::string one = std::string(240, 'm') + "\n\n";
    /* 4487 bytes for warnings and errors: 17 lines of 263 fit, not 18. */
    std::string expected;
    for (int i = 1; i <= 17; i++)
        expected += "Erreur: " + std::to_string(i) + " [test.asm] " + one;
    expected += "18 [test.asm] Erreur irr\xE9" "cup\xE9rable: D\xE9passement de capacit\xE9 du texte messages\n"
                " 17 erreurs\n";
    EXPECT_EQ(run.messages, expected);
}

TEST(Overflow, FileListStopsTheRunWithTheMessageAfterALongName)
{
    const std::string name(6000, 'n');
    auto run = assemble(" ORG 0\n nop\n", 0, name);
    expect_within_buffers(run);
    EXPECT_EQ(run.files, name.substr(0, FILE_LIST_SIZE - 1));
    EXPECT_EQ(run.messages, "0 [" + name.substr(0, 1024) +
                                "] Erreur irr\xE9" "cup\xE9rable: D\xE9passement de capacit\xE9 du texte fichiers\n");
    EXPECT_EQ(run.hex, "");
}

TEST(Overflow, PoolExhaustionIsFatal)
{
    std::string source;
    for (int i = 0; i < 400; i++)
        source += "s" + std::to_string(i) + std::string(200, '_') + " EQU " + std::to_string(i) + "\n";
    auto run = assemble(source);
    expect_within_buffers(run);
    const std::string fatal = " [test.asm] Erreur irr\xE9" "cup\xE9rable: m\xE9moire\n";
    ASSERT_NE(run.messages.find(fatal), std::string::npos) << run.messages;
    EXPECT_EQ(run.messages.substr(run.messages.size() - fatal.size()), fatal);
    /* The next run has the whole pool again. */
    EXPECT_EQ(assemble(" ORG 0\n nop\n").messages, "");
}

} // namespace
