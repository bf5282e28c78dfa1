/* vorkel_driver.cpp - assembles a corpus with the Vorkel library loaded at
   run time by its four undecorated export names, as the editor loads it,
   and writes every text and image of every run to its own file. Built for
   Windows (LoadLibraryA, GetProcAddress) and natively (dlopen, dlsym), so
   that the DLL's results can be compared with the native library's.

   usage: vorkel_driver LIBRARY KEYWORDS CORPUS OUTPUT
   KEYWORDS is the kit's keyword list, one word a line; CORPUS lists one
   source a line, a '/'-separated path relative to the current directory;
   OUTPUT is an existing folder. Each source is assembled once per option
   set, its include files looked up beside it, and then disassembled. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "vorkel.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

typedef AsmResult *(VORKEL_CALL *InitFn)(void);
typedef AsmResult *(VORKEL_CALL *AsmblFn)(const char *, const char *, uint8_t);
typedef AsmResult *(VORKEL_CALL *DesasFn)(void);
typedef void(VORKEL_CALL *DoneFn)(void);

struct Library {
    InitFn init_vorkel;
    AsmblFn asmbl;
    DesasFn desas;
    DoneFn done;
};

/* The option sets each source runs with. */
const uint8_t OPTION_SETS[] = {0, OPT_EMPTY_FFFF | OPT_LIST_INCLUDES, OPT_NO_WARNINGS};

void fail(const char *what, const char *name)
{
    fprintf(stderr, "vorkel_driver: %s %s\n", what, name);
    exit(2);
}

void *find_export(void *library, const char *name)
{
#ifdef _WIN32
    void *address = (void *)GetProcAddress((HMODULE)library, name);
#else
    void *address = dlsym(library, name);
#endif
    if (!address)
        fail("no export named", name);
    return address;
}

Library load_library(const char *path)
{
#ifdef _WIN32
    void *library = (void *)LoadLibraryA(path);
#else
    void *library = dlopen(path, RTLD_NOW);
#endif
    if (!library)
        fail("cannot load", path);
    Library l;
    l.init_vorkel = (InitFn)find_export(library, "init_vorkel");
    l.asmbl = (AsmblFn)find_export(library, "asmbl");
    l.desas = (DesasFn)find_export(library, "desas");
    l.done = (DoneFn)find_export(library, "done");
    return l;
}

std::string read_file(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        fail("cannot read", path.c_str());
    std::string text;
    char block[4096];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0)
        text.append(block, n);
    fclose(f);
    return text;
}

void write_file(const std::string &path, const void *data, size_t size)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0)
        fail("cannot write", path.c_str());
}

void write_text(const std::string &path, const char *text)
{
    write_file(path, text, strlen(text));
}

/* The lines of a text file, without their line ends, empty lines dropped. */
std::vector<std::string> read_lines(const std::string &path)
{
    std::vector<std::string> lines;
    std::string text = read_file(path), line;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            if (!line.empty())
                lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

/* The editor hands its text over with CR LF line ends. */
std::string with_crlf(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

void put16(std::string &out, uint16_t v)
{
    out += (char)(v & 0xFF);
    out += (char)(v >> 8);
}

/* The record's images and tables, little-endian, in the record's order. */
std::string images_of(const AsmResult *r)
{
    std::string out;
    for (int i = 0; i < PROGRAM_WORDS; ++i)
        put16(out, r->line_table[i]);
    out.append((const char *)r->file_table, PROGRAM_WORDS);
    for (int i = 0; i < PROGRAM_WORDS; ++i)
        put16(out, r->program_image[i]);
    for (int i = 0; i < EEPROM_BYTES; ++i)
        put16(out, r->eeprom_image[i]);
    for (int i = 0; i < ID_WORDS; ++i)
        put16(out, r->id_words[i]);
    put16(out, r->config_word);
    out.append(&r->variable_names[0][0], sizeof r->variable_names);
    for (int i = 0; i < MAX_VARIABLES; ++i)
        put16(out, r->variable_addresses[i]);
    for (int i = 0; i < MAX_VARIABLES; ++i)
        put16(out, r->variable_sizes[i]);
    out += (char)r->variable_count;
    return out;
}

void write_run(const std::string &stem, const AsmResult *r)
{
    write_text(stem + ".hex", r->hex_text);
    write_text(stem + ".lst", r->listing_text);
    write_text(stem + ".mac", r->macro_names);
    write_text(stem + ".msg", r->message_text);
    write_text(stem + ".sym", r->symbol_report);
    write_text(stem + ".files", r->file_list);
    std::string images = images_of(r);
    write_file(stem + ".img", images.data(), images.size());
}

/* The keyword list as the library reads it: NUL-separated words and an
   empty word last. */
std::string keyword_list(const std::string &path)
{
    std::string list;
    for (const std::string &word : read_lines(path)) {
        list += word;
        list += '\0';
    }
    list += '\0';
    return list;
}

void assemble_source(const Library &l, AsmResult *record, const std::string &path, const std::string &out)
{
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string text = with_crlf(read_file(path));
    std::string flat = path;
    for (char &c : flat)
        if (c == '/')
            c = '_';
    for (uint8_t options : OPTION_SETS) {
        record->include_dir = folder.c_str();
        std::string stem = out + "/" + flat + "." + std::to_string(options);
        write_run(stem, l.asmbl(name.c_str(), text.c_str(), options));
        write_text(stem + ".dis", l.desas()->listing_text);
    }
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: vorkel_driver LIBRARY KEYWORDS CORPUS OUTPUT\n");
        return 2;
    }
    Library l = load_library(argv[1]);
    std::string keywords = keyword_list(argv[2]);
    AsmResult *record = l.init_vorkel();
    record->keyword_list = keywords.data();
    for (const std::string &path : read_lines(argv[3]))
        assemble_source(l, record, path, argv[4]);
    l.done();
    return 0;
}
