/* hex_test.cpp - the Intel HEX text: record layout and checksums, how
   program words split into records, the ID, configuration and EEPROM records,
   and when a run writes no HEX at all. */
#include <gtest/gtest.h>

#include <string>

#include "codegen/codegen.h"
#include "frame/frame.h"
#include "harness.h"
#include "output/output.h"

namespace {

const std::string END = ":00000001FF\n";

TEST(Hex, RecordsOfSmallPrograms)
{
    struct Case {
        const char *source;
        std::string hex;
    };
    const Case cases[] = {
        {"\tORG 0\n\tMOVLW 0x41\n", ":0200000041308D\n" + END},
        {"\tORG 0x10\n\tgoto 5\n\treturn\n", ":0400200005280800A7\n" + END},
        {"\tORG 0\n\tnop\n\tCONFIG OSC=XT\n", ":020000000000FE\n:02400E00FD3F74\n" + END},
        {"\tORG 0\n\tnop\n\tIDENT 1, 2\n", ":020000000000FE\n:0840000001000200FF3FFF3F39\n" + END},
        {"\tORG 0, zdata\n\tDE 0x61, 0x62\n", ":0442000061006200F7\n" + END},
        /* Nine words: a full record, then one word at byte address 0x0010. */
        {"\tORG 0\n\tretlw \"abcdefghi\"\n",
         ":10000000613462346334643465346634673468342C\n:02001000693451\n" + END},
        /* Two runs of words never share a record; the order of the parts is
           program, ID, configuration, EEPROM. */
        {"\tORG 0x3F, zdata\n\tDE 255\n\tORG 0x3FE, zprog\n\tsleep\n\tclrwdt\n\tORG 1\n\tnop\n"
         "\tIDENT 0x3FFF,0,0x2A,0x155\n\tCONFIG CP=on\n",
         ":020002000000FC\n:0407FC006300640032\n:08400000FF3F00002A005501FA\n:02400E000F00A1\n"
         ":02427E00FF003F\n" + END},
    };
    for (const Case &c : cases) {
        ::Run run = assemble(c.source);
        EXPECT_EQ(run.hex, c.hex) << c.source << "\n" << run.messages;
    }
}

/* The writer over images set directly: empty words, whatever their value,
   split the records, and no record runs past the last address. */
TEST(Hex, WriterSplitsRunsAtEmptyWordsAndTheEnd)
{
    for (uint16_t empty : {uint16_t(0x3FFF), uint16_t(0xFFFF)}) {
        ::Run run = assemble("\tORG 0\n\tnop\n", empty == 0xFFFF ? OPT_EMPTY_FFFF : 0);
        ASSERT_EQ(run.messages, "");
        for (int a = 0; a < 20; a++)
            program_image[0x100 + a] = 0x3000 + a;
        program_image[0x105] = empty;
        for (int a = 1020; a < 1024; a++)
            program_image[a] = 0x0008;
        eeprom_image[62] = 0x00;
        eeprom_image[63] = 0x80;
        text_clear(&hex_text);
        write_hex();
        EXPECT_EQ(std::string(hex_text.data),
                  ":020000000000FE\n"
                  ":0A02000000300130023003300430FA\n"
                  ":10020C0006300730083009300A300B300C300D3016\n"
                  ":0C021C000E300F30103011301230133053\n"
                  ":0807F8000800080008000800D9\n"
                  ":04427C0000008000BE\n" +
                      END);
    }
}

TEST(Hex, NoTextForErrorsOrWithoutCode)
{
    EXPECT_EQ(assemble("\tORG 0\n\tnop\n\tgoto\n").hex, "");
    ::Run only_config = assemble("\tCONFIG OSC=XT\n\tIDENT 1\n");
    EXPECT_EQ(only_config.hex, "");
    EXPECT_EQ(only_config.messages, "");
    /* A warning does not prevent it. */
    ::Run warned = assemble("\tnop\n");
    EXPECT_NE(warned.messages, "");
    EXPECT_EQ(warned.hex, ":020000000000FE\n" + END);
}

} // namespace
