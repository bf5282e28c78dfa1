/* asmbl_fuzz.cpp - asmbl then desas on arbitrary input, as a careless or
   hostile editor could hand it over.

   Input: byte 0 is the options byte; byte 1 chooses the keyword list (bits
   0-1: 0 and 1 the kit's list, 2 a list taken from the input, 3 none), the
   include folder (bit 2: none) and whether the library is shut and opened
   again first (bit 3: done, then asmbl before init_vorkel, then init_vorkel).
   With a list from the input, the words run up to the first empty word; the
   source text follows. A few include files wait on disk: the register
   file of the example, one that defines a macro, one that includes itself, and one that fills the pool.

   Every run must leave each text NUL-terminated inside its buffer. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "harness.h"
#include "vorkel.h"

namespace {

std::string kit_list;
std::string include_dir;
AsmResult *result;

void write_file(const std::string &path, const char *text)
{
    std::ofstream(path, std::ios::binary) << text;
}

void remove_include_files()
{
    std::error_code ignored;
    std::filesystem::remove_all(include_dir, ignored);
}

/* The include files the sources of the corpus name. */
void make_include_files()
{
    char pattern[] = "/tmp/vorkel-fuzz-XXXXXX";
    if (!mkdtemp(pattern))
        abort();
    include_dir = std::string(pattern) + "/";
    std::ifstream registers(KIT_SOURCE_DIR "/examples/p16f84.inc", std::ios::binary);
    std::ostringstream register_text;
    register_text << registers.rdbuf();
    write_file(include_dir + "p16f84.inc", register_text.str().c_str());
    write_file(include_dir + "lib.inc",
               "PORTB EQU 6\r\nflash MACRO n\r\n bsf PORTB, n\r\n bcf PORTB, n\r\n ENDM\r\n");
    write_file(include_dir + "self.inc", " INCLUDE \"self.inc\"\r\n nop\r\n");
    std::string big;
    for (int i = 0; i < 600; i++)
        big += "long_symbol_name_that_fills_the_pool_" + std::to_string(i) + " EQU " + std::to_string(i) + "\r\n";
    write_file(include_dir + "big.inc", big.c_str());
    atexit(remove_include_files);
}

void check_text(const char *text, size_t capacity)
{
    if (!text || strnlen(text, capacity) >= capacity)
        abort();
}

void check_texts(const AsmResult *r)
{
    check_text(r->hex_text, HEX_TEXT_SIZE);
    check_text(r->listing_text, LISTING_TEXT_SIZE);
    check_text(r->macro_names, MACRO_NAMES_SIZE);
    check_text(r->message_text, MESSAGE_TEXT_SIZE);
    check_text(r->symbol_report, SYMBOL_REPORT_SIZE);
    check_text(r->file_list, FILE_LIST_SIZE);
    if (r->variable_count > MAX_VARIABLES)
        abort();
    for (int i = 0; i < MAX_VARIABLES; i++)
        if (strnlen(r->variable_names[i], VARIABLE_NAME_FIELD) >= VARIABLE_NAME_FIELD)
            abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    kit_list = kit_keywords();
    make_include_files();
    result = init_vorkel();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t options = data[0];
    const uint8_t choice = data[1];
    std::string rest(reinterpret_cast<const char *>(data + 2), size - 2);

    std::string list;
    switch (choice & 3) {
    case 2: {
        size_t end = rest.find(std::string("\0\0", 2));
        list = end == std::string::npos ? rest + std::string("\0\0", 2) : rest.substr(0, end + 2);
        rest = end == std::string::npos ? "" : rest.substr(end + 2);
        break;
    }
    case 3:
        break;
    default:
        list = kit_list;
    }
    const std::string source = rest.c_str(); /* the text ends at its first NUL */

    if (choice & 8) {
        done();
        check_texts(asmbl("avant.asm", source.c_str(), options));
        check_texts(desas());
        result = init_vorkel();
    }
    result->keyword_list = (choice & 3) == 3 ? nullptr : list.c_str();
    result->include_dir = (choice & 4) ? nullptr : include_dir.c_str();
    check_texts(asmbl("fuzz.asm", source.c_str(), options));
    check_texts(desas());
    result->keyword_list = nullptr;
    result->include_dir = nullptr;
    return 0;
}
