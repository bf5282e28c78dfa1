/* keyword_index_test.cpp - the lexer finds the caller's keywords through an
   index of the list built for each run: a word is a keyword wherever it
   stands in a list of any length, the first of the words that differ only
   in case gives the kind, and a list changed in place between two runs is
   read afresh. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace {

/* The kit's words, then filler words up to position `at`, where word goes. */
std::string kit_list_with(const std::string &word, size_t at)
{
    std::vector<std::string> words;
    const std::string &kit = kit_keywords();
    for (size_t i = 0; kit[i] != '\0'; i += words.back().size() + 1)
        words.push_back(kit.c_str() + i);
    while (words.size() < at)
        words.push_back("filler" + std::to_string(words.size()));
    words.push_back(word);
    return keyword_list_of(words);
}

/* "late" as a keyword without a role cannot be defined by EQU, wherever it
   stands in the list; a list without it leaves it a symbol. */
TEST(KeywordIndex, AWordIsAKeywordAtAnyPositionOfALongList)
{
    const std::string source = "LATE EQU 5\n ORG 0\n nop\n";
    const ::Run symbol = assemble(source);
    ASSERT_EQ(symbol.messages, "");
    const std::string near = kit_list_with("late", 61);
    const ::Run keyword = assemble(source, 0, "test.asm", &near);
    ASSERT_NE(keyword.messages, "");
    for (size_t at : {62, 300, 511, 512, 513, 1500}) {
        const std::string list = kit_list_with("late", at);
        const ::Run run = assemble(source, 0, "test.asm", &list);
        EXPECT_EQ(run.messages, keyword.messages) << "at " << at;
        EXPECT_EQ(run.listing, keyword.listing) << "at " << at;
    }
}

/* A later spelling of an earlier word never takes its kind, whether it falls
   inside the index or after it. */
TEST(KeywordIndex, TheFirstOfTheWordsAlikeButForCaseWins)
{
    for (size_t at : {61, 700}) {
        const std::string list = kit_list_with("NOP", at);
        const ::Run run = assemble(" ORG 0\n movlw 1\n Nop\n", 0, "test.asm", &list);
        EXPECT_EQ(run.messages, "") << "at " << at;
        EXPECT_EQ(run.program[1], 0x0000) << "at " << at;
    }
}

/* The editor may rewrite its list in the same buffer between runs. */
TEST(KeywordIndex, AListChangedInPlaceIsReadAgain)
{
    std::string list = kit_keywords();
    const ::Run before = assemble(" ORG 0\n movlx 5\n movlw 5\n", 0, "test.asm", &list);
    ASSERT_NE(before.messages.find("Erreur: 2 "), std::string::npos) << before.messages;
    size_t movlw = list.find(std::string("movlw") + '\0');
    ASSERT_NE(movlw, std::string::npos);
    const char *buffer = list.c_str();
    list[movlw + 4] = 'x';
    ASSERT_EQ(list.c_str(), buffer);
    const ::Run after = assemble(" ORG 0\n movlw 5\n movlx 5\n", 0, "test.asm", &list);
    EXPECT_EQ(after.messages, before.messages);
    EXPECT_EQ(after.program, before.program);
    EXPECT_EQ(after.program[0], 0x3005);
}

} // namespace
