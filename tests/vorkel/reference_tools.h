/* reference_tools.h - what the comparisons with the independent tools
   (gpasm, gpdasm, gpsim) share: a scratch folder, files, running a tool
   under a time limit, and a HEX file of an image written without the
   library. */
#ifndef TESTS_VORKEL_REFERENCE_TOOLS_H
#define TESTS_VORKEL_REFERENCE_TOOLS_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"

#include <sys/wait.h>
#include <unistd.h>

/* A fresh folder of its own for the calling test, removed with its files
   when the test is done. */
struct ScratchFolder {
    std::string path;
    explicit ScratchFolder(const std::string &name)
        : path(::testing::TempDir() + "vorkel_ref_" + std::to_string(getpid()) + "_" + name)
    {
        EXPECT_EQ(std::system(("rm -rf '" + path + "' && mkdir -p '" + path + "'").c_str()), 0);
    }
    ~ScratchFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;
};

inline void write_text_file(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    EXPECT_TRUE(out.good()) << path;
}

inline std::string read_text_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

/* The pieces of text between separators, empty pieces dropped. */
inline std::vector<std::string> words_of(const std::string &text, const char *separators = " \t,")
{
    std::vector<std::string> words;
    size_t start = 0;
    while ((start = text.find_first_not_of(separators, start)) != std::string::npos) {
        size_t end = text.find_first_of(separators, start);
        words.push_back(text.substr(start, end - start));
        start = end;
    }
    return words;
}

/* What a tool printed on its standard output and how it ended. */
struct ToolRun {
    std::string output;
    int status = -1; /* exit status, or -1 when it did not exit normally */
};

/* Runs command in folder with a time limit of 60 seconds, standard error
   appended to the output. */
inline ToolRun run_tool(const std::string &folder, const std::string &command)
{
    std::string line = "cd '" + folder + "' && timeout 60 " + command + " 2>&1";
    ToolRun run;
    FILE *pipe = popen(line.c_str(), "r");
    if (!pipe)
        return run;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        run.output.append(chunk, n);
    int status = pclose(pipe);
    if (WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    return run;
}

/* Intel HEX of a word image, one record per word, words equal to skip left
   out; written here from the record format alone so that the tools read an
   image that does not pass through the library's writer. */
inline std::string hex_of_image(const std::vector<uint16_t> &image, uint16_t skip)
{
    std::string text;
    char field[8];
    for (size_t base = 0; base < image.size(); base += 8) {
        for (size_t a = base; a < base + 8 && a < image.size(); a++) {
            if (image[a] == skip)
                continue;
            unsigned bytes[6] = {2, unsigned(a * 2 >> 8) & 0xFF, unsigned(a * 2) & 0xFF, 0,
                                 unsigned(image[a] & 0xFF), unsigned(image[a] >> 8)};
            unsigned sum = 0;
            text += ":";
            for (unsigned b : bytes) {
                std::snprintf(field, sizeof field, "%02X", b);
                text += field;
                sum += b;
            }
            std::snprintf(field, sizeof field, "%02X\n", -sum & 0xFF);
            text += field;
        }
    }
    return text + ":00000001FF\n";
}

/* The kit's example program, assembled from examples/ with its include
   file found through the include folder. */
inline std::string example_text()
{
    return read_text_file(std::string(KIT_SOURCE_DIR) + "/examples/chenillard.asm");
}

inline ::Run assemble_example()
{
    std::string text;
    for (char c : example_text())
        if (c != '\r')
            text += c;
    return assemble(text, 0, "chenillard.asm", nullptr, KIT_SOURCE_DIR "/examples/");
}

#endif
