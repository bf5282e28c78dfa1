/* example_listing_test.cpp - the kit's example program compared whole with
   its golden texts: the listing without and with the included file, the
   messages, the symbol report and the HEX text (golden/, Windows-1252 bytes).

   After a reviewed change of the output, regenerate the golden files with
     UPDATE_GOLDEN=1 ./vorkel_tests --gtest_filter='ExampleListing*'
   and review their diff like code before committing it. */
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "reference_tools.h"

static const std::string GOLDEN_DIR = TEST_SOURCE_DIR "/golden/";

static bool updating_golden()
{
    const char *update = std::getenv("UPDATE_GOLDEN");
    return update && *update && std::string(update) != "0";
}

/* actual against the golden file name; with UPDATE_GOLDEN, the file is
   rewritten instead. */
static void expect_golden(const std::string &actual, const std::string &name)
{
    std::string path = GOLDEN_DIR + name;
    if (updating_golden())
        write_text_file(path, actual);
    ASSERT_EQ(access(path.c_str(), R_OK), 0) << path << " is missing";
    EXPECT_EQ(actual, read_text_file(path)) << "differs from " << path;
}

/* The process works in folder until the end of the scope. */
struct CurrentFolder {
    std::string saved;
    explicit CurrentFolder(const std::string &folder)
    {
        char here[4096];
        saved = getcwd(here, sizeof here) ? here : ".";
        EXPECT_EQ(chdir(folder.c_str()), 0) << folder;
    }
    ~CurrentFolder() { EXPECT_EQ(chdir(saved.c_str()), 0); }
};

TEST(ExampleListing, AssemblesToItsGoldenTexts)
{
    ::Run run = assemble_example();
    expect_golden(run.listing, "chenillard.lst");
    expect_golden(run.messages, "chenillard.msg");
    expect_golden(run.symbols, "chenillard.sym");
    expect_golden(run.hex, "chenillard.hex");
}

/* The same run with the included file listed: its lines under file number
   1 between the two banners, the main source's numbering going on after.
   The file is found in the current folder, so that its banners name it as
   the source does. */
TEST(ExampleListing, ListsTheIncludedFileWithTheOption)
{
    CurrentFolder examples(KIT_SOURCE_DIR "/examples");
    ::Run run = assemble(example_text(), OPT_LIST_INCLUDES, "chenillard.asm");
    expect_golden(run.listing, "chenillard_includes.lst");
    EXPECT_EQ(run.hex, read_text_file(GOLDEN_DIR + "chenillard.hex"));
}
