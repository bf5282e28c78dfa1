// The inflate decoder: decodes one deflated archive entry (RFC 1951) from the
// archive straight into OutputHandle, updating RunningCrc.
#pragma once

#include <cstdint>

// Decodes the entry at the archive position (CompressedLeft bytes). Damaged
// data, and a lack of memory for its buffers or tables, show only as a CRC
// mismatch: nothing is raised.
void InflateEntry();

// One element of a decode table (see SFXinflt.cpp for the operations).
struct DecodeSlot {
  uint8_t operation;  // 0-13 extra bits of a base, 15 end of block, 16 literal,
                      // 17-32 link to a sub-table of (operation - 16) bits,
                      // 99 invalid code
  uint8_t bits;       // code bits this slot consumes (links: its table's width)
  uint16_t value;     // literal byte, base length or base distance
  DecodeSlot* subTable;
};

// Builds the multi-level table of a canonical code; answers 0 complete,
// 1 incomplete (built), 2 over-subscribed (nothing built), 3 out of memory.
int BuildDecodeTable(const uint8_t* lengths, int count, int simpleCount, const uint16_t* bases,
                     const uint8_t* extraBits, DecodeSlot*& table, DecodeSlot*& chain,
                     int& width);
// Frees every table block of a chain.
void ReleaseDecodeTables(DecodeSlot*& chain);
