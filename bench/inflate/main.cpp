// Measures, side by side on the same data:
//  1. InflateEntry (with its CRC) against zlib's inflate followed by crc32,
//     both reading 32 KiB chunks from a file and writing 32 KiB pieces;
//  2. sfxrun extracting a setup of about 50 MB in a few thousand files
//     against `unzip -o -q` of the same archive.
// The data are this machine's own headers (text) and libraries (binary).
// Prints the figures and their ratios, best of five runs each: processor
// time, which other work on a shared machine disturbs least, and wall time.
#include <fcntl.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "SFXgbls.h"
#include "SFXinflt.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t CHUNK = 32768;
constexpr size_t TEXT_BYTES = 35u << 20, BINARY_BYTES = 15u << 20;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Copies regular files of `from` (sorted, up to `budget` bytes, none over
// 2 MB, none whose name differs from another's only in case, as Windows
// would merge them) into payload/`name`; appends their bytes to `all`.
size_t Gather(const fs::path& from, size_t budget, const fs::path& payload, const std::string& name,
              std::string& all) {
  std::vector<fs::path> files;
  for (auto it = fs::recursive_directory_iterator(from, fs::directory_options::skip_permission_denied);
       it != fs::recursive_directory_iterator(); ++it) {
    std::error_code e;
    if (it->is_regular_file(e) && !it->is_symlink(e) && it->file_size(e) < (2u << 20)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  size_t total = 0, count = 0;
  std::set<std::string> names;
  for (const fs::path& file : files) {
    if (total >= budget) break;
    std::string folded = file.string();
    for (char& c : folded) c = char(tolower((unsigned char)c));
    if (!names.insert(folded).second) continue;
    std::string bytes = ReadFile(file);
    fs::path target = payload / name / fs::relative(file, from);
    fs::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << bytes;
    all += bytes;
    total += bytes.size();
    ++count;
  }
  return count;
}

struct Timing {
  double cpu = 1e9, wall = 1e9;  // seconds, best of five
};

// Processor time of this thread and of waited-for children, in seconds.
double ProcessorSeconds() {
  timespec own;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &own);
  rusage children;
  getrusage(RUSAGE_CHILDREN, &children);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec * 1e-6; };
  return double(own.tv_sec) + own.tv_nsec * 1e-9 + seconds(children.ru_utime) + seconds(children.ru_stime);
}

Timing Measure(const std::function<void()>& run) {
  Timing best;
  for (int k = 0; k < 5; ++k) {
    double cpu = ProcessorSeconds();
    auto start = std::chrono::steady_clock::now();
    run();
    best.wall = std::min(best.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    best.cpu = std::min(best.cpu, ProcessorSeconds() - cpu);
  }
  return best;
}

std::string RawDeflate(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, uLong(data.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = uInt(data.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = uInt(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// zlib: 32 KiB chunks in, 32 KiB pieces out, crc32 over each piece.
uint32_t ZlibInflateFile(const std::string& path) {
  int in = open(path.c_str(), O_RDONLY), out = open("/dev/null", O_WRONLY);
  z_stream z{};
  inflateInit2(&z, -15);
  std::vector<unsigned char> input(CHUNK), piece(CHUNK);
  uLong crc = crc32(0, nullptr, 0);
  int status = Z_OK;
  while (status == Z_OK) {
    if (z.avail_in == 0) {
      ssize_t got = read(in, input.data(), CHUNK);
      if (got <= 0) break;
      z.next_in = input.data();
      z.avail_in = uInt(got);
    }
    z.next_out = piece.data();
    z.avail_out = CHUNK;
    status = inflate(&z, Z_NO_FLUSH);
    size_t produced = CHUNK - z.avail_out;
    if (write(out, piece.data(), produced) < 0) break;
    crc = crc32(crc, piece.data(), uInt(produced));
  }
  inflateEnd(&z);
  close(in);
  close(out);
  return uint32_t(crc);
}

// InflateEntry over the same file, output to the null device.
uint32_t InflateEntryFile(const std::string& path, int32_t size) {
  Installer.ArchiveHandle = native_open_host_file(path);
  Installer.CompressedLeft = size;
  Installer.OutputHandle = plat_create_file("c:\\null");  // the drive is /dev
  Installer.RunningCrc = 0xFFFFFFFF;
  InflateEntry();
  plat_close_file(Installer.OutputHandle);
  plat_close_file(Installer.ArchiveHandle);
  return Installer.RunningCrc ^ 0xFFFFFFFF;
}

int Run(const std::string& command) { return std::system(command.c_str()); }

}  // namespace

int main() {
  fs::path work = fs::temp_directory_path() / ("bench-inflate-" + std::to_string(getpid()));
  fs::path payload = work / "payload";
  std::string all;
  size_t files = Gather("/usr/include", TEXT_BYTES, payload, "include", all);
  files += Gather("/usr/lib/x86_64-linux-gnu", BINARY_BYTES, payload, "lib", all);
  printf("data: %zu files, %.1f MB\n", files, all.size() / 1e6);

  // 1. The decoder alone.
  std::string stream = RawDeflate(all);
  std::string streamPath = (work / "stream.bin").string();
  std::ofstream(streamPath, std::ios::binary) << stream;
  native_set_root("/dev");
  BuildCrcTable();
  uint32_t expected = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(all.data()), uInt(all.size())));
  uint32_t zlibCrc = 0, ourCrc = 0;
  Timing zlibTime = Measure([&] { zlibCrc = ZlibInflateFile(streamPath); });
  Timing ourTime = Measure([&] { ourCrc = InflateEntryFile(streamPath, int32_t(stream.size())); });
  double mb = all.size() / 1e6;
  printf("inflate + CRC-32, %.1f MB out of %.1f MB (processor time; wall time):\n", mb, stream.size() / 1e6);
  printf("  zlib inflate+crc32  %7.1f MB/s; %7.1f MB/s%s\n", mb / zlibTime.cpu, mb / zlibTime.wall,
         zlibCrc == expected ? "" : "  (CRC WRONG)");
  printf("  InflateEntry        %7.1f MB/s; %7.1f MB/s%s\n", mb / ourTime.cpu, mb / ourTime.wall,
         ourCrc == expected ? "" : "  (CRC WRONG)");
  printf("  ratio InflateEntry/zlib: %.2f; %.2f\n", zlibTime.cpu / ourTime.cpu, zlibTime.wall / ourTime.wall);

  // 2. Whole extractions of the same files, written by Info-ZIP zip -6.
  std::string zip = (work / "archive.zip").string(), setup = (work / "setup.exe").string();
  if (Run("cd '" + payload.string() + "' && zip -q -r -6 '" + zip + "' include lib") != 0) return 1;
  {
    std::ofstream out(setup, std::ios::binary);
    out << std::string(ARCHIVE_OFFSET, '\0') << ReadFile(zip);
  }
  std::string sfxDir = (work / "sfx").string(), unzipDir = (work / "unzip").string();
  int sfxStatus = 0;
  Timing sfxTime = Measure([&] {
    fs::remove_all(sfxDir);
    sfxStatus = Run(std::string("'") + SFXRUN_PATH + "' '" + setup + "' '" + sfxDir + "' >/dev/null");
  });
  Timing unzipTime = Measure([&] {
    fs::remove_all(unzipDir);
    Run("unzip -o -q '" + zip + "' -d '" + unzipDir + "'");
  });
  bool same = Run("diff -r -q '" + unzipDir + "/include' '" + sfxDir + "/include' >/dev/null && diff -r -q '" +
                  unzipDir + "/lib' '" + sfxDir + "/lib' >/dev/null") == 0;
  printf("extraction of a %.1f MB archive (%zu files), processor time; wall time:\n", fs::file_size(zip) / 1e6,
         files);
  printf("  unzip -o -q  %6.2f s; %6.2f s\n", unzipTime.cpu, unzipTime.wall);
  printf("  sfxrun       %6.2f s; %6.2f s%s%s\n", sfxTime.cpu, sfxTime.wall, sfxStatus == 0 ? "" : "  (NOT COMPLETED)",
         same ? "" : "  (FILES DIFFER)");
  printf("  ratio sfxrun/unzip speed: %.2f; %.2f\n", unzipTime.cpu / sfxTime.cpu, unzipTime.wall / sfxTime.wall);
  fs::remove_all(work);
  return 0;
}
