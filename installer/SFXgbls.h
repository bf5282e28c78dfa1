// The installer's shared state (InstallerState) and the routines every
// installer unit uses: the archive passes, CRC-32, the path operations and
// message pumping (defined in SFXmisc.cpp), and the dialog's item ids.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

// Start of the appended archive in the installer's own file: the length of
// the executable image, fixed when the installer is built.
constexpr int32_t ARCHIVE_OFFSET = 75264;
constexpr int LOCAL_HEADER_SIZE = 30;
constexpr int FOLDER_BUFFER_SIZE = 256;  // TargetFolder, WindowsFolder

// Dialog items that the passes read or write.
constexpr int ID_INSTALL_BUTTON = 1;
constexpr int ID_QUIT_BUTTON = 2;
constexpr int ID_FOLDER_BOX = 101;
constexpr int ID_ENTRY_LIST = 301;
constexpr int ID_PLACE_DESKTOP = 501;
constexpr int ID_PLACE_START_MENU = 502;
constexpr int ID_PLACE_PROGRAMS = 503;
constexpr int ID_STATUS_LINE = 601;

// One record for the whole run, shared by every installer unit; a pass owns
// it while it runs, nothing in it is re-entrant.
struct InstallerState {
  FileHandle ArchiveHandle = nullptr;  // the installer's own file, read only
  int32_t ArchiveOffset = ARCHIVE_OFFSET;
  int32_t SeekPosition = 0;  // archive position after the last seek, -1 failed
  uint8_t LocalHeader[LOCAL_HEADER_SIZE] = {};  // the current entry's header
  int32_t CompressedLeft = 0;                   // entry data bytes not yet read
  FileHandle OutputHandle = nullptr;            // the file being written
  uint32_t* CrcTable = nullptr;  // 256 entries, built once (BuildCrcTable)
  uint32_t RunningCrc = 0;       // CRC register over the current entry's output
  int32_t ListIndex = -1;        // entry-list item of the last lookup, -1 none
  char TargetFolder[FOLDER_BUFFER_SIZE] = {};   // NUL-terminated
  char WindowsFolder[FOLDER_BUFFER_SIZE] = {};  // NUL-terminated
  std::string ApplicationName;  // from the marker entry
  uint8_t ShortcutPlace = 0;    // 0 desktop, 1 start menu, 2 programs menu
  bool InstallDone = false;     // an install pass left nothing pending
  std::string ShortcutFolder;   // receives the shortcuts
  std::string InstallFolder;    // TargetFolder with a final '\'
};
extern InstallerState Installer;

// Resets every field to its value at program start (tests, sfxrun).
void ResetInstallerState();

// --- The passes (SFXmisc.cpp) ---
// One pass over the archive: the scan pass (scanOnly) or an install pass.
void ExtractionPass(WindowHandle dialog, bool scanOnly);
// Reads 30 bytes at the archive position into LocalHeader; true when the
// signature matches. CompressedLeft becomes the compressed size, 0 without
// a header.
bool ReadLocalHeader();
// Moves the archive to `offset` from the file's start; SeekPosition becomes
// the new position, -1 on failure.
void SeekArchive(int32_t offset);
// Copies CompressedLeft bytes from the archive to OutputHandle, updating
// RunningCrc.
void CopyStoredEntry();
// Looks `name` up in the entry list from the item after ListIndex, wrapping;
// true when the item found is selected (pending).
bool IsEntryPending(WindowHandle dialog, const char* name);

// Local header fields, read by named offsets in little-endian order.
enum LocalHeaderOffset {
  LOC_SIGNATURE = 0,
  LOC_FLAGS = 6,
  LOC_METHOD = 8,
  LOC_CRC = 14,
  LOC_COMPRESSED_SIZE = 18,
  LOC_NAME_LENGTH = 26,
  LOC_EXTRA_LENGTH = 28,
};
constexpr uint32_t LOCAL_HEADER_SIGNATURE = 0x04034B50;
uint16_t ReadLe16(const uint8_t* bytes);
uint32_t ReadLe32(const uint8_t* bytes);

// --- CRC-32 of ZIP (SFXmisc.cpp) ---
// Fills CrcTable (allocating it when null).
void BuildCrcTable();
// Runs `count` bytes through `crc`; nothing for count <= 0.
void UpdateCrc(const uint8_t* buffer, int32_t count, uint32_t& crc);

// Dispatches every waiting message of the thread's queue.
void PumpMessages();

// --- Path operations on 8-bit strings (SFXmisc.cpp) ---
// The n bytes, cut before the first NUL.
std::string NameFromBytes(const uint8_t* bytes, int count);
void SlashesToBackslashes(char* path);
// Appends '\' when the last character is not one, within `size` bytes.
void AddTrailingBackslash(char* buffer, size_t size);
// Folder (ending in '\') or file exists; a path not ending in '\' has its
// slashes turned into backslashes in place.
bool PathExists(char* path);
std::string ParentDirectory(const char* path);
// Creates the folder and every missing parent; failures are not reported.
void ForceDirectories(const char* path);

// --- Defined by the install-log unit (Raccoursi.cpp) ---
// Completes an installation: shortcuts, Install.log, the explorer.
void ProcessInstallLog(uint8_t place);
