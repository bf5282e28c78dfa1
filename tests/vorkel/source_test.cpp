/* source_test.cpp - the source stack as the texts show it: included files
   and their numbering in file_list and the listing, the include_dir
   fallback, banners, line splitting of the main text, and locations in
   messages. */
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "harness.h"

namespace {

/* A fresh folder of include files, made current so that bare names open. */
class Includes : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vorkel_source_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
        ASSERT_EQ(chdir(dir_.c_str()), 0);
    }
    void TearDown() override
    {
        ASSERT_EQ(chdir(previous_), 0);
        std::string command = "rm -rf '" + dir_ + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }
    void write(const std::string &name, const std::string &text)
    {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << text;
    }
    std::string dir_;
    char previous_[4096];
};

const std::string HEADER = listing_header();

TEST_F(Includes, NestedFilesAreNumberedAndIndented)
{
    write("one.inc", "; one\n INCLUDE \"two.inc\"\n INCLUDE \"three.inc\"\n");
    write("two.inc", "; two\n");
    write("three.inc", "; three\n");
    write("four.inc", "; four\n");
    const std::string source = " INCLUDE \"one.inc\"\n INCLUDE \"four.inc\"\n; main\n";
    auto run = assemble(source, OPT_LIST_INCLUDES);
    EXPECT_EQ(run.files, "test.asm\n  one.inc\n    two.inc\n    three.inc\n  four.inc\n");
    EXPECT_EQ(run.listing,
              HEADER +
              "\n............... Source test.asm ...............\n"
              "0 001 0001             INCLUDE \"one.inc\"\n"
              "\n............... Source one.inc ...............\n"
              "1 001 0002            ; one\n"
              "1 002 0003             INCLUDE \"two.inc\"\n"
              "\n............... Source two.inc ...............\n"
              "2 001 0004            ; two\n"
              "............... Fin de two.inc ..............\n\n"
              "1 003 0005             INCLUDE \"three.inc\"\n"
              "\n............... Source three.inc ...............\n"
              "2 001 0006            ; three\n"
              "............... Fin de three.inc ..............\n\n"
              "............... Fin de one.inc ..............\n\n"
              "0 002 0007             INCLUDE \"four.inc\"\n"
              "\n............... Source four.inc ...............\n"
              "4 001 0008            ; four\n"
              "............... Fin de four.inc ..............\n\n"
              "0 003 0009            ; main\n"
              "............... Fin de test.asm ..............\n\n"
              " Aucun code g\xE9n\xE9r\xE9\n");
    EXPECT_EQ(run.messages, "");

    /* Without the option: the included lines are neither listed nor counted. */
    auto quiet = assemble(source);
    EXPECT_EQ(quiet.listing,
              HEADER +
              "\n............... Source test.asm ...............\n"
              "0 001 0001             INCLUDE \"one.inc\"\n"
              "0 002 0002             INCLUDE \"four.inc\"\n"
              "0 003 0003            ; main\n"
              "............... Fin de test.asm ..............\n\n"
              " Aucun code g\xE9n\xE9r\xE9\n");
    EXPECT_EQ(quiet.files, run.files);
}

TEST_F(Includes, FileTableRecordsTheFileOfEachWord)
{
    write("code.inc", " nop\n nop\n");
    auto run = assemble(" ORG 0\n nop\n INCLUDE \"code.inc\"\n nop\n");
    const uint8_t *files = run.result->file_table;
    const uint16_t *lines = run.result->line_table;
    EXPECT_EQ(std::vector<int>(files, files + 5), (std::vector<int>{0, 1, 1, 0, 0}));
    EXPECT_EQ(std::vector<int>(lines, lines + 4), (std::vector<int>{2, 1, 2, 4}));
}

TEST_F(Includes, IncludeDirIsTriedSecondAndNamesTheFile)
{
    ASSERT_EQ(system("mkdir sub"), 0);
    write("sub/defs.inc", "; defs\n ERREUR inside\n");
    const std::string prefix = dir_ + "/sub/";
    auto run = assemble(" INCLUDE \"defs.inc\"\n ERREUR outside\n", OPT_LIST_INCLUDES, "test.asm", nullptr,
                        prefix.c_str());
    const std::string shown = prefix + "defs.inc";
    EXPECT_EQ(run.files, "test.asm\n  " + shown + "\n");
    EXPECT_EQ(run.messages,
              "Erreur: 2 [" + shown + "] inside\n\n"
              "Erreur: 2 [test.asm] outside\n\n"
              " 2 erreurs\n");
    EXPECT_NE(run.listing.find("\n............... Source " + shown + " ...............\n"), std::string::npos);
    EXPECT_NE(run.listing.find("............... Fin de " + shown + " ..............\n\n"), std::string::npos);
}

TEST_F(Includes, FileThatOpensNowhereIsReportedWithThePrefixedName)
{
    auto with_dir = assemble(" INCLUDE \"none.inc\"\n; next\n", 0, "test.asm", nullptr, "lib/");
    EXPECT_EQ(with_dir.messages, "Erreur: 1 [test.asm] Impossible d'ouvrir fichier inclus 'lib/none.inc'\n 1 erreur\n");
    EXPECT_EQ(with_dir.files, "test.asm\n");
    EXPECT_EQ(with_dir.listing.substr(with_dir.listing.find("0 001")),
              "0 001 0001             INCLUDE \"none.inc\"\n"
              "0 002 0002            ; next\n"
              "............... Fin de test.asm ..............\n\n");
    auto without_dir = assemble(" INCLUDE \"none.inc\"\n");
    EXPECT_EQ(without_dir.messages, "Erreur: 1 [test.asm] Impossible d'ouvrir fichier inclus 'none.inc'\n 1 erreur\n");
}

TEST_F(Includes, CrLfLineEndsOfAnIncludedFileReadAsLineEnds)
{
    write("dos.inc", "; dos\r\nv EQU 5\r\n");
    auto run = assemble(" INCLUDE \"dos.inc\"\n", OPT_LIST_INCLUDES);
    EXPECT_NE(run.listing.find("1 001 0002            ; dos\n1 002 0003  0005      v EQU 5\n"), std::string::npos);
}

TEST_F(Includes, LongLinesOfAnIncludedFileComeIn254CharacterPieces)
{
    write("long.inc", ";" + std::string(253, 'x') + " ERREUR piece\n");
    auto run = assemble(" INCLUDE \"long.inc\"\n");
    EXPECT_EQ(run.messages, "Erreur: 2 [long.inc] piece\n\n 1 erreur\n");
}

TEST_F(Includes, DeepNestingKeepsEveryLineNumberAndStopsASelfInclude)
{
    /* Six levels below the main source: the main source's numbers come back. */
    for (int level = 1; level <= 6; level++) {
        std::string next = level < 6 ? " INCLUDE \"l" + std::to_string(level + 1) + ".inc\"\n" : "";
        write("l" + std::to_string(level) + ".inc", "; level\n" + next + "; back\n");
    }
    auto deep = assemble("; a\n INCLUDE \"l1.inc\"\n; b\n ERREUR end\n");
    EXPECT_EQ(deep.messages, "Erreur: 4 [test.asm] end\n\n 1 erreur\n");
    EXPECT_NE(deep.listing.find("0 003 0003            ; b\n"), std::string::npos);

    write("self.inc", " INCLUDE \"self.inc\"\n");
    auto self = assemble(" INCLUDE \"self.inc\"\n; after\n");
    EXPECT_EQ(self.messages,
              "Erreur: 1 [self.inc] Trop de fichiers inclus imbriqu\xE9s (16 au maximum) 'self.inc'\n 1 erreur\n");
    std::string expected_files = "test.asm\n";
    for (int level = 1; level <= 16; level++)
        expected_files += std::string(2 * level, ' ') + "self.inc\n";
    EXPECT_EQ(self.files, expected_files);
    EXPECT_NE(self.listing.find("0 002 0002            ; after\n"), std::string::npos);
}

TEST_F(Includes, FilesPastNumber255AreRefused)
{
    /* The 256th file would get number 0, the main source's. */
    write("a.inc", " nop\n");
    std::string source = " ORG 0\n";
    for (int i = 0; i < 257; i++)
        source += " INCLUDE \"a.inc\"\n";
    auto run = assemble(source + " ERREUR end\n");
    const std::string refused = "Trop de fichiers inclus (255 au maximum) 'a.inc'\n";
    EXPECT_EQ(run.messages, "Erreur: 257 [test.asm] " + refused + "Erreur: 258 [test.asm] " + refused +
                                "Erreur: 259 [test.asm] end\n\n 3 erreurs\n");
    std::string files = "test.asm\n";
    for (int i = 1; i <= 255; i++)
        files += "  a.inc\n";
    EXPECT_EQ(run.files, files);
    const uint8_t *numbers = run.result->file_table;
    EXPECT_EQ(numbers[0], 1);
    EXPECT_EQ(numbers[254], 255);
    EXPECT_EQ(run.program[255], 0x3FFF);
}

TEST_F(Includes, FatalErrorInsideAnIncludedFileLeavesNothingOpenForTheNextRun)
{
    write("stop.inc", " ORG 0\n ORG 1, zreg\n RES 1\n ORG 80, zreg\n RES 1\n");
    auto stopped = assemble(" INCLUDE \"stop.inc\"\n");
    EXPECT_NE(stopped.messages.find("Erreur irr\xE9" "cup\xE9rable: "), std::string::npos);
    auto next = assemble("; fresh\n");
    EXPECT_EQ(next.messages, "");
    EXPECT_EQ(next.files, "test.asm\n");
}

/* ---- The main text ---- */

TEST(MainText, LastLineWithoutLineEndIsListedWithOne)
{
    auto run = assemble_raw("; first\r\n; last");
    EXPECT_EQ(run.listing.substr(run.listing.find("0 001")),
              "0 001 0001            ; first\n"
              "0 002 0002            ; last\n"
              "............... Fin de test.asm ..............\n\n"
              " Aucun code g\xE9n\xE9r\xE9\n");
}

TEST(MainText, LinesLongerThan255CharactersAreSplit)
{
    /* A 266-character comment line: its last 11 characters are a line of their own. */
    auto run = assemble(";" + std::string(254, 'c') + "ERREUR tail\n; next\n");
    EXPECT_EQ(run.messages, "Erreur: 2 [test.asm] tail\n\n 1 erreur\n");
    EXPECT_EQ(run.listing.substr(run.listing.find("0 001")),
              "0 001 0001            ;" + std::string(254, 'c') + "\n"
              "0 003 0002            ; next\n"
              "............... Fin de test.asm ..............\n\n");
}

TEST(MainText, LoneLineFeedEndsTheStatement)
{
    /* The text after a LF without CR belongs to the same line and is not assembled. */
    auto run = assemble_raw(" ERREUR one\n ERREUR two\r\n ERREUR three\r\n");
    EXPECT_EQ(run.messages,
              "Erreur: 1 [test.asm] one\n ERREUR two\n\n"
              "Erreur: 2 [test.asm] three\n\n"
              " 2 erreurs\n");
}

TEST(MainText, ErrorSkipOnTheLastLineEndsNormally)
{
    auto run = assemble_raw(" ORG 0\r\n nop\r\n ERREUR last");
    EXPECT_EQ(run.messages, "Erreur: 3 [test.asm] last\n 1 erreur\n");
    EXPECT_NE(run.listing.find("............... Fin de test.asm ..............\n\n"), std::string::npos);
}

} // namespace
