/* gpasm_hex_test.cpp - the Intel HEX text against gpasm's for generated
   programs: code blocks placed by ORG, CONFIG, the ID words and EEPROM data,
   each written twice, in this assembler's syntax and in gpasm's. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "harness.h"
#include "reference_tools.h"

namespace {

/* One program in both syntaxes. */
struct TwoSources {
    std::string ours, gpasm;
    void both(const std::string &line) { ours += line, gpasm += line; }
};

std::string format(const char *pattern, int a, int b = 0)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

/* Instructions written alike in both syntaxes, numbers always 0x-prefixed
   (gpasm reads bare numbers in hexadecimal). clrw is left out: the two
   assemblers encode it with different unused bits. */
struct Template {
    const char *text;
    int first_max, second_max; /* operand ranges, -1 when absent */
};
const Template templates[] = {
    {"\tmovlw 0x%02X\n", 0xFF, -1}, {"\taddlw 0x%02X\n", 0xFF, -1}, {"\tandlw 0x%02X\n", 0xFF, -1},
    {"\tiorlw 0x%02X\n", 0xFF, -1}, {"\txorlw 0x%02X\n", 0xFF, -1}, {"\tsublw 0x%02X\n", 0xFF, -1},
    {"\tretlw 0x%02X\n", 0xFF, -1}, {"\tmovwf 0x%02X\n", 0x7F, -1}, {"\tclrf 0x%02X\n", 0x7F, -1},
    {"\taddwf 0x%02X,%d\n", 0x7F, 1}, {"\tdecfsz 0x%02X,%d\n", 0x7F, 1}, {"\tswapf 0x%02X,%d\n", 0x7F, 1},
    {"\tmovf 0x%02X,%d\n", 0x7F, 1}, {"\tbsf 0x%02X,%d\n", 0x7F, 7}, {"\tbtfss 0x%02X,%d\n", 0x7F, 7},
    {"\tgoto 0x%03X\n", 0x3FF, -1}, {"\tcall 0x%03X\n", 0x3FF, -1}, {"\tnop\n", -1, -1},
    {"\treturn\n", -1, -1}, {"\tretfie\n", -1, -1}, {"\tsleep\n", -1, -1}, {"\tclrwdt\n", -1, -1},
};

struct Generator {
    std::mt19937 random;
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    bool chance(int percent) { return below(100) < percent; }

    /* A block of up to 40 instructions from a multiple of 8 inside one of
       the sixteen 64-word regions of program memory. */
    void code_block(TwoSources &s, int region)
    {
        int start = region * 64 + 8 * below(3);
        s.both(format("\tORG 0x%03X\n", start));
        for (int n = 1 + below(40); n > 0; n--) {
            const Template &t = templates[below(sizeof templates / sizeof templates[0])];
            int a = t.first_max < 0 ? 0 : below(t.first_max + 1);
            int b = t.second_max < 0 ? 0 : below(t.second_max + 1);
            s.both(format(t.text, a, b));
        }
    }

    /* EEPROM bytes from a multiple of 8 below 32, a group of 16 addresses
       each. gpasm places the data of "org 0x2100 + n" at HEX byte address
       0x4200 + n (n below 0x40), so EEPROM address a is org 0x2100 + 2a there. */
    void eeprom_block(TwoSources &s, int group)
    {
        int start = group * 16 + 8 * below(2);
        s.ours += format("\tORG 0x%02X, zdata\n\tDE ", start);
        s.gpasm += format("\torg 0x%04X\n\tde ", 0x2100 + 2 * start);
        for (int n = 1 + below(8); n > 0; n--)
            s.both(format(n > 1 ? "0x%02X, " : "0x%02X\n", below(256)));
    }

    void config(TwoSources &s)
    {
        static const char *const oscillators[] = {"LP", "XT", "HS", "RC"};
        std::string ours, theirs;
        auto add = [&](const std::string &setting, const std::string &symbol) {
            ours += (ours.empty() ? "" : ", ") + setting;
            theirs += (theirs.empty() ? "" : " & ") + symbol;
        };
        if (chance(70)) {
            const char *osc = oscillators[below(4)];
            add(std::string("OSC=") + osc, std::string("_") + osc + "_OSC");
        }
        if (chance(60)) {
            bool on = chance(50);
            add(on ? "WDT=on" : "WDT=off", on ? "_WDT_ON" : "_WDT_OFF");
        }
        if (chance(60)) {
            bool on = chance(50);
            add(on ? "PWRT=on" : "PWRT=off", on ? "_PWRTE_ON" : "_PWRTE_OFF");
        }
        if (chance(40)) {
            bool on = chance(50);
            add(on ? "CP=on" : "CP=off", on ? "_CP_ON" : "_CP_OFF");
        }
        if (ours.empty())
            return;
        s.ours += "\tCONFIG " + ours + "\n";
        s.gpasm += "\t__config " + theirs + "\n";
    }

    /* The four ID words; gpasm's __idlocs packs nibbles, so the words go to
       the ID addresses as data. */
    void id(TwoSources &s)
    {
        std::string values;
        for (int i = 0; i < 4; i++)
            values += format(i ? ", 0x%04X" : "0x%04X", below(0x4000));
        s.ours += "\tIDENT " + values + "\n";
        s.gpasm += "\torg 0x2000\n\tdw " + values + "\n";
    }

    TwoSources program()
    {
        TwoSources s;
        s.gpasm = "\tinclude \"p16f84.inc\"\n";
        std::vector<int> parts; /* region 0..15 of code, 100 + group of EEPROM */
        for (int region = 0; region < 16; region++)
            if (chance(50))
                parts.push_back(region);
        for (int group = 0; group < 2; group++)
            if (chance(50))
                parts.push_back(100 + group);
        if (parts.empty())
            parts.push_back(below(16));
        std::shuffle(parts.begin(), parts.end(), random);
        for (int part : parts) {
            if (part >= 100)
                eeprom_block(s, part - 100);
            else
                code_block(s, part);
        }
        if (chance(70))
            config(s);
        if (chance(70))
            id(s);
        s.both("\tEND\n");
        return s;
    }
};

/* gpasm's text without what it adds that is not data: the extended linear
   address record :020000040000FA that opens it. Both end lines with LF. */
std::string without_extended_address(const std::string &hex)
{
    const std::string record = ":020000040000FA\n";
    return hex.compare(0, record.size(), record) == 0 ? hex.substr(record.size()) : hex;
}

TEST(GpasmHex, GeneratedProgramsGiveTheSameRecords)
{
    ScratchFolder scratch("gpasm_hex");
    const std::string &dir = scratch.path;
    Generator generator{std::mt19937(5)};
    for (int program = 0; program < 25; program++) {
        TwoSources s = generator.program();
        ::Run run = assemble(s.ours);
        ASSERT_EQ(run.messages, "") << s.ours;
        write_text_file(dir + "/prog.asm", s.gpasm);
        std::remove((dir + "/prog.hex").c_str());
        ToolRun tool = run_tool(dir, "gpasm -p16f84 -w 2 prog.asm");
        ASSERT_EQ(tool.status, 0) << tool.output << s.gpasm;
        EXPECT_EQ(run.hex, without_extended_address(read_text_file(dir + "/prog.hex"))) << s.ours;
    }
}

/* The example program in gpasm's syntax, rule by rule: numbers in decimal
   unless prefixed, the register include file of gputils (same names and
   values), variables from RES as EQU at their register addresses, ORG
   without the area word, and CONFIG settings as gputils' configuration
   symbols. */
std::string example_for_gpasm(const std::string &text)
{
    static const std::map<std::string, std::string> config_symbols = {
        {"OSC=LP", "_LP_OSC"},     {"OSC=XT", "_XT_OSC"},       {"OSC=HS", "_HS_OSC"},
        {"OSC=RC", "_RC_OSC"},     {"WDT=on", "_WDT_ON"},       {"WDT=off", "_WDT_OFF"},
        {"PWRT=on", "_PWRTE_ON"},  {"PWRT=off", "_PWRTE_OFF"},  {"CP=on", "_CP_ON"},
        {"CP=off", "_CP_OFF"}};
    std::string out = "\tradix dec\n";
    long register_counter = 0;
    for (std::string line : words_of(text, "\r\n")) {
        std::vector<std::string> w = words_of(line.substr(0, line.find(';')));
        bool org = w.size() == 3 && w[0] == "ORG";
        if (org && w[2] == "zreg") {
            register_counter = std::stol(w[1], nullptr, 0);
        } else if (w.size() == 3 && w[1] == "RES") {
            out += w[0] + "\tEQU " + std::to_string(register_counter) + "\n";
            register_counter += std::stol(w[2], nullptr, 0);
        } else if (org && w[2] == "zprog") {
            out += "\tORG " + w[1] + "\n";
        } else if (!w.empty() && w[0] == "CONFIG") {
            std::string symbols;
            for (size_t i = 1; i < w.size(); i++)
                symbols += (i > 1 ? " & " : "") + config_symbols.at(w[i]);
            out += "\t__config " + symbols + "\n";
        } else {
            out += line + "\n";
        }
    }
    return out;
}

TEST(GpasmHex, ExampleProgramGivesTheSameRecords)
{
    ::Run run = assemble_example();
    ASSERT_EQ(run.messages, "");
    ScratchFolder scratch("gpasm_example");
    const std::string &dir = scratch.path;
    std::string translated = example_for_gpasm(example_text());
    write_text_file(dir + "/chenillard.asm", translated);
    ToolRun tool = run_tool(dir, "gpasm -p16f84 -w 2 chenillard.asm");
    ASSERT_EQ(tool.status, 0) << tool.output << translated;
    EXPECT_EQ(run.hex, without_extended_address(read_text_file(dir + "/chenillard.hex"))) << translated;
}

} // namespace
