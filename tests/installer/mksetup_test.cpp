// mksetup: the setup's layout (the executable padded to 75264 bytes, then the
// archive with the marker first), every entry checked against its source with
// zlib, the archive accepted by unzip and 7z, and the refusals that write
// nothing.
#include <zlib.h>

#include <set>

#include "program_harness.h"

using namespace harness;

namespace {

constexpr size_t ARCHIVE_AT = 75264;

uint32_t Le16(const std::string &b, size_t at) { return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8; }
uint32_t Le32(const std::string &b, size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }

struct Entry {
  std::string name;
  uint32_t flags, method, crc, size;
  std::string data;  // as stored
};

// The local headers from the archive's start, as the installer walks them.
std::vector<Entry> LocalEntries(const std::string &setup) {
  std::vector<Entry> entries;
  size_t at = ARCHIVE_AT;
  while (at + 30 <= setup.size() && Le32(setup, at) == 0x04034B50) {
    Entry e{setup.substr(at + 30, Le16(setup, at + 26)), Le16(setup, at + 6), Le16(setup, at + 8),
            Le32(setup, at + 14), Le32(setup, at + 22), ""};
    size_t data = at + 30 + e.name.size() + Le16(setup, at + 28);
    e.data = setup.substr(data, Le32(setup, at + 18));
    entries.push_back(e);
    at = data + e.data.size();
  }
  return entries;
}

std::string Inflate(const std::string &packed, size_t size) {
  std::string out(size, '\0');
  z_stream z{};
  inflateInit2(&z, -MAX_WBITS);
  z.next_in = (Bytef *)packed.data();
  z.avail_in = uInt(packed.size());
  z.next_out = (Bytef *)out.data();
  z.avail_out = uInt(out.size());
  int status = inflate(&z, Z_FINISH);
  EXPECT_EQ(status, Z_STREAM_END);
  EXPECT_EQ(z.total_out, size);
  inflateEnd(&z);
  return out;
}

size_t DeflatedSize(const std::string &data) {
  uLongf size = compressBound(uLong(data.size()));
  std::string out(size, '\0');
  compress2((Bytef *)out.data(), &size, (const Bytef *)data.data(), uLong(data.size()), 9);
  return size - 6;  // without the zlib header and trailer
}

// Windows-1252 archive names back to the fixture's UTF-8 (the fixture uses
// only letters of the Latin-1 range).
std::string ToUtf8(const std::string &ansi) {
  std::string out;
  for (unsigned char c : ansi) {
    if (c < 0x80) {
      out += char(c);
    } else {
      out += char(0xC0 | c >> 6);
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Tool(const std::string &command) { return command + " >/dev/null 2>&1"; }

class Workdir {
 public:
  Workdir() {
    char pattern[] = "/tmp/mksetup-test-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~Workdir() { fs::remove_all(path_); }
  std::string operator/(const std::string &name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

TEST(Mksetup, WritesThePaddedExecutableThenTheArchive) {
  Workdir dir;
  const std::string stub = "MZ" + std::string(1000, '\x90');
  WriteHostFile(dir / "stub.exe", stub);
  ASSERT_EQ(RunMksetup(dir / "stub.exe", "Quintar11as", KitPayload(), dir / "setup.exe"), 0);
  std::string setup = ReadHostFile(dir / "setup.exe");

  ASSERT_GT(setup.size(), ARCHIVE_AT);
  EXPECT_EQ(setup.substr(0, stub.size()), stub);
  EXPECT_EQ(setup.substr(stub.size(), ARCHIVE_AT - stub.size()), std::string(ARCHIVE_AT - stub.size(), '\0'));

  std::vector<Entry> entries = LocalEntries(setup);
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries[0].name, "@Quintar11as");
  EXPECT_EQ(entries[0].size, 0u);

  // Every other entry is a file or folder of the payload, each once.
  std::set<std::string> expected, seen;
  for (const auto &item : fs::recursive_directory_iterator(KitPayload())) {
    std::string relative = fs::relative(item.path(), KitPayload()).string();
    expected.insert(item.is_directory() ? relative + "/" : relative);
  }
  int stored = 0, deflated = 0;
  for (size_t i = 1; i < entries.size(); ++i) {
    const Entry &e = entries[i];
    SCOPED_TRACE(e.name);
    std::string name = ToUtf8(e.name);
    seen.insert(name);
    EXPECT_EQ(e.flags, 0u);  // neither encrypted nor deferred to a data descriptor
    std::string source = name.back() == '/' ? "" : ReadHostFile(KitPayload() + "/" + name);
    ASSERT_TRUE(e.method == 0 || e.method == 8);
    std::string data = e.method == 8 ? Inflate(e.data, e.size) : e.data;
    EXPECT_EQ(data, source);
    EXPECT_EQ(e.size, source.size());
    EXPECT_EQ(e.crc, crc32(0, (const Bytef *)source.data(), uInt(source.size())));
    // Deflated only when that makes the entry smaller.
    if (e.method == 8) {
      EXPECT_LT(e.data.size(), source.size());
      ++deflated;
    } else if (!source.empty()) {
      EXPECT_GE(DeflatedSize(source), source.size());
      ++stored;
    }
  }
  EXPECT_EQ(seen, expected);
  EXPECT_GT(stored, 0);
  EXPECT_GT(deflated, 0);

  // Independent readers find a sound archive, central directory included.
  EXPECT_EQ(std::system(Tool("unzip -t " + Quoted(dir / "setup.exe")).c_str()), 0);
  EXPECT_EQ(std::system(Tool("7z t -tzip " + Quoted(dir / "setup.exe")).c_str()), 0);
  EXPECT_EQ(std::system(Tool("cd " + Quoted(dir / "") + " && mkdir out && cd out && unzip -q ../setup.exe"
                             " && cmp Install.log " + Quoted(KitPayload() + "/Install.log") +
                             " && cmp Exemples/Chenillard/Chenillard.asm " +
                             Quoted(KitPayload() + "/Exemples/Chenillard/Chenillard.asm")).c_str()),
            0);
}

TEST(Mksetup, AcceptsAnExecutableOfExactlyTheArchiveOffset) {
  Workdir dir;
  const std::string stub(ARCHIVE_AT, 'x');
  WriteHostFile(dir / "stub.exe", stub);
  ASSERT_EQ(RunMksetup(dir / "stub.exe", "Kit", KitPayload(), dir / "setup.exe"), 0);
  std::string setup = ReadHostFile(dir / "setup.exe");
  EXPECT_EQ(setup.substr(0, ARCHIVE_AT), stub);
  EXPECT_EQ(LocalEntries(setup).at(0).name, "@Kit");
}

TEST(Mksetup, RefusesBadInputAndWritesNothing) {
  Workdir dir;
  WriteHostFile(dir / "small.exe", "MZ");
  WriteHostFile(dir / "large.exe", std::string(ARCHIVE_AT + 1, 'x'));
  const struct {
    std::string installer, name, payload, message;
  } cases[] = {
      {dir / "large.exe", "Kit", KitPayload(), "75265 bytes long, more than the 75264"},
      {dir / "absent.exe", "Kit", KitPayload(), "cannot read"},
      {dir / "small.exe", "", KitPayload(), "application name is empty"},
      {dir / "small.exe", "Kit\\Bis", KitPayload(), "usable as a folder name"},
      {dir / "small.exe", "Kit\u4e00", KitPayload(), "no Windows-1252 spelling"},
      {dir / "small.exe", std::string(252, 'k'), KitPayload(), "longer than 251 bytes"},
      {dir / "small.exe", "Kit", KitPayload() + "/Install.log", "is not a folder"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.message);
    WriteHostFile(dir / "setup.exe", "left as it was");
    EXPECT_EQ(RunMksetup(c.installer, c.name, c.payload, dir / "setup.exe", dir / "errors"), 1);
    std::string errors = ReadHostFile(dir / "errors");
    EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
    EXPECT_NE(errors.find("nothing written"), std::string::npos) << errors;
    EXPECT_EQ(ReadHostFile(dir / "setup.exe"), "left as it was");
    EXPECT_FALSE(fs::exists(dir / "setup.exe.part"));
  }
}

}  // namespace
