// Fixtures for the archive and inflate tests: a temporary drive c:, test
// data, raw deflate and inflate through zlib (the reference), a ZIP writer
// over zlib, setups (archive at 75264), a bit writer for hand-built deflate
// streams, and InflateEntry run on one stream.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "SFXgbls.h"
#include "SFXinflt.h"

namespace fixture {

namespace fs = std::filesystem;

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh drive c: in a temporary folder, with a fresh InstallerState.
class TempDrive {
 public:
  TempDrive() {
    char pattern[] = "/tmp/sfx-test-XXXXXX";
    root_ = mkdtemp(pattern);
    native_set_root(root_);
    native_set_listener(nullptr);
    ResetInstallerState();
    BuildCrcTable();
  }
  ~TempDrive() {
    if (Installer.ArchiveHandle) plat_close_file(Installer.ArchiveHandle);
    ResetInstallerState();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  TempDrive(const TempDrive&) = delete;
  TempDrive& operator=(const TempDrive&) = delete;
  const std::string& root() const { return root_; }
  std::string Host(const std::string& windowsPath) const { return native_host_path(windowsPath.c_str()); }

 private:
  std::string root_;
};

// --- Data ---

inline std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(size, '\0');
  for (char& c : s) c = char(rng());
  return s;
}

// Text, binary records, runs and random stretches mixed, as a kit's files
// are: compresses to about a third, with long and short matches.
inline std::string MixedData(size_t size, unsigned seed) {
  static const char* words[] = {"movlw ", "movwf ", "PORTB", "bsf ", "STATUS", ",RP0\r\n", "; compteur ",
                                "goto boucle\r\n", "0x3F", "decfsz ", "call ", "retlw "};
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < size) {
    switch (rng() % 4) {
      case 0:
        for (int k = 0; k < 40; ++k) s += words[rng() % 12];
        break;
      case 1:
        for (int k = 0; k < 64; ++k) s += char(rng() % 8 == 0 ? rng() : k);
        break;
      case 2:
        s.append(rng() % 300, char(rng()));
        break;
      default:
        s += RandomBytes(rng() % 200, rng());
    }
  }
  s.resize(size);
  return s;
}

inline uint32_t Crc32(const std::string& data) {
  return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
}

// --- zlib as the reference ---

inline std::string Deflate(const std::string& data, int level, int strategy = Z_DEFAULT_STRATEGY) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 9, strategy), Z_OK);
  std::string out(deflateBound(&z, uLong(data.size())) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = uInt(data.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = uInt(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Raw inflate; *complete tells whether zlib reached the final block's end.
inline std::string ZlibInflate(const std::string& stream, bool* complete) {
  z_stream z{};
  inflateInit2(&z, -15);
  std::string out;
  char buffer[65536];
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
  z.avail_in = uInt(stream.size());
  int status;
  do {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof buffer;
    status = inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - z.avail_out);
  } while (status == Z_OK && (z.avail_in > 0 || z.avail_out == 0));
  *complete = status == Z_STREAM_END;
  inflateEnd(&z);
  return out;
}

// --- InflateEntry on one stream ---

struct Inflated {
  std::string output;
  uint32_t crc;          // the complemented running CRC, as the pass compares it
  bool readPastEntry;    // the archive position went beyond the entry's data
};

// The stream is followed in the archive file by bytes that are not the
// entry's: the decoder must never take them.
inline Inflated RunInflate(const TempDrive& drive, const std::string& stream) {
  const std::string trailer = "NOT-THE-ENTRY'S";
  WriteFile(drive.root() + "/archive.bin", "head" + stream + trailer);
  Installer.ArchiveHandle = native_open_host_file(drive.root() + "/archive.bin");
  SeekArchive(4);
  Installer.CompressedLeft = int32_t(stream.size());
  Installer.OutputHandle = plat_create_file("c:\\out.bin");
  Installer.RunningCrc = 0xFFFFFFFF;
  InflateEntry();
  plat_close_file(Installer.OutputHandle);
  Installer.OutputHandle = nullptr;
  char rest[64];
  uint32_t left = plat_read_file(Installer.ArchiveHandle, rest, sizeof rest);
  plat_close_file(Installer.ArchiveHandle);
  Installer.ArchiveHandle = nullptr;
  return {ReadFile(drive.root() + "/out.bin"), Installer.RunningCrc ^ 0xFFFFFFFF, left < trailer.size()};
}

// --- Hand-built deflate streams ---

class BitWriter {
 public:
  // `count` bits of `value`, least significant first (header fields, extra bits).
  BitWriter& Bits(uint32_t value, int count) {
    for (int k = 0; k < count; ++k) Push((value >> k) & 1);
    return *this;
  }
  // A Huffman code of `length` bits, most significant bit first.
  BitWriter& Code(uint32_t code, int length) {
    for (int k = length - 1; k >= 0; --k) Push((code >> k) & 1);
    return *this;
  }
  // Fixed-code literal/length symbol.
  BitWriter& Fixed(int symbol) {
    if (symbol < 144) return Code(0x30 + symbol, 8);
    if (symbol < 256) return Code(0x190 + symbol - 144, 9);
    if (symbol < 280) return Code(symbol - 256, 7);
    return Code(0xC0 + symbol - 280, 8);
  }
  BitWriter& AlignToByte() {
    while (bit_ != 0) Push(0);
    return *this;
  }
  BitWriter& Byte(uint8_t b) { return Bits(b, 8); }
  std::string bytes() const { return out_; }

 private:
  void Push(int b) {
    if (bit_ == 0) out_ += '\0';
    if (b) out_.back() = char(out_.back() | (1 << bit_));
    bit_ = (bit_ + 1) & 7;
  }
  std::string out_;
  int bit_ = 0;
};

// --- ZIP archives written over zlib ---

struct ZipEntry {
  std::string name;
  std::string data;
  uint16_t method = 8;  // 0 stored, 8 deflated, others as given
  uint16_t flags = 0;
  int level = 6;
};

inline void Put16(std::string& s, uint32_t v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// Local headers with sizes and CRC, data, central directory and end record.
inline std::string MakeZip(const std::vector<ZipEntry>& entries) {
  std::string zip, central;
  for (const ZipEntry& e : entries) {
    std::string data = e.method == 8 ? Deflate(e.data, e.level) : e.data;
    uint32_t offset = uint32_t(zip.size());
    std::string fields;
    Put16(fields, 20);        // version needed
    Put16(fields, e.flags);
    Put16(fields, e.method);
    Put32(fields, 0);         // time and date
    Put32(fields, Crc32(e.data));
    Put32(fields, uint32_t(data.size()));
    Put32(fields, uint32_t(e.data.size()));
    Put16(fields, uint32_t(e.name.size()));
    Put16(fields, 0);         // extra field
    Put32(zip, 0x04034B50);
    zip += fields + e.name + data;
    Put32(central, 0x02014B50);
    Put16(central, 20);       // version made by
    central += fields;
    Put16(central, 0);        // comment
    Put16(central, 0);        // disk
    Put16(central, 0);        // internal attributes
    Put32(central, !e.name.empty() && e.name.back() == '/' ? 0x10 : 0);
    Put32(central, offset);
    central += e.name;
  }
  uint32_t centralOffset = uint32_t(zip.size());
  zip += central;
  Put32(zip, 0x06054B50);
  Put16(zip, 0);
  Put16(zip, 0);
  Put16(zip, uint32_t(entries.size()));
  Put16(zip, uint32_t(entries.size()));
  Put32(zip, uint32_t(central.size()));
  Put32(zip, centralOffset);
  Put16(zip, 0);
  return zip;
}

// A setup program: a stand-in for the executable, padded to the archive's
// offset, then the archive.
inline std::string MakeSetup(const std::string& zip) {
  std::string setup = "MZ stand-in";
  setup.resize(ARCHIVE_OFFSET, '\0');
  return setup + zip;
}

}  // namespace fixture
