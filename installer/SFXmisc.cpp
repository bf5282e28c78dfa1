// The archive passes over the appended ZIP archive (scan and install), the
// local header reader, the stored copy, the entry-list lookup, CRC-32, the
// path operations and message pumping.
#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <vector>

#include "SFXgbls.h"
#include "SFXinflt.h"

namespace {

constexpr int32_t CHUNK_SIZE = 32768;  // entry data moves in chunks of this size
constexpr const char* UNINSTALLER_NAME = "Morvane.exe";

// How handling one entry lets the pass go on.
enum class EntryStep {
  NEXT,        // on with the next entry
  LEAVE_LOOP,  // on with the closing step
  END_PASS,    // the pass ends at once, without its closing step
};

// What a pass carries from entry to entry.
struct PassContext {
  WindowHandle dialog = nullptr;
  bool scanOnly = false;
  bool accepted = false;              // an install pass met a pending entry
  std::vector<std::string> refused;   // names that would land outside the folder
  std::vector<std::string> deferred;  // entries whose sizes follow their data
};

void ErrorBox(const char* text) { plat_message_box(text, "Erreur", BOX_OK); }

void SetStatus(WindowHandle dialog, const std::string& text) {
  plat_set_item_text(dialog, ID_STATUS_LINE, text.c_str());
}

// Copies `text` into a fixed buffer, cut to fit with its NUL.
void CopyToBuffer(char* buffer, size_t size, const std::string& text) {
  size_t n = std::min(text.size(), size - 1);
  memcpy(buffer, text.data(), n);
  buffer[n] = 0;
}

std::string WithTrailingBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

// A name that is absolute, names a drive or a stream, or climbs with ".."
// would land outside its base folder. Windows drops trailing dots and spaces
// of a component, so "..." and ".. " climb as well.
bool NameEscapesFolder(const std::string& name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/') return true;
  if (name.find(':') != std::string::npos) return true;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("\\/", start);
    if (end == std::string::npos) end = name.size();
    std::string part = name.substr(start, end - start);
    size_t dots = std::count(part.begin(), part.end(), '.');
    bool only_dots_and_spaces = part.find_first_not_of(". ") == std::string::npos;
    if (only_dots_and_spaces && dots >= 2) return true;
    start = end + 1;
  }
  return false;
}

// One box for the names a pass could not take: those that would leave the
// target folder, and (in the scan) those whose sizes follow their data.
void ReportNames(const char* heading, const std::vector<std::string>& names) {
  if (names.empty()) return;
  std::string text = heading;
  for (const std::string& name : names) text += "\r" + name;
  ErrorBox(text.c_str());
}

// An entry whose CRC and sizes follow its data (general purpose bit 3)
// cannot be placed from its local header alone, nor can the next header.
bool SizesFollowData() { return ReadLe16(Installer.LocalHeader + LOC_FLAGS) & 8; }

// --- The scan pass ---------------------------------------------------------

// The marker entry names the application and its default folder. A bare
// "@" names nothing and is listed like any other entry.
bool IsMarkerEntry(const std::string& name) {
  return name.size() > 1 && name[0] == '@' && Installer.TargetFolder[3] == 0;
}

void TakeMarkerEntry(WindowHandle dialog, const std::string& name) {
  Installer.ApplicationName = name.substr(1, FOLDER_BUFFER_SIZE - 1);
  plat_set_title(dialog, ("Installation de " + Installer.ApplicationName).c_str());
  CopyToBuffer(Installer.TargetFolder, FOLDER_BUFFER_SIZE, "c:\\" + name.substr(1) + "\\");
  plat_set_item_text(dialog, ID_FOLDER_BOX, Installer.TargetFolder);
  char folder[FOLDER_BUFFER_SIZE];
  CopyToBuffer(folder, sizeof folder, Installer.TargetFolder);
  if (PathExists(folder)) {
    plat_message_box(
        "L'application a d\xE9j\xE0 \xE9t\xE9 install\xE9" "e sur cet\rordinateur. Vous devez la "
        "d\xE9sinstaller\ravant de lancer une nouvelle installation",
        "Attention", BOX_OK);
    plat_exit_process(0);
  }
}

EntryStep ScanEntry(PassContext& pass, const std::string& name) {
  if (IsMarkerEntry(name)) TakeMarkerEntry(pass.dialog, name);
  else plat_list_add(pass.dialog, ID_ENTRY_LIST, name.c_str());
  if (!SizesFollowData()) return EntryStep::NEXT;
  pass.deferred.push_back(name);
  return EntryStep::LEAVE_LOOP;
}

// --- The install pass ------------------------------------------------------

// The uninstaller goes to the Windows folder, every other entry to the
// target folder (an empty one gives the root of the current drive). False
// when the system gives no Windows folder that fits its buffer.
bool BaseFolder(const std::string& name, std::string& base) {
  if (name != UNINSTALLER_NAME) {
    base = WithTrailingBackslash(Installer.TargetFolder);
    return true;
  }
  Installer.WindowsFolder[0] = 0;
  if (plat_windows_folder(Installer.WindowsFolder, FOLDER_BUFFER_SIZE - 1) == 0) return false;
  base = WithTrailingBackslash(Installer.WindowsFolder);
  return true;
}

// What writing an entry's data came to.
enum class Written { INSTALLED, PENDING, UNKNOWN_METHOD };

// Announces the entry, then writes its data into OutputHandle and checks
// its CRC. Errors raised on the way (a lack of memory) leave it pending.
Written WriteEntryData(PassContext& pass, const std::string& fullPath, int32_t dataPosition) {
  try {
    SetStatus(pass.dialog, "Installer " + fullPath);
    plat_dispatch_one_message();
    Installer.RunningCrc = 0xFFFFFFFF;
    Installer.CompressedLeft = int32_t(ReadLe32(Installer.LocalHeader + LOC_COMPRESSED_SIZE));
    SeekArchive(dataPosition);
    switch (ReadLe16(Installer.LocalHeader + LOC_METHOD)) {
      case 0: CopyStoredEntry(); break;
      case 8: InflateEntry(); break;
      default: return Written::UNKNOWN_METHOD;
    }
    bool matches = (Installer.RunningCrc ^ 0xFFFFFFFF) == ReadLe32(Installer.LocalHeader + LOC_CRC);
    return matches ? Written::INSTALLED : Written::PENDING;
  } catch (const std::exception&) {
    return Written::PENDING;
  }
}

void CloseOutput(const std::string& fullPath) {
  if (!plat_close_file(Installer.OutputHandle))
    plat_message_box(fullPath.c_str(), "Erreur \xE0 la fermeture", BOX_OK);
  Installer.OutputHandle = nullptr;
}

EntryStep InstallEntry(PassContext& pass, const std::string& name, int32_t dataPosition) {
  if (!IsEntryPending(pass.dialog, name.c_str())) return EntryStep::NEXT;
  if (ReadLe16(Installer.LocalHeader + LOC_FLAGS) & 1) {  // encrypted
    pass.accepted = false;
    return EntryStep::LEAVE_LOOP;
  }
  pass.accepted = true;
  if (SizesFollowData()) return EntryStep::LEAVE_LOOP;  // stays pending; the scan named it
  if (NameEscapesFolder(name)) {
    pass.refused.push_back(name);
    return EntryStep::NEXT;
  }

  std::string fullPath;
  if (!BaseFolder(name, fullPath)) {  // never the drive's root instead: it stays pending
    ErrorBox("Dossier Windows introuvable");
    return EntryStep::NEXT;
  }
  fullPath += name;
  if (!PathExists(&fullPath[0])) {
    std::string folder = ParentDirectory(fullPath.c_str());
    ForceDirectories(folder.c_str());
    if (!PathExists(&folder[0])) {
      plat_message_box(folder.c_str(), "Erreur de dossier", BOX_OK);
      return EntryStep::LEAVE_LOOP;
    }
  }

  Installer.OutputHandle = plat_create_file(fullPath.c_str());
  if (!Installer.OutputHandle) {
    if (fullPath.back() == '\\') {  // a folder entry: its folder now exists
      plat_list_select(pass.dialog, ID_ENTRY_LIST, Installer.ListIndex, false);
      PumpMessages();
      return EntryStep::NEXT;
    }
    std::string text = fullPath + "\rLe fichier existe d\xE9j\xE0\r" + "Effacer le dossier correspondant";
    plat_message_box(text.c_str(), "Cr\xE9" "ation impossible", BOX_ICON_ERROR);
    return EntryStep::END_PASS;
  }

  Written written = WriteEntryData(pass, fullPath, dataPosition);
  if (written == Written::UNKNOWN_METHOD) {  // the empty file stays
    ErrorBox("Methode de compression non support\xE9" "e");
    CloseOutput(fullPath);
    return EntryStep::END_PASS;
  }
  if (written == Written::INSTALLED) plat_list_select(pass.dialog, ID_ENTRY_LIST, Installer.ListIndex, false);
  CloseOutput(fullPath);
  return EntryStep::NEXT;
}

void ClosingStep(const PassContext& pass) {
  if (pass.scanOnly) {
    if (plat_list_count(pass.dialog, ID_ENTRY_LIST) == 0) ErrorBox("Impossible de lire l'en-t\xEAte");
    return;
  }
  if (!pass.accepted) return;
  if (plat_list_selected_count(pass.dialog, ID_ENTRY_LIST) == 0) {
    plat_set_item_text(pass.dialog, ID_INSTALL_BUTTON, "-----");
    ProcessInstallLog(Installer.ShortcutPlace);
    Installer.InstallDone = true;
    SetStatus(pass.dialog, "Installation termin\xE9" "e avec succ\xE8s");
  } else {
    SetStatus(pass.dialog, "Les fichiers restants sont d\xE9" "fectueux");
  }
}

// Follows the local headers from ArchiveOffset until one is missing.
EntryStep WalkArchive(PassContext& pass) {
  std::vector<uint8_t> nameBuffer;
  while (ReadLocalHeader()) {
    int64_t headerPosition = Installer.SeekPosition;
    uint16_t nameLength = ReadLe16(Installer.LocalHeader + LOC_NAME_LENGTH);
    uint16_t extraLength = ReadLe16(Installer.LocalHeader + LOC_EXTRA_LENGTH);
    uint32_t compressedSize = ReadLe32(Installer.LocalHeader + LOC_COMPRESSED_SIZE);
    nameBuffer.resize(nameLength);
    uint32_t got = plat_read_file(Installer.ArchiveHandle, nameBuffer.data(), nameLength);
    std::string name = NameFromBytes(nameBuffer.data(), int(got));
    if (name.empty()) {
      ErrorBox("Nom de fichier absent");
      return EntryStep::END_PASS;
    }
    int64_t dataPosition = headerPosition + LOCAL_HEADER_SIZE + nameLength + extraLength;
    EntryStep step = pass.scanOnly ? ScanEntry(pass, name)
                                   : InstallEntry(pass, name, int32_t(dataPosition));
    if (step != EntryStep::NEXT) return step;
    int64_t next = dataPosition + compressedSize;
    if (next > INT32_MAX) return EntryStep::LEAVE_LOOP;  // past any position a seek can reach
    SeekArchive(int32_t(next));
  }
  return EntryStep::LEAVE_LOOP;
}

}  // namespace

// ---------------------------------------------------------------------------
// The passes

void ExtractionPass(WindowHandle dialog, bool scanOnly) {
  SeekArchive(Installer.ArchiveOffset);
  if (Installer.SeekPosition == -1) {
    ErrorBox("Archive introuvable");
    return;
  }
  // The folder with its final '\' must fit its buffer; a longer one is
  // refused rather than cut to another folder.
  if (!scanOnly && strlen(Installer.TargetFolder) > FOLDER_BUFFER_SIZE - 2 &&
      Installer.TargetFolder[FOLDER_BUFFER_SIZE - 2] != '\\') {
    ErrorBox("Nom de dossier trop long (254 caract\xE8res au maximum)");
    return;
  }
  Installer.ListIndex = -1;
  PassContext pass;
  pass.dialog = dialog;
  pass.scanOnly = scanOnly;
  if (scanOnly) plat_list_clear(dialog, ID_ENTRY_LIST);
  EntryStep end = WalkArchive(pass);
  ReportNames("Fichiers refus\xE9s, leur nom sort du dossier cible :", pass.refused);
  ReportNames("Tailles plac\xE9" "es apr\xE8s les donn\xE9" "es, non prises en charge :", pass.deferred);
  if (end != EntryStep::END_PASS) ClosingStep(pass);
}

bool ReadLocalHeader() {
  Installer.CompressedLeft = 0;
  uint32_t got = plat_read_file(Installer.ArchiveHandle, Installer.LocalHeader, LOCAL_HEADER_SIZE);
  if (got != LOCAL_HEADER_SIZE || ReadLe32(Installer.LocalHeader) != LOCAL_HEADER_SIGNATURE)
    return false;
  Installer.CompressedLeft = int32_t(ReadLe32(Installer.LocalHeader + LOC_COMPRESSED_SIZE));
  return true;
}

void SeekArchive(int32_t offset) {
  Installer.SeekPosition = plat_seek_file(Installer.ArchiveHandle, offset);
}

void CopyStoredEntry() {
  size_t size = size_t(std::min(std::max(Installer.CompressedLeft, 0), CHUNK_SIZE)) + 2;
  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size]);
  if (!buffer) return;  // nothing written: the entry fails its CRC and stays pending
  while (Installer.CompressedLeft > 0) {
    uint32_t want = uint32_t(std::min(Installer.CompressedLeft, CHUNK_SIZE));
    uint32_t got = plat_read_file(Installer.ArchiveHandle, buffer.get(), want);
    if (got == 0) {  // a truncated archive: the entry fails its CRC
      Installer.CompressedLeft = 0;
      break;
    }
    Installer.CompressedLeft -= int32_t(got);
    // The CRC runs over what reached the file, so a short write (a full
    // disk) shows as a mismatch instead of an installed entry.
    uint32_t put = plat_write_file(Installer.OutputHandle, buffer.get(), got);
    UpdateCrc(buffer.get(), int32_t(put), Installer.RunningCrc);
  }
}

bool IsEntryPending(WindowHandle dialog, const char* name) {
  Installer.ListIndex = plat_list_find_exact(dialog, ID_ENTRY_LIST, Installer.ListIndex, name);
  return Installer.ListIndex >= 0 && plat_list_is_selected(dialog, ID_ENTRY_LIST, Installer.ListIndex);
}

uint16_t ReadLe16(const uint8_t* bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }

uint32_t ReadLe32(const uint8_t* bytes) {
  return uint32_t(ReadLe16(bytes)) | uint32_t(ReadLe16(bytes + 2)) << 16;
}

// ---------------------------------------------------------------------------
// CRC-32 of ZIP (reflected polynomial 0xEDB88320). UpdateCrc takes sixteen
// bytes per step through fifteen more tables derived from CrcTable
// ("slicing by sixteen"); the result is the byte-at-a-time one.

namespace {
uint32_t SliceTables[16][256];  // [0] mirrors CrcTable; [k] advances k more bytes
}

void BuildCrcTable() {
  if (!Installer.CrcTable) Installer.CrcTable = new uint32_t[256];
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    Installer.CrcTable[n] = SliceTables[0][n] = c;
  }
  for (int k = 1; k < 16; ++k)
    for (int n = 0; n < 256; ++n) {
      uint32_t c = SliceTables[k - 1][n];
      SliceTables[k][n] = (c >> 8) ^ SliceTables[0][c & 0xFF];
    }
}

void UpdateCrc(const uint8_t* buffer, int32_t count, uint32_t& crc) {
  if (count <= 0) return;
  uint32_t c = crc;
  const uint32_t(*t)[256] = SliceTables;
  while (count >= 16) {
    uint32_t w0 = c ^ ReadLe32(buffer), w1 = ReadLe32(buffer + 4), w2 = ReadLe32(buffer + 8),
             w3 = ReadLe32(buffer + 12);
    c = t[15][w0 & 0xFF] ^ t[14][(w0 >> 8) & 0xFF] ^ t[13][(w0 >> 16) & 0xFF] ^ t[12][w0 >> 24] ^
        t[11][w1 & 0xFF] ^ t[10][(w1 >> 8) & 0xFF] ^ t[9][(w1 >> 16) & 0xFF] ^ t[8][w1 >> 24] ^
        t[7][w2 & 0xFF] ^ t[6][(w2 >> 8) & 0xFF] ^ t[5][(w2 >> 16) & 0xFF] ^ t[4][w2 >> 24] ^
        t[3][w3 & 0xFF] ^ t[2][(w3 >> 8) & 0xFF] ^ t[1][(w3 >> 16) & 0xFF] ^ t[0][w3 >> 24];
    buffer += 16;
    count -= 16;
  }
  while (count-- > 0) c = t[0][(c ^ *buffer++) & 0xFF] ^ (c >> 8);
  crc = c;
}

void PumpMessages() {
  while (plat_dispatch_one_message()) {
  }
}

// ---------------------------------------------------------------------------
// Path operations on 8-bit strings

std::string NameFromBytes(const uint8_t* bytes, int count) {
  if (count <= 0) return {};
  const void* nul = memchr(bytes, 0, size_t(count));
  size_t n = nul ? size_t(static_cast<const uint8_t*>(nul) - bytes) : size_t(count);
  return std::string(reinterpret_cast<const char*>(bytes), n);
}

void SlashesToBackslashes(char* path) {
  for (; *path; ++path)
    if (*path == '/') *path = '\\';
}

void AddTrailingBackslash(char* buffer, size_t size) {
  size_t n = strlen(buffer);
  if ((n == 0 || buffer[n - 1] != '\\') && n + 2 <= size) {
    buffer[n] = '\\';
    buffer[n + 1] = 0;
  }
}

bool PathExists(char* path) {
  size_t n = strlen(path);
  if (n > 0 && path[n - 1] == '\\') return plat_find_first((std::string(path) + "*.*").c_str(), nullptr, 0);
  SlashesToBackslashes(path);
  return plat_find_first(path, nullptr, 0);
}

// c:\a\b.txt gives c:\a, c:\a\dir\ gives c:\a\dir, c:\a gives c:\, and a
// name at the root of the current drive (\a) gives that root (\).
std::string ParentDirectory(const char* path) {
  std::string p = path;
  if (p.size() == 3 && p.find(':') != std::string::npos) return p;
  size_t i = p.find_last_of("\\/:");
  if (i == std::string::npos) return {};
  bool keep = p[i] == ':' || (i == 2 && p[1] == ':') || i == 0;
  return p.substr(0, keep ? i + 1 : i);
}

void ForceDirectories(const char* path) {
  std::string folder = path;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  if (folder.size() < 3) return;
  std::string probe = folder;
  if (PathExists(&probe[0])) return;
  std::string parent = ParentDirectory(folder.c_str());
  if (parent.size() < folder.size()) ForceDirectories(parent.c_str());
  plat_create_folder(folder.c_str());
}
