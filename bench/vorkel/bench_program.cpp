/* bench_program.cpp - generates the benchmark's program in both syntaxes. */
#include "bench_program.h"

#include <cstdio>
#include <random>

namespace {

enum { LABELS = 120, REGISTERS = 100, CONSTANTS = 100, WORD_BUDGET = 1000 };

struct Writer {
    BenchProgram &p;
    std::mt19937 random;
    int words = 0;

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

    void both(const std::string &line)
    {
        p.main_ours += line;
        p.main_gpasm += line;
    }

    static std::string format(const char *pattern, int a, int b = 0)
    {
        char text[96];
        std::snprintf(text, sizeof text, pattern, a, b);
        return text;
    }

    /* One plain instruction on symbols of the program, written alike for
       both assemblers. */
    void instruction()
    {
        int r = below(REGISTERS), k = below(CONSTANTS), l = below(LABELS);
        switch (below(10)) {
        case 0: both(format("\tmovlw K%03d\n", k)); break;
        case 1: both(format("\tmovwf R%03d\n", r)); break;
        case 2: both(format("\taddwf R%03d,%d\n", r, below(2))); break;
        case 3: both(format("\tbsf R%03d,%d\n", r, below(8))); break;
        case 4: both(format("\tbtfss R%03d,%d\n", r, below(8))); break;
        case 5: both(format("\tgoto L%03d\n", l)); break;
        case 6: both(format("\tcall L%03d\n", l)); break;
        case 7: both(format("\tandlw K%03d + 1\n", k)); break;
        case 8: both(format("\tdecfsz R%03d,1\n", r)); break;
        default: both("\tnop\n"); break;
        }
        words++;
    }

    /* A call of one of the three macros and the words it expands to. */
    void macro_call()
    {
        int r = below(REGISTERS), s = below(REGISTERS), k = below(CONSTANTS);
        switch (below(3)) {
        case 0: both(format("\tLOADF K%03d, R%03d\n", k, r)); words += 2; break;
        case 1: both(format("\tADD16 R%03d, R%03d", r, s) + format(", R%03d\n", below(REGISTERS))); words += 4; break;
        default: both(format("\tPAUSE K%03d, R%03d\n", k, r)); words += 4; break;
        }
    }

    void include_file()
    {
        p.include_ours = p.include_gpasm = "; defs.inc - registers of the benchmark program\n";
        for (int i = 0; i < REGISTERS; i++) {
            std::string line = format("R%03d\tEQU 0x%02X\n", i, 0x0C + i % 0x44);
            p.include_ours += line;
            p.include_gpasm += line;
        }
    }

    void macros()
    {
        p.main_ours += "LOADF\tMACRO\n\tmovlw %1\n\tmovwf %2\n\tENDM\n"
                       "ADD16\tMACRO\n\tmovf %1,0\n\taddwf %2,1\n\tbtfsc 3,0\n\tincf %3,1\n\tENDM\n"
                       "PAUSE\tMACRO\n\tmovlw %1\n\tmovwf %2\n\tdecfsz %2,1\n\tgoto $-1\n\tENDM\n";
        p.main_gpasm += "LOADF\tmacro a1, a2\n\tmovlw a1\n\tmovwf a2\n\tendm\n"
                        "ADD16\tmacro a1, a2, a3\n\tmovf a1,0\n\taddwf a2,1\n\tbtfsc 3,0\n\tincf a3,1\n\tendm\n"
                        "PAUSE\tmacro a1, a2\n\tmovlw a1\n\tmovwf a2\n\tdecfsz a2,1\n\tgoto $-1\n\tendm\n";
    }

    void program()
    {
        include_file();
        p.main_ours = "; bench.asm - generated program of the assembler benchmark\n"
                      "\tINCLUDE \"defs.inc\"\n\tCONFIG OSC=XT, WDT=off, PWRT=on, CP=off\n";
        p.main_gpasm = "; bench.asm - generated program of the assembler benchmark\n"
                       "\tradix dec\n\tinclude \"defs.inc\"\n\t__config 0x3FF1\n";
        for (int i = 0; i < CONSTANTS; i++)
            both(format("K%03d\tEQU %d\n", i, below(200)));
        macros();
        both("\tORG 0\n");
        /* Each label opens a block of plain instructions with a macro call
           in about two blocks of five. */
        int per_block = (WORD_BUDGET - 50 * 3) / LABELS;
        for (int l = 0; l < LABELS; l++) {
            both(format("L%03d:\n", l));
            if (l % 10 == 0)
                both(format("; ---- block %d\n", l / 10));
            for (int n = 0; n < per_block; n++)
                instruction();
            if (below(5) < 2)
                macro_call();
        }
        both("\tEND\n");
    }
};

} // namespace

BenchProgram generate_bench_program(unsigned seed)
{
    BenchProgram p;
    Writer w{p, std::mt19937(seed)};
    w.program();
    return p;
}

int count_lines(const std::string &text)
{
    int n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}
