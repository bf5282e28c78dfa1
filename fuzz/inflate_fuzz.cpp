// inflate_fuzz.cpp - the inflate decoder on arbitrary compressed bytes, read
// from an archive file through the native platform layer as an install pass
// reads an entry. Whatever the bytes, the decoder must end the entry without
// a fault; when zlib decodes them as one complete raw deflate stream, the
// decoder's output and its CRC must be zlib's.
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>

#include "SFXgbls.h"
#include "SFXinflt.h"

namespace {

namespace fs = std::filesystem;

std::string root;

constexpr size_t MAX_OUTPUT = size_t(64) << 20;

// zlib's raw inflate of the whole input; false unless the stream ends
// cleanly inside it.
bool ZlibInflate(const uint8_t* data, size_t size, std::string& out) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) abort();
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = uInt(size);
  char chunk[65536];
  int status = Z_OK;
  while (status == Z_OK && out.size() < MAX_OUTPUT) {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    status = inflate(&z, Z_NO_FLUSH);
    out.append(chunk, sizeof chunk - z.avail_out);
    if (status == Z_BUF_ERROR) break;
  }
  inflateEnd(&z);
  return status == Z_STREAM_END;
}

std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void RemoveRoot() {
  std::error_code ignored;
  fs::remove_all(root, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/inflate-fuzz-XXXXXX";
  if (!mkdtemp(pattern)) abort();
  root = pattern;
  atexit(RemoveRoot);
  native_set_root(root);
  ResetInstallerState();
  BuildCrcTable();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Files are removed rather than truncated: truncating a written file makes
  // the file system flush it, which would slow every run down many times.
  const std::string archive = root + "/entry.bin";
  std::error_code ignored;
  fs::remove(archive, ignored);
  fs::remove(native_host_path("c:\\out.bin"), ignored);
  std::ofstream(archive, std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));

  Installer.ArchiveHandle = native_open_host_file(archive);
  Installer.OutputHandle = plat_create_file("c:\\out.bin");
  if (!Installer.ArchiveHandle || !Installer.OutputHandle) abort();
  Installer.CompressedLeft = int32_t(size);
  Installer.RunningCrc = 0xFFFFFFFF;
  try {
    InflateEntry();
  } catch (const std::bad_alloc&) {
    // A lack of memory leaves the entry pending; nothing else may escape.
  }
  plat_close_file(Installer.ArchiveHandle);
  plat_close_file(Installer.OutputHandle);
  Installer.ArchiveHandle = Installer.OutputHandle = nullptr;

  std::string expected;
  if (ZlibInflate(data, size, expected) && expected.size() < MAX_OUTPUT) {
    std::string written = ReadHostFile(native_host_path("c:\\out.bin"));
    uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(expected.data()), uInt(expected.size())));
    if (written != expected || (Installer.RunningCrc ^ 0xFFFFFFFF) != crc) abort();
  }
  return 0;
}
