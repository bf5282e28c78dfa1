/* harness.cpp - the test harness of the Vorkel library (see harness.h). */
#include "harness.h"

#include <fstream>
#include <sstream>

static AsmResult *library()
{
    static AsmResult *result = init_vorkel();
    return result;
}

std::string keyword_list_of(const std::vector<std::string> &words)
{
    std::string list;
    for (const std::string &word : words) {
        list += word;
        list += '\0';
    }
    list += '\0';
    return list;
}

const std::string &kit_keywords()
{
    static const std::string list = [] {
        std::ifstream in(std::string(KIT_SOURCE_DIR) + "/vorkel/keywords.txt");
        std::vector<std::string> words;
        std::string word;
        while (std::getline(in, word))
            if (!word.empty())
                words.push_back(word);
        return keyword_list_of(words);
    }();
    return list;
}

std::string listing_header(const std::string &name)
{
    return ";***** Assemblage de " + name + " *****\n\n";
}

std::string source_banner(const std::string &name)
{
    return "\n............... Source " + name + " ...............\n";
}

std::string end_banner(const std::string &name)
{
    return "............... Fin de " + name + " ..............\n\n";
}

std::string repeat(const std::string &line, int times)
{
    std::string text;
    for (int i = 0; i < times; i++)
        text += line;
    return text;
}

std::string crlf(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

Run assemble(const std::string &source, uint8_t options, const std::string &name,
             const std::string *keywords, const char *include_dir)
{
    return assemble_raw(crlf(source), options, name, keywords, include_dir);
}

Run assemble_raw(const std::string &text, uint8_t options, const std::string &name,
                 const std::string *keywords, const char *include_dir)
{
    AsmResult *r = library();
    r->keyword_list = (keywords ? *keywords : kit_keywords()).c_str();
    r->include_dir = include_dir;
    r = asmbl(name.c_str(), text.c_str(), options);
    Run run;
    run.result = r;
    run.hex = r->hex_text;
    run.listing = r->listing_text;
    run.macros = r->macro_names;
    run.messages = r->message_text;
    run.symbols = r->symbol_report;
    run.files = r->file_list;
    run.program.assign(r->program_image, r->program_image + PROGRAM_WORDS);
    run.eeprom.assign(r->eeprom_image, r->eeprom_image + EEPROM_BYTES);
    run.id.assign(r->id_words, r->id_words + ID_WORDS);
    run.config = r->config_word;
    return run;
}
