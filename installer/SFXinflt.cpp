// The inflate decoder: one deflated archive entry (RFC 1951) from the
// archive into OutputHandle through a 32 KiB window, with the running CRC.
//
// Format notes. Bits arrive least significant first; Huffman codes are sent
// most significant bit first, so the tables are indexed by the reversed code
// (the bits as they arrive). A block starts with BFINAL (1 bit) and BTYPE
// (2 bits): 0 stored, 1 fixed codes, 2 dynamic codes, 3 reserved. Lengths run
// 3 to 258, distances 1 to 32768 (fixed by the format), so every distance
// lands inside the circular 32 KiB window.
//
// Reading. The entry's bytes come through a 32 KiB input buffer, never past
// CompressedLeft. The bit buffer is 64 bits wide and refilled eight bytes at
// a time while the input buffer holds eight; past the entry's end it fills
// with one bits ("pad"). Consuming a pad bit means the data ran out inside a
// block: the entry ends there, without writing the window, so it fails its
// CRC; look-ahead pad bits that are never consumed end nothing.
//
// Damaged blocks. Each block handler works on a copy of the bit state and
// the window position and stores it back only when its block ends normally;
// on an invalid code or a bad table the next block starts from the state
// last stored back, which lies at least three bits further on than the
// previous block's start, so every entry ends.
#include "SFXinflt.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "SFXgbls.h"

namespace {

constexpr uint32_t WINDOW_SIZE = 32768;
constexpr uint32_t INPUT_SIZE = 32768;
constexpr uint8_t OP_END_OF_BLOCK = 15;
constexpr uint8_t OP_LITERAL = 16;
constexpr uint8_t OP_INVALID = 99;

// Length bases and extra bits for codes 257 to 287; 285 is 258 with no
// extra bits, 286 and 287 are invalid.
const uint16_t kLengthBases[31] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27, 31,
                                   35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258, 0,  0};
const uint8_t kLengthExtra[31] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,  2, 2,
                                  3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, 99, 99};
// Distance bases and extra bits for codes 0 to 31; 30 and 31 are invalid.
const uint16_t kDistanceBases[32] = {1,    2,    3,    4,    5,    7,     9,     13,    17,    25,   33,
                                     49,   65,   97,   129,  193,  257,   385,   513,   769,   1025, 1537,
                                     2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 0,     0};
const uint8_t kDistanceExtra[32] = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                    7, 7, 8,  8,  9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 99, 99};
// The order in which code-length code lengths are stored.
const uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
// (1 << n) - 1 for n = 0 to 16.
const uint32_t kMasks[17] = {0,     1,     3,     7,      15,     31,     63,     127,   255,
                             511,   1023,  2047,  4095,   8191,   16383,  32767,  65535};

// The bit reader's state and the window position: what a block handler
// copies and stores back when its block ends normally.
struct BitState {
  uint64_t bits = 0;       // valid bits are the low `count` ones, oldest first
  uint32_t count = 0;      // valid bits held, at most 63
  uint32_t pad = 0;        // of those, one bits past the entry's end
  uint32_t windowPos = 0;  // next window byte to write, 0 to 32768
};

// How a block ended.
enum class BlockEnd {
  DONE,        // normally: its state is stored back
  FAILED,      // damaged: the next block starts from the state last stored
  ENTRY_ENDS,  // out of memory or out of data: nothing more is written
};

// The decoder's state for one call of InflateEntry.
struct Decoder {
  uint8_t* input = nullptr;  // INPUT_SIZE bytes of the entry's data
  uint32_t inputPos = 0;     // next byte of the input buffer
  uint32_t inputHeld = 0;    // bytes in the input buffer
  uint8_t* window = nullptr;  // WINDOW_SIZE bytes: the last 32 KiB of output
  BitState stored;            // the state last stored back
  DecodeSlot* fixedLiterals = nullptr;  // cached fixed-code tables
  DecodeSlot* fixedDistances = nullptr;
  DecodeSlot* fixedChain = nullptr;
  int fixedLiteralWidth = 0, fixedDistanceWidth = 0;
};
Decoder D;

// --- Reading bits ------------------------------------------------------------

// The next byte of the entry's data, or -1 once it is used up.
int ReadArchiveByte() {
  if (Installer.CompressedLeft <= 0) return -1;
  if (D.inputPos == D.inputHeld) {
    uint32_t want = uint32_t(std::min<int32_t>(Installer.CompressedLeft, INPUT_SIZE));
    D.inputHeld = plat_read_file(Installer.ArchiveHandle, D.input, want);
    D.inputPos = 0;
    if (D.inputHeld == 0) {
      Installer.CompressedLeft = 0;
      return -1;
    }
  }
  --Installer.CompressedLeft;
  return D.input[D.inputPos++];
}

// Eight bytes as a little-endian number.
inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  memcpy(&v, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap64(v);
#endif
  return v;
}

// Fills the bit buffer to at least 56 bits: eight bytes at once while the
// input buffer holds them (the bits loaded above the count are the next
// bytes of the stream, so loading them again later changes nothing), one
// byte at a time otherwise, and one bits past the end of the data.
void Refill(BitState& s) {
  if (D.inputHeld - D.inputPos >= 8) {
    s.bits |= Load64(D.input + D.inputPos) << s.count;
    uint32_t bytes = (63 - s.count) >> 3;
    D.inputPos += bytes;
    Installer.CompressedLeft -= int32_t(bytes);
    s.count += bytes * 8;
    return;
  }
  while (s.count < 56) {
    int byte = ReadArchiveByte();
    if (byte < 0) {
      s.bits |= ~uint64_t(0) << s.count;
      s.pad += 8;
    } else {
      s.bits |= uint64_t(byte) << s.count;
    }
    s.count += 8;
  }
}

// Makes the bit buffer hold at least n bits (n up to 56).
inline void FillBits(uint32_t n, BitState& s) {
  if (s.count < n) Refill(s);
}

// Removes n bits from the bit buffer.
inline void DropBits(uint32_t n, BitState& s) {
  s.bits >>= n;
  s.count -= n;
}

// True once a pad bit has been consumed: the data ran out inside a block.
inline bool RanOut(const BitState& s) { return s.count < s.pad; }

// Takes n bits (n up to 16) as a number.
uint32_t TakeBits(uint32_t n, BitState& s) {
  FillBits(n, s);
  uint32_t v = uint32_t(s.bits) & kMasks[n];
  DropBits(n, s);
  return v;
}

// Bits above the count may belong to input that a failed block went past;
// dropping them keeps a restored state consistent with the input position.
void StoreBack(const BitState& s) {
  D.stored = s;
  D.stored.bits &= s.count >= 64 ? ~uint64_t(0) : (uint64_t(1) << s.count) - 1;
}

// --- Writing the window --------------------------------------------------------

// Writes window bytes 0 to count - 1 and runs what reached the file through
// the CRC: a short write (a full disk) shows as a mismatch.
void FlushWindow(uint32_t count) {
  uint32_t put = plat_write_file(Installer.OutputHandle, D.window, count);
  UpdateCrc(D.window, int32_t(put), Installer.RunningCrc);
}

inline void PutByte(uint8_t byte, uint32_t& pos) {
  D.window[pos++] = byte;
  if (pos == WINDOW_SIZE) {
    FlushWindow(WINDOW_SIZE);
    pos = 0;
  }
}

// Copies `length` bytes in ascending order from `dist` bytes back, so that an
// overlapping copy repeats its pattern. Source and destination stay inside
// the window: the copy goes in pieces that end at the window's end or at the
// source's wrap.
void CopyMatch(uint32_t length, uint32_t dist, uint32_t& pos) {
  while (length > 0) {
    uint32_t from = (pos - dist) & (WINDOW_SIZE - 1);
    uint32_t piece = std::min({length, WINDOW_SIZE - pos, WINDOW_SIZE - from});
    uint8_t* d = D.window + pos;
    const uint8_t* s = D.window + from;
    uint32_t n = piece;
    if (dist >= 8 && from < pos) {
      for (; n >= 8; n -= 8, d += 8, s += 8) memcpy(d, s, 8);  // never ahead of the writes
      while (n--) *d++ = *s++;
    } else if (dist == 1 && from < pos) {
      memset(d, *s, n);
    } else {
      while (n--) *d++ = *s++;
    }
    pos += piece;
    length -= piece;
    if (pos == WINDOW_SIZE) {
      FlushWindow(WINDOW_SIZE);
      pos = 0;
    }
  }
}

// --- Decode tables -------------------------------------------------------------

// Follows links until a slot that is not one; null for an invalid code.
inline const DecodeSlot* Lookup(const DecodeSlot* table, uint32_t width, BitState& s) {
  const DecodeSlot* slot = &table[uint32_t(s.bits) & kMasks[width]];
  while (slot->operation > OP_LITERAL) {
    if (slot->operation == OP_INVALID) return nullptr;
    DropBits(slot->bits, s);
    slot = &slot->subTable[uint32_t(s.bits) & kMasks[slot->operation - OP_LITERAL]];
  }
  return slot;
}

// Width of a new table at the level that starts after `w` bits, opened for
// a code of length k with `left` codes of that length still to place (the
// current one included); counts[] holds the codes of each length.
int TableWidth(int k, int w, int left, int requested, int longest, int endLength,
               const int* counts) {
  int cap = std::min(requested, longest - w);
  int width = k - w;
  if ((1 << width) > left) {
    int free = (1 << width) - left;
    int j = width + 1;
    while (j < cap) {
      free <<= 1;
      if (free <= counts[w + j]) break;
      free -= counts[w + j];
      ++j;
    }
    width = j;
  }
  if (w < endLength && w + width > endLength) width = endLength - w;  // end-of-block ends a table
  return width;
}

DecodeSlot SymbolSlot(int symbol, int simpleCount, const uint16_t* bases, const uint8_t* extraBits) {
  DecodeSlot slot{};
  if (symbol < simpleCount) {
    slot.operation = symbol == 256 ? OP_END_OF_BLOCK : OP_LITERAL;
    slot.value = uint16_t(symbol);
  } else {
    slot.operation = extraBits[symbol - simpleCount];
    slot.value = bases[symbol - simpleCount];
  }
  return slot;
}

// Frees the blocks pushed onto chain since `stop` was its head.
void ReleaseUntil(DecodeSlot*& chain, DecodeSlot* stop) {
  while (chain && chain != stop) {
    DecodeSlot* next = chain[-1].subTable;
    delete[](chain - 1);
    chain = next;
  }
}

}  // namespace

// A canonical Huffman code as a multi-level table. Each table block holds a
// chain slot ahead of its slots; the chain slot links to the block pushed
// before it, so a chain is released as a whole. Free code space at the
// longest length is filled with phantom codes whose slots are invalid.
int BuildDecodeTable(const uint8_t* lengths, int count, int simpleCount, const uint16_t* bases,
                     const uint8_t* extraBits, DecodeSlot*& table, DecodeSlot*& chain,
                     int& width) {
  int endLength = count > 256 ? lengths[256] : 16;
  int counts[17] = {};
  for (int i = 0; i < count; ++i) ++counts[lengths[i]];
  if (counts[0] == count) {
    table = nullptr;
    width = 0;
    return 0;
  }
  int shortest = 1, longest = 16;
  while (counts[shortest] == 0) ++shortest;
  while (counts[longest] == 0) --longest;
  int requested = std::max(shortest, std::min(width, longest));

  int freeCodes = 1 << shortest;
  for (int k = shortest; k <= longest; ++k) {
    freeCodes -= counts[k];
    if (freeCodes < 0) return 2;
    if (k < longest) freeCodes <<= 1;
  }
  // Symbols by code length, then by number.
  int sorted[320];
  int offsets[17] = {};
  for (int k = 1; k < 16; ++k) offsets[k + 1] = offsets[k] + counts[k];
  for (int i = 0; i < count; ++i)
    if (lengths[i]) sorted[offsets[lengths[i]]++] = i;
  int realCodes = count - counts[0];
  counts[longest] += freeCodes;  // phantom codes

  DecodeSlot* chainAtStart = chain;
  DecodeSlot* tables[17];
  int covered[17], widths[17];
  uint32_t prefixes[17];
  int level = -1;
  uint32_t code = 0;  // the current code, bits reversed
  int placed = 0;
  for (int k = shortest; k <= longest; ++k) {
    for (int left = counts[k]; left > 0; --left) {
      while (level < 0 || k > covered[level] + widths[level]) {
        int w = level < 0 ? 0 : covered[level] + widths[level];
        int tableWidth = TableWidth(k, w, left, requested, longest, endLength, counts);
        DecodeSlot* block = new (std::nothrow) DecodeSlot[(size_t(1) << tableWidth) + 1];
        if (!block) {
          ReleaseUntil(chain, chainAtStart);
          return 3;
        }
        for (size_t i = 0; i <= (size_t(1) << tableWidth); ++i) block[i] = {OP_INVALID, 0, 0, nullptr};
        block[0].subTable = chain;
        chain = block + 1;
        if (level >= 0) {
          uint32_t index = (code >> covered[level]) & kMasks[widths[level]];
          tables[level][index] = {uint8_t(OP_LITERAL + tableWidth), uint8_t(widths[level]), 0, chain};
        } else {
          table = chain;
          width = tableWidth;
        }
        ++level;
        tables[level] = chain;
        covered[level] = w;
        widths[level] = tableWidth;
        prefixes[level] = code & kMasks[w];
      }

      int w = covered[level];
      DecodeSlot slot = placed < realCodes ? SymbolSlot(sorted[placed], simpleCount, bases, extraBits)
                                           : DecodeSlot{OP_INVALID, 0, 0, nullptr};
      slot.bits = uint8_t(k - w);
      for (uint32_t i = code >> w; i < (1u << widths[level]); i += 1u << (k - w))
        tables[level][i] = slot;
      ++placed;

      uint32_t bit = 1u << (k - 1);  // next code: increment the reversed bits
      while (code & bit) {
        code ^= bit;
        bit >>= 1;
      }
      code ^= bit;
      while (level > 0 && (code & kMasks[covered[level]]) != prefixes[level]) --level;
    }
  }
  return freeCodes != 0 && longest != 1 ? 1 : 0;
}

void ReleaseDecodeTables(DecodeSlot*& chain) { ReleaseUntil(chain, nullptr); }

namespace {

// --- Blocks --------------------------------------------------------------------

// Copies a match whose source lies wholly before its destination in the
// window (dist <= pos) and which ends before the window's end. Bytes go in
// ascending order; a copy never writes past its own end, since the bytes
// there are history that later distances may still reach.
inline void CopyWithinWindow(uint8_t* d, uint32_t length, uint32_t dist) {
  const uint8_t* s = d - dist;
  if (dist >= 8) {  // every 8-byte piece reads bytes already written
    if (length >= 8) {
      for (uint32_t i = 0; i + 8 <= length; i += 8) memcpy(d + i, s + i, 8);
      memcpy(d + length - 8, s + length - 8, 8);  // rewrites equal bytes
    } else if (length >= 4) {
      memcpy(d, s, 4);
      memcpy(d + length - 4, s + length - 4, 4);
    } else {
      d[0] = s[0], d[1] = s[1], d[2] = s[2];
    }
  } else if (dist == 1) {
    memset(d, s[0], length);
  } else {
    for (uint32_t i = 0; i < length; ++i) d[i] = s[i];
  }
}

// Copies a match whose source lies after its destination in the window
// (the source wrapped: it is `gap` bytes ahead) and does not reach the
// window's end. An ascending copy reads every source byte before any write
// reaches it.
inline void CopyFromAhead(uint8_t* d, const uint8_t* s, uint32_t length) {
  if (s - d >= 8 && length >= 8) {
    for (uint32_t i = 0; i + 8 <= length; i += 8) memcpy(d + i, s + i, 8);
    memcpy(d + length - 8, s + length - 8, 8);
  } else {
    for (uint32_t i = 0; i < length; ++i) d[i] = s[i];
  }
}

// Room the fast loop keeps before the window's end: two literals or the
// longest match.
constexpr uint32_t FAST_ROOM = 258 + 2;

// The fast loop's code reading: follows the sub-table links from slot with
// the bits in hand and drops the code's bits; null for an invalid code.
inline const DecodeSlot* TakeCode(const DecodeSlot* slot, uint64_t& bits, uint32_t& count) {
  while (slot->operation > OP_LITERAL) {
    if (slot->operation == OP_INVALID) return nullptr;
    bits >>= slot->bits;
    count -= slot->bits;
    slot = &slot->subTable[bits & kMasks[slot->operation - OP_LITERAL]];
  }
  bits >>= slot->bits;
  count -= slot->bits;
  return slot;
}

// The fast loop of DecodeSymbols: while the input buffer holds eight bytes
// (so no pad bit can be met) and the window has FAST_ROOM left, it refills
// eight bytes at once and decodes without checking the window's end.
// Answers -1 when the careful loop must go on, 0 at the end of the block,
// 1 on an invalid code.
int DecodeFast(const DecodeSlot* literals, const DecodeSlot* distances, uint32_t literalMask,
               uint32_t distanceMask, BitState& state, uint32_t& windowPos) {
  uint8_t* const window = D.window;
  const uint8_t* const input = D.input;
  const uint32_t inputEnd = D.inputHeld;
  uint32_t inputPos = D.inputPos;
  uint64_t bits = state.bits;
  uint32_t count = state.count;
  uint32_t pos = windowPos;
  int result = -1;
  while (inputEnd - inputPos >= 8 && pos < WINDOW_SIZE - FAST_ROOM) {
    // At least 56 bits: a length code with its extra bits and a distance code
    // with its extra bits take at most 48.
    bits |= Load64(input + inputPos) << count;
    inputPos += (63 - count) >> 3;
    count |= 56;
    const DecodeSlot* slot = &literals[bits & literalMask];
    if (slot->operation == OP_LITERAL) {  // the common case, twice
      bits >>= slot->bits;
      count -= slot->bits;
      window[pos++] = uint8_t(slot->value);
      slot = &literals[bits & literalMask];
      if (slot->operation == OP_LITERAL) {
        bits >>= slot->bits;
        count -= slot->bits;
        window[pos++] = uint8_t(slot->value);
      }
      continue;
    }
    slot = TakeCode(slot, bits, count);
    if (!slot) return 1;
    if (slot->operation == OP_LITERAL) {
      window[pos++] = uint8_t(slot->value);
      continue;
    }
    if (slot->operation == OP_END_OF_BLOCK) {
      result = 0;
      break;
    }
    if (!distances) return 1;  // a length in a block without distances
    uint32_t length = slot->value + (uint32_t(bits) & kMasks[slot->operation]);
    bits >>= slot->operation;
    count -= slot->operation;
    slot = &distances[bits & distanceMask];
    slot = TakeCode(slot, bits, count);
    if (!slot) return 1;
    uint32_t dist = slot->value + (uint32_t(bits) & kMasks[slot->operation]);
    bits >>= slot->operation;
    count -= slot->operation;
    if (dist <= pos) {
      CopyWithinWindow(window + pos, length, dist);
      pos += length;
    } else if (pos + WINDOW_SIZE - dist + length <= WINDOW_SIZE) {
      CopyFromAhead(window + pos, window + pos + WINDOW_SIZE - dist, length);
      pos += length;
    } else {
      CopyMatch(length, dist, pos);  // the source crosses the window's end; no flush here
    }
  }
  Installer.CompressedLeft -= int32_t(inputPos - D.inputPos);
  D.inputPos = inputPos;
  state.bits = bits;
  state.count = count;
  windowPos = pos;
  return result;
}

// Decodes one block's codes into the window until the end-of-block code.
// Answers 0 at the end of the block, 1 on an invalid code, and 2 when the
// data ran out. The careful loop below takes one symbol at a time near the
// window's end and the input's end, checking both.
int DecodeSymbols(const DecodeSlot* literals, const DecodeSlot* distances, int literalWidth,
                  int distanceWidth) {
  BitState s = D.stored;
  uint32_t pos = s.windowPos;
  for (;;) {
    int fast = DecodeFast(literals, distances, kMasks[literalWidth], kMasks[distanceWidth], s, pos);
    if (fast == 1) return 1;
    if (fast == 0) {
      s.windowPos = pos;
      StoreBack(s);
      return 0;
    }
    FillBits(48, s);
    const DecodeSlot* slot = Lookup(literals, uint32_t(literalWidth), s);
    if (!slot) return 1;
    DropBits(slot->bits, s);
    if (RanOut(s)) return 2;
    if (slot->operation == OP_LITERAL) {
      PutByte(uint8_t(slot->value), pos);
      continue;
    }
    if (slot->operation == OP_END_OF_BLOCK) {
      s.windowPos = pos;
      StoreBack(s);
      return 0;
    }
    if (!distances) return 1;  // a length in a block without distances
    uint32_t length = slot->value + (uint32_t(s.bits) & kMasks[slot->operation]);
    DropBits(slot->operation, s);
    slot = Lookup(distances, uint32_t(distanceWidth), s);
    if (!slot) return 1;
    DropBits(slot->bits, s);
    uint32_t dist = slot->value + (uint32_t(s.bits) & kMasks[slot->operation]);
    DropBits(slot->operation, s);
    if (RanOut(s)) return 2;
    CopyMatch(length, dist, pos);
  }
}

BlockEnd SymbolsEnd(int result) {
  return result == 0 ? BlockEnd::DONE : result == 1 ? BlockEnd::FAILED : BlockEnd::ENTRY_ENDS;
}

// Block type 0: LEN bytes, after the bits up to the next byte boundary.
BlockEnd CopyStoredBlock() {
  BitState s = D.stored;
  DropBits(s.count % 8, s);
  uint32_t length = TakeBits(16, s);
  TakeBits(16, s);  // NLEN: damage shows as a CRC mismatch
  if (RanOut(s)) return BlockEnd::ENTRY_ENDS;
  uint32_t pos = s.windowPos;
  for (; length > 0 && s.count > 0; --length) {  // whole bytes still in the bit buffer
    if (s.count <= s.pad) return BlockEnd::ENTRY_ENDS;
    PutByte(uint8_t(s.bits), pos);
    DropBits(8, s);
  }
  if (s.count == 0) s.bits = 0;  // what lay above the count is read again from the input
  while (length > 0) {
    if (D.inputPos == D.inputHeld) {
      int byte = ReadArchiveByte();  // refills the input buffer
      if (byte < 0) return BlockEnd::ENTRY_ENDS;
      PutByte(uint8_t(byte), pos);
      --length;
      continue;
    }
    uint32_t n = std::min({length, D.inputHeld - D.inputPos, WINDOW_SIZE - pos});
    memcpy(D.window + pos, D.input + D.inputPos, n);
    D.inputPos += n;
    Installer.CompressedLeft -= int32_t(n);
    length -= n;
    pos += n;
    if (pos == WINDOW_SIZE) {
      FlushWindow(WINDOW_SIZE);
      pos = 0;
    }
  }
  s.windowPos = pos;
  StoreBack(s);
  return BlockEnd::DONE;
}

// Block type 1: the fixed codes, built at the entry's first such block.
BlockEnd DecodeFixedBlock() {
  if (!D.fixedLiterals) {
    uint8_t lengths[288];
    memset(lengths, 8, 144);
    memset(lengths + 144, 9, 112);
    memset(lengths + 256, 7, 24);
    memset(lengths + 280, 8, 8);
    D.fixedLiteralWidth = 7;
    if (BuildDecodeTable(lengths, 288, 257, kLengthBases, kLengthExtra, D.fixedLiterals,
                         D.fixedChain, D.fixedLiteralWidth) != 0)
      return BlockEnd::ENTRY_ENDS;
    memset(lengths, 5, 30);
    D.fixedDistanceWidth = 5;
    if (BuildDecodeTable(lengths, 30, 0, kDistanceBases, kDistanceExtra, D.fixedDistances,
                         D.fixedChain, D.fixedDistanceWidth) > 1)
      return BlockEnd::ENTRY_ENDS;
  }
  return SymbolsEnd(DecodeSymbols(D.fixedLiterals, D.fixedDistances, D.fixedLiteralWidth,
                                  D.fixedDistanceWidth));
}

// Reads HLIT + HDIST code lengths through the code-length table into
// `lengths`; false when a repeat runs past them or a code is invalid.
bool ReadCodeLengths(const DecodeSlot* table, int width, int total, uint8_t* lengths,
                     BitState& s) {
  uint8_t previous = 0;
  for (int i = 0; i < total;) {
    FillBits(16, s);
    const DecodeSlot* slot = Lookup(table, uint32_t(width), s);
    if (!slot || slot->operation != OP_LITERAL) return false;
    DropBits(slot->bits, s);
    int symbol = slot->value;
    if (symbol < 16) {
      lengths[i++] = previous = uint8_t(symbol);
      continue;
    }
    int repeat = symbol == 16 ? 3 + int(TakeBits(2, s)) : symbol == 17 ? 3 + int(TakeBits(3, s))
                                                                       : 11 + int(TakeBits(7, s));
    if (symbol != 16) previous = 0;
    if (i + repeat > total) return false;
    while (repeat--) lengths[i++] = previous;
  }
  return true;
}

// Block type 2: the code lengths, then the codes they describe.
BlockEnd DecodeDynamicBlock() {
  BitState s = D.stored;
  int literalCount = 257 + int(TakeBits(5, s));
  int distanceCount = 1 + int(TakeBits(5, s));
  int codeLengthCount = 4 + int(TakeBits(4, s));
  uint8_t codeLengths[19] = {};
  for (int i = 0; i < codeLengthCount; ++i) codeLengths[kCodeLengthOrder[i]] = uint8_t(TakeBits(3, s));
  if (RanOut(s)) return BlockEnd::ENTRY_ENDS;

  DecodeSlot* chain = nullptr;
  DecodeSlot* codeLengthTable = nullptr;
  int width = 7;
  int result = BuildDecodeTable(codeLengths, 19, 19, nullptr, nullptr, codeLengthTable, chain, width);
  if (result == 3) return BlockEnd::ENTRY_ENDS;
  if (result != 0 || !codeLengthTable) {
    ReleaseDecodeTables(chain);
    return BlockEnd::FAILED;
  }
  uint8_t lengths[288 + 32];
  bool read = ReadCodeLengths(codeLengthTable, width, literalCount + distanceCount, lengths, s);
  ReleaseDecodeTables(chain);
  if (RanOut(s)) return BlockEnd::ENTRY_ENDS;
  if (!read) return BlockEnd::FAILED;
  StoreBack(s);

  DecodeSlot* literals = nullptr;
  DecodeSlot* distances = nullptr;
  int literalWidth = 9, distanceWidth = 6;
  result = BuildDecodeTable(lengths, literalCount, 257, kLengthBases, kLengthExtra, literals, chain,
                            literalWidth);
  if (result == 0 && literals) {
    result = BuildDecodeTable(lengths + literalCount, distanceCount, 0, kDistanceBases, kDistanceExtra,
                              distances, chain, distanceWidth);
    if (result == 1) result = 0;  // an incomplete distance code is accepted
  } else if (result != 3) {
    result = 2;
  }
  BlockEnd end = result == 3   ? BlockEnd::ENTRY_ENDS
                 : result != 0 ? BlockEnd::FAILED
                               : SymbolsEnd(DecodeSymbols(literals, distances, literalWidth, distanceWidth));
  ReleaseDecodeTables(chain);
  return end;
}

// Reads BFINAL and BTYPE and runs the block's handler; `final` tells
// whether the block was marked final.
BlockEnd DecodeBlock(bool& final) {
  BitState s = D.stored;
  uint32_t header = TakeBits(3, s);
  if (RanOut(s)) return BlockEnd::ENTRY_ENDS;
  StoreBack(s);
  final = header & 1;
  switch (header >> 1) {
    case 0: return CopyStoredBlock();
    case 1: return DecodeFixedBlock();
    case 2: return DecodeDynamicBlock();
    default: return BlockEnd::DONE;  // reserved: nothing to decode
  }
}

}  // namespace

void InflateEntry() {
  D = Decoder();
  // Without its buffers the entry writes nothing, and so fails its CRC
  // unless it is empty: the pass keeps it pending, as for any failure.
  std::unique_ptr<uint8_t[]> input(new (std::nothrow) uint8_t[INPUT_SIZE]);
  std::unique_ptr<uint8_t[]> window(new (std::nothrow) uint8_t[WINDOW_SIZE]());  // distances before the
  if (!input || !window) return;                                                 // first byte copy zeros
  D.input = input.get();
  D.window = window.get();
  bool final = false;
  BlockEnd end;
  do end = DecodeBlock(final);
  while (end != BlockEnd::ENTRY_ENDS && !(final && end == BlockEnd::DONE));
  if (end != BlockEnd::ENTRY_ENDS && D.stored.windowPos > 0) FlushWindow(D.stored.windowPos);
  ReleaseDecodeTables(D.fixedChain);
  D = Decoder();
}
