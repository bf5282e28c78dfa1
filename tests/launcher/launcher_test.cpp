/* launcher_test.cpp - Brenlo's first-match rule over the native directory
   search, and the native launcher started in a folder of test files. */
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "brenlo.h"

namespace {

/* A fresh folder under the test's temporary directory, removed at the end. */
struct Folder {
    std::string path;
    Folder()
    {
        char pattern[] = "/tmp/brenlo-test.XXXXXX";
        path = mkdtemp(pattern);
    }
    ~Folder() { std::system(("rm -rf '" + path + "'").c_str()); }
    void add(const std::string &name, const std::string &text = "") const
    {
        std::ofstream(path + "/" + name) << text;
    }
    /* A program that appends its own name to the file "started". */
    void add_program(const std::string &name) const
    {
        add(name, "#!/bin/sh\necho " + name + " >> started\n");
        chmod((path + "/" + name).c_str(), 0755);
    }
    std::string read(const std::string &name) const
    {
        std::ifstream in(path + "/" + name);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

/* Runs f with the current directory set to folder. */
template <typename F> auto in_folder(const std::string &folder, F f)
{
    char previous[4096];
    EXPECT_NE(getcwd(previous, sizeof previous), nullptr);
    EXPECT_EQ(chdir(folder.c_str()), 0);
    auto result = f();
    EXPECT_EQ(chdir(previous), 0);
    return result;
}

struct MatchCase {
    std::vector<std::string> files;
    const char *first; /* nullptr: no match */
};

TEST(LauncherSearch, ReportsTheFirstMatchOrNone)
{
    const MatchCase cases[] = {
        {{}, nullptr},
        {{"a.ex", "bex", "cb.ex"}, nullptr},
        {{"b.exe", "bmain.exe", "b.e"}, nullptr},  /* the extension is the two letters "ex" */
        {{"b.ex"}, "b.ex"},                        /* the star matches nothing too */
        {{"bz.ex", "b2.ex", "b10.ex", "main.exe"}, "b10.ex"},
        {{"Bmain.EX", "readme.txt"}, "Bmain.EX"},  /* case is ignored */
        {{"b_x.ex", "bz.ex"}, "bz.ex"},            /* names sort in upper case */
        {{"b main.ex"}, "b main.ex"},
    };
    for (const MatchCase &c : cases) {
        Folder folder;
        for (const std::string &file : c.files)
            folder.add(file);
        char name[FOUND_NAME_SIZE] = "";
        bool found = in_folder(folder.path, [&] { return find_first_file(BRENLO_PATTERN, name); });
        SCOPED_TRACE(c.files.empty() ? std::string("(empty)") : c.files[0]);
        EXPECT_EQ(found, c.first != nullptr);
        if (c.first) {
            EXPECT_STREQ(name, c.first);
        }
    }
}

/* Starts the native launcher in folder and returns its exit status. */
int run_launcher(const std::string &folder)
{
    return in_folder(folder, [] { return std::system(BRENLO_PROGRAM); });
}

/* The launcher does not wait: the program it starts leaves its mark later. */
std::string wait_for_mark(const Folder &folder)
{
    for (int i = 0; i < 100 && folder.read("started").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return folder.read("started");
}

TEST(Launcher, StartsOnlyTheFirstMatchOnce)
{
    Folder folder;
    folder.add_program("b2.ex");
    folder.add_program("b1.ex");
    folder.add_program("b0.exe");
    folder.add_program("a.ex");
    EXPECT_EQ(run_launcher(folder.path), 0);
    EXPECT_EQ(wait_for_mark(folder), "b1.ex\n");
}

TEST(Launcher, SearchesTheCurrentDirectoryNotItsOwn)
{
    Folder own, current;
    own.add_program("b1.ex");
    current.add_program("b2.ex");
    std::string copy = own.path + "/Brenlo";
    ASSERT_EQ(std::system(("cp '" BRENLO_PROGRAM "' '" + copy + "'").c_str()), 0);
    EXPECT_EQ(in_folder(current.path, [&] { return std::system(copy.c_str()); }), 0);
    EXPECT_EQ(wait_for_mark(current), "b2.ex\n");
    EXPECT_EQ(own.read("started"), "");
}

TEST(Launcher, EndsWithZeroWhenNothingMatchesOrStarts)
{
    Folder folder;
    folder.add_program("b.exe");
    EXPECT_EQ(run_launcher(folder.path), 0);
    folder.add("b1.ex", "not a program");  /* matches, cannot be started */
    EXPECT_EQ(run_launcher(folder.path), 0);
    EXPECT_EQ(wait_for_mark(folder), "");
}

}  // namespace
