// The archive passes, CRC-32, the path operations and message pumping.
#include "SFXgbls.h"
#include "SFXinflt.h"

void ExtractionPass(WindowHandle, bool) {}
bool ReadLocalHeader() { return false; }
void SeekArchive(int32_t) {}
void CopyStoredEntry() {}
bool IsEntryPending(WindowHandle, const char*) { return false; }
uint16_t ReadLe16(const uint8_t* b) { return uint16_t(b[0] | b[1] << 8); }
uint32_t ReadLe32(const uint8_t* b) { return ReadLe16(b) | uint32_t(ReadLe16(b + 2)) << 16; }
void BuildCrcTable() {}
void UpdateCrc(const uint8_t*, int32_t, uint32_t&) {}
void PumpMessages() {}
std::string NameFromBytes(const uint8_t*, int) { return {}; }
void SlashesToBackslashes(char*) {}
void AddTrailingBackslash(char*, size_t) {}
bool PathExists(char*) { return false; }
std::string ParentDirectory(const char*) { return {}; }
void ForceDirectories(const char*) {}
