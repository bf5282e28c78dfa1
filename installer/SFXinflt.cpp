// The inflate decoder.
#include "SFXinflt.h"

#include "SFXgbls.h"

void InflateEntry() {}
int BuildDecodeTable(const uint8_t*, int, int, const uint16_t*, const uint8_t*, DecodeSlot*&,
                     DecodeSlot*&, int&) {
  return 3;
}
void ReleaseDecodeTables(DecodeSlot*&) {}
