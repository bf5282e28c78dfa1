/* harness.h - runs the library through its public interface for the tests:
   one assembly with the kit's keyword list, its texts as byte strings. */
#ifndef TESTS_VORKEL_HARNESS_H
#define TESTS_VORKEL_HARNESS_H

#include <cstdint>
#include <string>
#include <vector>

#include "vorkel.h"

/* The kit's keyword list (vorkel/keywords.txt) as the NUL-separated list the
   library reads, with its terminating empty word. */
const std::string &kit_keywords();
/* A list built from words, one per position. */
std::string keyword_list_of(const std::vector<std::string> &words);

/* The texts and images of one run, copied out of AsmResult. */
struct Run {
    std::string hex, listing, macros, messages, symbols, files;
    std::vector<uint16_t> program;  /* 1024 words */
    std::vector<uint16_t> eeprom;   /* 64 entries */
    std::vector<uint16_t> id;       /* 4 words */
    uint16_t config = 0;
    AsmResult *result = nullptr;
};

/* Assembles source (lines ended by "\n", handed over with CR LF) under name.
   keywords defaults to the kit's list; include_dir to none. */
Run assemble(const std::string &source, uint8_t options = 0, const std::string &name = "test.asm",
             const std::string *keywords = nullptr, const char *include_dir = nullptr);

/* The same with text handed over byte for byte (line ends as they are). */
Run assemble_raw(const std::string &text, uint8_t options = 0, const std::string &name = "test.asm",
                 const std::string *keywords = nullptr, const char *include_dir = nullptr);

/* Inside a TEST body the name Run is gtest's member function: write auto
   or ::Run there. */

/* The listing's fixed lines around a main source named name: the header
   of the run, the banner at the opening and the one at the closing. */
std::string listing_header(const std::string &name = "test.asm");
std::string source_banner(const std::string &name = "test.asm");
std::string end_banner(const std::string &name = "test.asm");

/* line written times times over. */
std::string repeat(const std::string &line, int times);

/* Turns "\n" line ends into CR LF, as the editor hands its text over. */
std::string crlf(const std::string &text);

#endif
