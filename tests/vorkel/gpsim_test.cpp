/* gpsim_test.cpp - the example program's HEX text run in gpsim: at fixed
   cycle counts the registers hold what the LED chaser is meant to show. */
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "harness.h"
#include "reference_tools.h"

namespace {

/* The registers at one stop: banks 0 and 1, 0x00..0x4F and 0x80..0xCF. */
struct Registers {
    std::vector<int> bank0, bank1;
};

/* gpsim's "dump r" rows "0000:  00 01 ..." in order of appearance; a row
   at 0000 opens the next stop. Unimplemented registers ("--") read -1. */
std::vector<Registers> parse_dumps(const std::string &output)
{
    std::vector<Registers> stops;
    for (const std::string &line : words_of(output, "\n")) {
        unsigned address;
        int end = 0;
        if (std::sscanf(line.c_str(), "%4x:%n", &address, &end) != 1 || end != 5 || address > 0xFF)
            continue;
        if (address == 0)
            stops.emplace_back();
        if (stops.empty())
            continue;
        std::vector<int> &bank = address < 0x80 ? stops.back().bank0 : stops.back().bank1;
        std::vector<std::string> cells = words_of(line.substr(end), " ");
        for (size_t k = 0; k < 16 && k < cells.size(); k++)
            bank.push_back(cells[k] == "--" ? -1 : std::stoi(cells[k], nullptr, 16));
    }
    return stops;
}

/* Offsets within a bank: TRISB is 0x86, offset 6 of bank 1. */
enum { STATUS = 0x03, PORTB = 0x06, TRISB = 0x06, COMPTE_MS = 0x0C, RP0 = 0x20 };

/* The chaser lights one LED of port B after the other, every 200 ms at
   4 MHz: five cycles of set-up, then 200011 cycles per LED. Half way through
   each wait, port B shows LED k (the eighth step wraps to the first), the
   port is all output, bank 0 is selected and the millisecond counter stands
   half way down from 200. */
TEST(Gpsim, ExampleLightsOneLedAfterTheOther)
{
    ::Run run = assemble_example();
    ASSERT_EQ(run.messages, "");
    ASSERT_NE(run.hex, "");
    ScratchFolder scratch("gpsim");
    const std::string &dir = scratch.path;
    write_text_file(dir + "/chenillard.hex", run.hex);
    std::string script = "load chenillard.hex\n";
    const int steps = 10;
    for (int k = 0; k < steps; k++)
        script += "break c " + std::to_string(5 + k * 200011 + 100000) + "\nrun\ndump r\n";
    write_text_file(dir + "/run.stc", script + "quit\n");
    ToolRun sim = run_tool(dir, "gpsim -i -p p16f84 -c run.stc");
    std::vector<Registers> stops = parse_dumps(sim.output);
    ASSERT_EQ(stops.size(), (size_t)steps) << sim.output;
    for (int k = 0; k < steps; k++) {
        const Registers &r = stops[k];
        ASSERT_GE(r.bank0.size(), 0x10u);
        ASSERT_GE(r.bank1.size(), 0x10u);
        EXPECT_EQ(r.bank0[PORTB], 1 << (k % 8)) << "step " << k;
        EXPECT_EQ(r.bank1[TRISB], 0) << "step " << k;
        EXPECT_EQ(r.bank0[STATUS] & RP0, 0) << "step " << k;
        EXPECT_NEAR(r.bank0[COMPTE_MS], 100, 2) << "step " << k;
    }
}

} // namespace
