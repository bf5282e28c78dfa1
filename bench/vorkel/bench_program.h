/* bench_program.h - the benchmark's generated program, in this assembler's
   syntax and in gpasm's. */
#ifndef BENCH_VORKEL_BENCH_PROGRAM_H
#define BENCH_VORKEL_BENCH_PROGRAM_H

#include <string>

/* One program: its main source and its include file "defs.inc", each
   written for both assemblers. Lines end with "\n". */
struct BenchProgram {
    std::string main_ours, include_ours;
    std::string main_gpasm, include_gpasm;
};

/* About 1,200 source lines filling about 1,000 program words: 200 EQU
   symbols (half of them in the include file), 120 labels reached by forward
   and backward goto and call, three macros expanded about 50 times, and
   CONFIG. The same seed gives the same program. */
BenchProgram generate_bench_program(unsigned seed);

int count_lines(const std::string &text);

#endif
