/* main.cpp - the vorkel command: assembles one source file with the Vorkel
   library, as the editor would, and writes its listing and HEX beside it.

   vorkel [-k FILE] [-I DIR] [-e] [-i] [-w] [-d] file.asm

   The source may end its lines with LF or CR LF; the library gets CR LF.
   Messages go to stderr in UTF-8. Exit status: 0 without errors, 1 with
   errors, 2 for a usage or file problem (then nothing is written). */
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "kit_keywords.h"
#include "vorkel.h"

enum { EXIT_CLEAN = 0, EXIT_ERRORS = 1, EXIT_TROUBLE = 2 };

struct Options {
    const char *source = nullptr;
    const char *keyword_file = nullptr;
    std::string include_dir;
    bool include_dir_given = false;
    uint8_t bits = 0;
    bool disassemble = false;
};

static int usage()
{
    fputs("usage: vorkel [-k FILE] [-I DIR] [-e] [-i] [-w] [-d] file.asm\n"
          "  -k FILE  keyword list, one word per line (default: the kit's list)\n"
          "  -I DIR   folder tried for include files not found by their name\n"
          "  -e       empty program words are FFFF instead of 3FFF\n"
          "  -i       list the lines of included files\n"
          "  -w       no warnings\n"
          "  -d       print the disassembly of the program memory\n",
          stderr);
    return EXIT_TROUBLE;
}

static bool read_file(const char *path, std::string *content)
{
    FILE *file = fopen(path, "rb");
    if (!file)
        return false;
    char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, file)) > 0)
        content->append(block, n);
    bool ok = !ferror(file);
    fclose(file);
    return ok;
}

static bool write_file(const std::string &path, const char *text)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = fputs(text, file) >= 0;
    return fclose(file) == 0 && ok;
}

/* LF or CR LF line ends (a lone CR stays a line end) to CR LF. */
static std::string with_crlf(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (c == '\n' || c == '\r')
            out += "\r\n";
        else if (c != '\0')
            out += c;
    }
    return out;
}

/* One word per line, blanks around it dropped, empty lines ignored. */
static std::string keyword_list_from(const std::string &text)
{
    std::string list, word;
    for (size_t i = 0; i <= text.size(); i++) {
        char c = i < text.size() ? text[i] : '\n';
        if (c == '\n' || c == '\r') {
            if (!word.empty())
                list += word + '\0';
            word.clear();
        } else if (c != ' ' && c != '\t') {
            word += c;
        }
    }
    return list + '\0';
}

/* Windows-1252 to UTF-8 (the five unused codes become U+FFFD). */
static std::string utf8_from_1252(const char *text)
{
    static const unsigned short HIGH[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
        0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    for (const unsigned char *p = (const unsigned char *)text; *p; p++) {
        unsigned code = *p >= 0x80 && *p < 0xA0 ? HIGH[*p - 0x80] : *p;
        if (code < 0x80) {
            out += (char)code;
        } else if (code < 0x800) {
            out += (char)(0xC0 | (code >> 6));
            out += (char)(0x80 | (code & 0x3F));
        } else {
            out += (char)(0xE0 | (code >> 12));
            out += (char)(0x80 | ((code >> 6) & 0x3F));
            out += (char)(0x80 | (code & 0x3F));
        }
    }
    return out;
}

static bool parse_arguments(int argc, char **argv, Options *options)
{
    for (int i = 1; i < argc; i++) {
        const char *arg = argv[i];
        if ((strcmp(arg, "-k") == 0 || strcmp(arg, "-I") == 0) && i + 1 < argc) {
            if (arg[1] == 'k') {
                options->keyword_file = argv[++i];
            } else {
                options->include_dir = argv[++i];
                options->include_dir_given = true;
            }
        } else if (strcmp(arg, "-e") == 0) {
            options->bits |= OPT_EMPTY_FFFF;
        } else if (strcmp(arg, "-i") == 0) {
            options->bits |= OPT_LIST_INCLUDES;
        } else if (strcmp(arg, "-w") == 0) {
            options->bits |= OPT_NO_WARNINGS;
        } else if (strcmp(arg, "-d") == 0) {
            options->disassemble = true;
        } else if (arg[0] == '-' || options->source) {
            return false;
        } else {
            options->source = arg;
        }
    }
    return options->source != nullptr;
}

/* The library puts include_dir right in front of a file name: a folder
   needs its separator. Without -I, the source's own folder. */
static std::string include_prefix(const Options &options)
{
    std::string dir = options.include_dir;
    if (!options.include_dir_given) {
        const char *slash = strrchr(options.source, '/');
        dir = slash ? std::string(options.source, slash + 1 - options.source) : "";
    }
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir;
}

/* file.asm -> file.lst: the extension of the last path component replaced. */
static std::string beside(const char *source, const char *extension)
{
    std::string path = source;
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        path.erase(dot);
    return path + extension;
}

/* A run had errors when a message line is an error or a fatal error. */
static bool has_errors(const char *messages)
{
    std::string text = messages;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (line.rfind("Erreur", 0) == 0 || line.find("Erreur irr\xE9" "cup\xE9rable: ") != std::string::npos)
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

int main(int argc, char **argv)
{
    Options options;
    if (!parse_arguments(argc, argv, &options))
        return usage();
    std::string source, keyword_text;
    if (!read_file(options.source, &source)) {
        fprintf(stderr, "vorkel: cannot read %s: %s\n", options.source, strerror(errno));
        return EXIT_TROUBLE;
    }
    std::string keywords(KIT_KEYWORDS, sizeof KIT_KEYWORDS);
    if (options.keyword_file) {
        if (!read_file(options.keyword_file, &keyword_text)) {
            fprintf(stderr, "vorkel: cannot read %s: %s\n", options.keyword_file, strerror(errno));
            return EXIT_TROUBLE;
        }
        keywords = keyword_list_from(keyword_text);
    }
    std::string text = with_crlf(source);
    std::string include_dir = include_prefix(options);

    AsmResult *result = init_vorkel();
    result->keyword_list = keywords.c_str();
    result->include_dir = include_dir.c_str();
    result = asmbl(options.source, text.c_str(), options.bits);

    std::string listing_path = beside(options.source, ".lst");
    std::string hex_path = beside(options.source, ".hex");
    int status = has_errors(result->message_text) ? EXIT_ERRORS : EXIT_CLEAN;
    fputs(utf8_from_1252(result->message_text).c_str(), stderr);
    if (!write_file(listing_path, result->listing_text)) {
        fprintf(stderr, "vorkel: cannot write %s: %s\n", listing_path.c_str(), strerror(errno));
        status = EXIT_TROUBLE;
    }
    remove(hex_path.c_str()); /* no stale HEX beside a run that produced none */
    if (result->hex_text[0] && !write_file(hex_path, result->hex_text)) {
        fprintf(stderr, "vorkel: cannot write %s: %s\n", hex_path.c_str(), strerror(errno));
        status = EXIT_TROUBLE;
    }
    if (options.disassemble)
        fputs(utf8_from_1252(desas()->listing_text).c_str(), stdout);
    done();
    return status;
}
