// mksetup: builds a setup program. It writes the installer executable padded
// with zeros to the archive offset, then a ZIP archive: the marker entry
// "@NAME" first, then the payload's folders and files (deflated, or stored
// when that is not larger), sizes and CRC-32 in every local header, and a
// central directory so that ordinary zip tools read the setup as well.
//
//   mksetup INSTALLER NAME PAYLOAD OUTPUT
//
// Every check runs before OUTPUT is touched; the setup is written under a
// temporary name and renamed, so a refusal or a failure leaves nothing.
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <sys/stat.h>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

// The installer reads its archive at this offset of its own file.
constexpr uint32_t kArchiveOffset = 75264;
// "c:\" + NAME + "\" must fit the installer's 256-byte target folder.
constexpr size_t kMaxNameLength = 251;
// The installer reads names into a 258-byte buffer; stay clear of it.
constexpr size_t kMaxEntryNameLength = 255;

// ZIP record signatures and versions (little-endian on disk).
constexpr uint32_t kLocalHeaderSig = 0x04034B50;
constexpr uint32_t kCentralHeaderSig = 0x02014B50;
constexpr uint32_t kEndRecordSig = 0x06054B50;
constexpr uint16_t kVersionStored = 10;
constexpr uint16_t kVersionDeflated = 20;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint32_t kDosAttrFolder = 0x10;
constexpr uint32_t kDosAttrArchive = 0x20;

struct Failure {
  std::string text;
};

// One payload item before it is packed.
struct Item {
  std::string name;  // archive name, Windows-1252, '/' between folders
  fs::path source;   // empty for the marker entry
  bool folder;
};

// What the central directory repeats of each local header.
struct Packed {
  std::string name;
  uint16_t version, method, time, date;
  uint32_t crc, packedSize, size, offset, attributes;
};

void PutLE16(Bytes &out, uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}

void PutLE32(Bytes &out, uint32_t v) {
  PutLE16(out, v & 0xFFFF);
  PutLE16(out, v >> 16);
}

void PutText(Bytes &out, const std::string &s) { out.insert(out.end(), s.begin(), s.end()); }

Bytes ReadWholeFile(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Failure{"cannot read " + path.string()};
  Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw Failure{"cannot read " + path.string()};
  return data;
}

// UTF-8 (the host's names) to Windows-1252 (what the installer's ANSI calls take).
std::string ToWindows1252(const std::string &utf8) {
  iconv_t cd = iconv_open("CP1252", "UTF-8");
  if (cd == (iconv_t)-1) throw Failure{"no UTF-8 to Windows-1252 conversion on this system"};
  std::string out(utf8.size(), '\0');  // never longer than its UTF-8 source
  char *in = const_cast<char *>(utf8.data());
  char *dst = out.data();
  size_t inLeft = utf8.size(), outLeft = out.size();
  size_t done = iconv(cd, &in, &inLeft, &dst, &outLeft);
  iconv_close(cd);
  if (done == (size_t)-1) throw Failure{"the name \"" + utf8 + "\" has no Windows-1252 spelling"};
  out.resize(out.size() - outLeft);
  return out;
}

void CheckApplicationName(const std::string &name) {
  if (name.empty()) throw Failure{"the application name is empty"};
  if (name.size() > kMaxNameLength)
    throw Failure{"the application name is longer than " + std::to_string(kMaxNameLength) + " bytes"};
  for (unsigned char c : name)
    if (c < 0x20 || std::strchr("\\/:*?\"<>|", c))
      throw Failure{"the application name must be usable as a folder name (no \\ / : * ? \" < > | or control characters)"};
}

// Folders and files under dir, depth first, each folder's entry before its
// contents, siblings in byte order of their names: the same setup every time.
void CollectItems(const fs::path &dir, const std::string &prefix, std::vector<Item> &items) {
  std::vector<fs::directory_entry> children;
  for (const auto &child : fs::directory_iterator(dir)) children.push_back(child);
  std::sort(children.begin(), children.end(),
            [](const auto &a, const auto &b) { return a.path().filename() < b.path().filename(); });
  for (const auto &child : children) {
    std::string name = prefix + ToWindows1252(child.path().filename().string());
    if (child.is_directory()) {
      items.push_back({name + "/", child.path(), true});
      CollectItems(child.path(), name + "/", items);
    } else if (child.is_regular_file()) {
      items.push_back({name, child.path(), false});
    } else {
      throw Failure{child.path().string() + " is neither a file nor a folder"};
    }
  }
}

// DOS date and time of the file's last change (local time, from 1980 on).
void DosTimestamp(const fs::path &source, uint16_t &time, uint16_t &date) {
  std::time_t now = std::time(nullptr);
  std::time_t when = now;
  struct stat info;
  if (!source.empty() && ::stat(source.c_str(), &info) == 0) when = info.st_mtime;
  std::tm local{};
  localtime_r(&when, &local);
  if (local.tm_year < 80) {  // DOS dates begin on 1 January 1980
    local = std::tm{};
    local.tm_mday = 1;
    local.tm_year = 80;
  }
  time = (local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2);
  date = ((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday;
}

// Raw DEFLATE (no zlib header), the strongest level.
Bytes Deflate(const Bytes &data) {
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
    throw Failure{"deflate could not start"};
  Bytes out(deflateBound(&z, data.size()));
  z.next_in = const_cast<unsigned char *>(data.data());
  z.avail_in = data.size();
  z.next_out = out.data();
  z.avail_out = out.size();
  int status = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (status != Z_STREAM_END) throw Failure{"deflate failed"};
  return out;
}

// The fields a local header shares with its central header, from the
// version needed to the extra field's length.
void PutSharedFields(Bytes &archive, const Packed &p) {
  PutLE16(archive, p.version);
  PutLE16(archive, 0);  // general purpose flags: no encryption, no data descriptor
  PutLE16(archive, p.method);
  PutLE16(archive, p.time);
  PutLE16(archive, p.date);
  PutLE32(archive, p.crc);
  PutLE32(archive, p.packedSize);
  PutLE32(archive, p.size);
  PutLE16(archive, p.name.size());
  PutLE16(archive, 0);  // extra field length
}

void AppendLocalHeader(Bytes &archive, const Packed &p) {
  PutLE32(archive, kLocalHeaderSig);
  PutSharedFields(archive, p);
  PutText(archive, p.name);
}

void AppendCentralHeader(Bytes &archive, const Packed &p) {
  PutLE32(archive, kCentralHeaderSig);
  PutLE16(archive, kVersionDeflated);  // made by: MS-DOS attributes, version 2.0
  PutSharedFields(archive, p);
  PutLE16(archive, 0);  // comment length
  PutLE16(archive, 0);  // disk number
  PutLE16(archive, 0);  // internal attributes
  PutLE32(archive, p.attributes);
  PutLE32(archive, p.offset);
  PutText(archive, p.name);
}

void AppendEndRecord(Bytes &archive, size_t count, uint32_t directoryOffset, uint32_t directorySize) {
  PutLE32(archive, kEndRecordSig);
  PutLE16(archive, 0);  // this disk
  PutLE16(archive, 0);  // disk of the central directory
  PutLE16(archive, count);
  PutLE16(archive, count);
  PutLE32(archive, directorySize);
  PutLE32(archive, directoryOffset);
  PutLE16(archive, 0);  // comment length
}

// Offsets in the archive count from the start of the setup file, as for any
// archive with a program before it.
uint32_t FileOffset(const Bytes &archive) {
  uint64_t offset = uint64_t(kArchiveOffset) + archive.size();
  if (offset > UINT32_MAX) throw Failure{"the setup would exceed 4 GiB"};
  return uint32_t(offset);
}

Packed PackItem(Bytes &archive, const Item &item) {
  if (item.name.size() > kMaxEntryNameLength)
    throw Failure{"the archive name \"" + item.name + "\" is longer than " +
                  std::to_string(kMaxEntryNameLength) + " bytes"};
  Packed p{item.name, kVersionStored, kMethodStored, 0, 0, 0, 0, 0, FileOffset(archive),
           item.folder ? kDosAttrFolder : kDosAttrArchive};
  DosTimestamp(item.source, p.time, p.date);
  Bytes data;
  if (!item.folder && !item.source.empty()) data = ReadWholeFile(item.source);
  if (data.size() > UINT32_MAX) throw Failure{item.source.string() + " is larger than 4 GiB"};
  p.size = data.size();
  p.crc = crc32(0, data.data(), data.size());
  if (!data.empty()) {
    Bytes packed = Deflate(data);
    if (packed.size() < data.size()) {
      data.swap(packed);
      p.method = kMethodDeflated;
      p.version = kVersionDeflated;
    }
  }
  p.packedSize = data.size();
  AppendLocalHeader(archive, p);
  archive.insert(archive.end(), data.begin(), data.end());
  return p;
}

Bytes BuildArchive(const std::string &marker, const std::vector<Item> &items) {
  Bytes archive;
  std::vector<Packed> packed;
  packed.push_back(PackItem(archive, {marker, {}, false}));
  for (const Item &item : items) packed.push_back(PackItem(archive, item));
  if (packed.size() > 0xFFFF) throw Failure{"more than 65535 entries"};
  uint32_t directoryOffset = FileOffset(archive);
  size_t directoryStart = archive.size();
  for (const Packed &p : packed) AppendCentralHeader(archive, p);
  AppendEndRecord(archive, packed.size(), directoryOffset, archive.size() - directoryStart);
  FileOffset(archive);
  return archive;
}

void WriteSetup(const fs::path &output, const Bytes &installer, const Bytes &archive) {
  fs::path temporary = output;
  temporary += ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    Bytes padding(kArchiveOffset - installer.size(), 0);
    out.write(reinterpret_cast<const char *>(installer.data()), installer.size());
    out.write(reinterpret_cast<const char *>(padding.data()), padding.size());
    out.write(reinterpret_cast<const char *>(archive.data()), archive.size());
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      throw Failure{"cannot write " + output.string()};
    }
  }
  std::error_code error;
  fs::rename(temporary, output, error);
  if (error) {
    fs::remove(temporary, error);
    throw Failure{"cannot write " + output.string()};
  }
}

void MakeSetup(const fs::path &installerPath, const std::string &name, const fs::path &payload,
               const fs::path &output) {
  Bytes installer = ReadWholeFile(installerPath);
  if (installer.size() > kArchiveOffset)
    throw Failure{installerPath.string() + " is " + std::to_string(installer.size()) +
                  " bytes long, more than the " + std::to_string(kArchiveOffset) +
                  " bytes that precede the archive"};
  std::string ansiName = ToWindows1252(name);
  CheckApplicationName(ansiName);
  if (!fs::is_directory(payload)) throw Failure{payload.string() + " is not a folder"};
  std::vector<Item> items;
  CollectItems(payload, "", items);
  WriteSetup(output, installer, BuildArchive("@" + ansiName, items));
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: mksetup INSTALLER NAME PAYLOAD OUTPUT\n");
    return 2;
  }
  try {
    MakeSetup(argv[1], argv[2], argv[3], argv[4]);
  } catch (const Failure &f) {
    std::fprintf(stderr, "mksetup: %s; nothing written\n", f.text.c_str());
    return 1;
  } catch (const fs::filesystem_error &e) {
    std::fprintf(stderr, "mksetup: %s; nothing written\n", e.what());
    return 1;
  }
  return 0;
}
