// The inflate decoder against zlib: valid streams of every kind decode to
// zlib's output with zlib's CRC, hand-built streams reach the format's edges,
// and damaged streams end without a crash, a hang or a read past the entry.
#include "archive_fixture.h"

namespace {

using fixture::BitWriter;
using fixture::Crc32;
using fixture::Deflate;
using fixture::RunInflate;

class InflateTest : public ::testing::Test {
 protected:
  fixture::TempDrive drive;

  // Decodes with InflateEntry and checks output, CRC and the entry's bounds.
  void ExpectInflates(const std::string& stream, const std::string& expected) {
    fixture::Inflated got = RunInflate(drive, stream);
    EXPECT_FALSE(got.readPastEntry);
    ASSERT_EQ(got.output.size(), expected.size());
    EXPECT_TRUE(got.output == expected) << "output differs";
    EXPECT_EQ(got.crc, Crc32(expected));
  }
};

// --- Valid streams: the same output as zlib ---

TEST_F(InflateTest, DecodesWhatZlibWritesAtEveryLevelAndStrategy) {
  struct Case {
    const char* data;
    size_t size;
    int level;
    int strategy;
  } cases[] = {
      {"mixed", 3'000'000, 6, Z_DEFAULT_STRATEGY},  {"mixed", 1'000'000, 1, Z_DEFAULT_STRATEGY},
      {"mixed", 1'000'000, 9, Z_DEFAULT_STRATEGY},  {"mixed", 300'000, 0, Z_DEFAULT_STRATEGY},
      {"mixed", 500'000, 6, Z_FIXED},               {"mixed", 500'000, 6, Z_HUFFMAN_ONLY},
      {"mixed", 500'000, 6, Z_RLE},                 {"random", 300'000, 6, Z_DEFAULT_STRATEGY},
      {"random", 100'000, 9, Z_FIXED},              {"zeros", 1'000'000, 9, Z_DEFAULT_STRATEGY},
      {"zeros", 0, 6, Z_DEFAULT_STRATEGY},          {"mixed", 1, 6, Z_DEFAULT_STRATEGY},
      {"mixed", 32768, 6, Z_DEFAULT_STRATEGY},      {"mixed", 32769, 6, Z_DEFAULT_STRATEGY},
      {"mixed", 65536, 0, Z_DEFAULT_STRATEGY},
  };
  unsigned seed = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.data) + " " + std::to_string(c.size) + " level " + std::to_string(c.level) +
                 " strategy " + std::to_string(c.strategy));
    std::string data = std::string(c.data) == "mixed"    ? fixture::MixedData(c.size, seed++)
                       : std::string(c.data) == "random" ? fixture::RandomBytes(c.size, seed++)
                                                         : std::string(c.size, '\0');
    ExpectInflates(Deflate(data, c.level, c.strategy), data);
  }
}

TEST_F(InflateTest, DecodesRealFilesAsZlibDoes) {
  // This test program itself: several megabytes of machine code and tables.
  std::string self = fixture::ReadFile("/proc/self/exe");
  ASSERT_GT(self.size(), 100'000u);
  for (int level : {1, 6, 9}) {
    SCOPED_TRACE(level);
    ExpectInflates(Deflate(self, level), self);
  }
}

// --- Hand-built streams at the format's edges ---

// Fixed-code block holding `text` as literals.
BitWriter& FixedLiterals(BitWriter& w, const std::string& text, bool final) {
  w.Bits(final, 1).Bits(1, 2);
  for (unsigned char c : text) w.Fixed(c);
  return w.Fixed(256);
}

// A dynamic block header with the given code-length code lengths (in
// storage order) and the code-length codes that follow, written by `body`.
TEST_F(InflateTest, DecodesHandBuiltStreamsAtTheFormatsEdges) {
  struct Case {
    const char* name;
    std::string stream;
    std::string expected;
  };
  std::vector<Case> cases;

  {  // A stored block of LEN 0 adds nothing; a fixed block follows.
    BitWriter w;
    w.Bits(0, 1).Bits(0, 2).AlignToByte().Bits(0, 16).Bits(0xFFFF, 16);
    FixedLiterals(w, "abc", true);
    cases.push_back({"stored LEN 0", w.bytes(), "abc"});
  }
  {  // Two fixed-code blocks in one entry; the second reuses the tables.
    BitWriter w;
    FixedLiterals(w, "ab", false);
    FixedLiterals(w, "cd", true);
    cases.push_back({"two fixed blocks", w.bytes(), "abcd"});
  }
  {  // Fixed block with a back-reference: "xyz" then length 6 distance 3.
    BitWriter w;
    w.Bits(1, 1).Bits(1, 2).Fixed('x').Fixed('y').Fixed('z');
    w.Fixed(260).Code(2, 5);  // length 6; distance code 2 = 3
    w.Fixed(256);
    cases.push_back({"overlapping copy", w.bytes(), "xyzxyzxyz"});
  }
  // Dynamic blocks: code-length code with lengths 2 for symbols 0..3 is not
  // enough; use a small complete code-length code: symbols 1, 2, 3, 16, 17,
  // 18, 0 and 15 with three bits each (8 codes of 3 bits: complete).
  // Storage order: 16 17 18 0 8 7 9 6 10 5 11 4 12 3 13 2 14 1 15.
  auto dynamicHeader = [](BitWriter& w, int hlit, int hdist) {
    w.Bits(1, 1).Bits(2, 2).Bits(uint32_t(hlit), 5).Bits(uint32_t(hdist), 5).Bits(15, 4);  // HCLEN 19
    const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    for (int symbol : order) {
      bool used = symbol == 0 || symbol == 1 || symbol == 2 || symbol == 3 || symbol == 15 ||
                  symbol == 16 || symbol == 17 || symbol == 18;
      w.Bits(used ? 3 : 0, 3);
    }
  };
  // Canonical 3-bit codes of the code-length code, in symbol order 0, 1, 2,
  // 3, 15, 16, 17, 18.
  auto cl = [](BitWriter& w, int symbol) -> BitWriter& {
    const int symbols[8] = {0, 1, 2, 3, 15, 16, 17, 18};
    for (int k = 0; k < 8; ++k)
      if (symbols[k] == symbol) return w.Code(uint32_t(k), 3);
    ADD_FAILURE() << "no code for " << symbol;
    return w;
  };
  // Zeros for `n` lengths through codes 17 and 18.
  auto zeros = [&](BitWriter& w, int n) {
    while (n >= 11) {
      int run = std::min(n, 138);
      cl(w, 18).Bits(uint32_t(run - 11), 7);
      n -= run;
    }
    while (n >= 3) {
      int run = std::min(n, 10);
      cl(w, 17).Bits(uint32_t(run - 3), 3);
      n -= run;
    }
    while (n-- > 0) cl(w, 0);
  };
  {  // HLIT = 31 and HDIST = 31: 288 and 32 lengths. Literal code: 'a' 1
     // bit, 'b' 2 bits, 256 and 287 3 bits; distance codes 0 and 31, 1 bit.
    BitWriter w;
    dynamicHeader(w, 31, 31);
    zeros(w, 'a');
    cl(w, 1);
    cl(w, 2);                 // 'b'
    zeros(w, 256 - 'b' - 1);
    cl(w, 3);                 // 256
    zeros(w, 287 - 257);
    cl(w, 3);                 // 287
    cl(w, 1);                 // distance 0
    zeros(w, 30);
    cl(w, 1);                 // distance 31
    // Codes: 'a' 0, 'b' 10, 256 110, 287 111.
    w.Code(0, 1).Code(2, 2).Code(0, 1).Code(6, 3);
    cases.push_back({"HLIT 31, HDIST 31", w.bytes(), "aba"});
  }
  {  // One distance code of length 1 (incomplete) and a code 16 in first
     // place, which repeats the length 0. Literal code: 'x' 1 bit, 256 2 bits,
     // 257 (length 3) 2 bits.
    BitWriter w;
    dynamicHeader(w, 1, 0);  // 258 literal/length lengths, 1 distance length
    cl(w, 16).Bits(0, 2);    // lengths 0, 0, 0 for symbols 0..2
    zeros(w, 'x' - 3);
    cl(w, 1);                // 'x'
    zeros(w, 256 - 'x' - 1);
    cl(w, 2);                // 256
    cl(w, 2);                // 257
    cl(w, 1);                // distance code 0, alone
    // Codes: 'x' 0, 256 10, 257 11; distance 0 is code 0.
    w.Code(0, 1).Code(3, 2).Code(0, 1).Code(3, 2).Code(0, 1).Code(2, 2);
    cases.push_back({"code 16 first, one distance code", w.bytes(), "xxxxxxx"});
  }
  {  // Every distance length 0: a block of literals decodes.
    BitWriter w;
    dynamicHeader(w, 0, 0);
    zeros(w, 'q');
    cl(w, 1);
    zeros(w, 256 - 'q' - 1);
    cl(w, 1);                // 256
    cl(w, 0);                // the one distance length: 0
    w.Code(0, 1).Code(0, 1).Code(1, 1);
    cases.push_back({"no distance codes", w.bytes(), "qq"});
  }
  {  // A back-reference whose source straddles the window's end: 32770
     // literals, then length 258 at distance 20 from window position 2.
    BitWriter w;
    w.Bits(1, 1).Bits(1, 2);
    std::string expected;
    for (int k = 0; k < 32770; ++k) {
      expected += char('a' + k % 23);
      w.Fixed(uint8_t(expected.back()));
    }
    w.Fixed(285).Code(8, 5).Bits(3, 3);  // 258; distance code 8 = 17 + 3 = 20
    for (int k = 0; k < 258; ++k) expected += expected[expected.size() - 20];
    w.Fixed(256);
    cases.push_back({"copy across the window's end", w.bytes(), expected});
  }
  cases.push_back({"compressed size 0", "", ""});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectInflates(c.stream, c.expected);
  }
}

TEST_F(InflateTest, EmptyDataLeavesTheCrcRegisterUntouched) {
  fixture::Inflated got = RunInflate(drive, "");
  EXPECT_EQ(got.output, "");
  EXPECT_EQ(got.crc, 0u);  // 0xFFFFFFFF complemented
}

// --- Damaged streams ---

TEST_F(InflateTest, InvalidCodesAndBadCodeSetsEndTheirBlock) {
  struct Case {
    const char* name;
    std::string stream;
    std::string expected;  // what a decoder that ends the bad block writes
  };
  std::vector<Case> cases;
  {  // Literal/length code 286 is invalid in a fixed block.
    BitWriter w;
    w.Bits(1, 1).Bits(1, 2).Fixed('a').Fixed(286);
    cases.push_back({"length code 286", w.bytes(), ""});
  }
  {  // Distance code 30 is invalid.
    BitWriter w;
    w.Bits(1, 1).Bits(1, 2).Fixed('a').Fixed(257).Code(30, 5);
    cases.push_back({"distance code 30", w.bytes(), ""});
  }
  {  // Over-subscribed code-length code: four codes of length 1.
    BitWriter w;
    w.Bits(1, 1).Bits(2, 2).Bits(0, 5).Bits(0, 5).Bits(0, 4);
    for (int k = 0; k < 4; ++k) w.Bits(1, 3);
    cases.push_back({"over-subscribed code-length code", w.bytes(), ""});
  }
  {  // Reserved block type 3, final: nothing decoded.
    BitWriter w;
    w.Bits(1, 1).Bits(3, 2);
    cases.push_back({"block type 3", w.bytes(), ""});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Inflated got = RunInflate(drive, c.stream);
    EXPECT_FALSE(got.readPastEntry);
    EXPECT_EQ(got.output, c.expected);
  }
}

TEST_F(InflateTest, TruncatedDataWritesACorrectPrefixAndFailsItsCrc) {
  std::string data = fixture::MixedData(200'000, 7);
  for (int level : {0, 1, 9}) {
    std::string stream = Deflate(data, level);
    for (size_t cut = 0; cut < stream.size(); cut += 1 + cut / 3) {
      SCOPED_TRACE("level " + std::to_string(level) + " cut at " + std::to_string(cut));
      fixture::Inflated got = RunInflate(drive, stream.substr(0, cut));
      EXPECT_FALSE(got.readPastEntry);
      ASSERT_LT(got.output.size(), data.size());
      EXPECT_TRUE(data.compare(0, got.output.size(), got.output) == 0) << "not a prefix";
      EXPECT_NE(got.crc, Crc32(data));
    }
  }
}

TEST_F(InflateTest, RandomBitFlipsNeverCrashAndAgreeWithZlibWhenItAccepts) {
  std::string data = fixture::MixedData(40'000, 11);
  std::mt19937 rng(12345);
  int accepted = 0;
  for (int level : {1, 6, 9}) {
    std::string stream = Deflate(data, level);
    for (int trial = 0; trial < 300; ++trial) {
      std::string damaged = stream;
      for (int flips = 1 + int(rng() % 3); flips > 0; --flips) {
        size_t bit = rng() % (damaged.size() * 8);
        damaged[bit / 8] = char(damaged[bit / 8] ^ (1 << (bit % 8)));
      }
      fixture::Inflated got = RunInflate(drive, damaged);
      EXPECT_FALSE(got.readPastEntry);
      bool complete;
      std::string reference = fixture::ZlibInflate(damaged, &complete);
      if (complete) {  // still a valid stream: both decoders must agree
        ++accepted;
        EXPECT_TRUE(got.output == reference) << "level " << level << " trial " << trial;
      }
    }
  }
  RecordProperty("streams zlib accepted", accepted);
}

}  // namespace
