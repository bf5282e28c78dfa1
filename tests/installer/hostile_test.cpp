// Archives and dialog input a damaged setup or a careless user can hand the
// installer: entry names past any fixed buffer, a target folder too long for
// the installer's own, entries whose sizes follow their data (general
// purpose bit 3), which the local header alone cannot place, and the archives
// the fuzzers found hanging.
#include "archive_fixture.h"
#include "program_harness.h"

using namespace harness;

namespace {

constexpr char SUCCESS[] = "Installation termin\xE9" "e avec succ\xE8" "s";
constexpr char LEFT_OVER[] = "Les fichiers restants sont d\xE9" "fectueux";

void WriteSetup(const Drive &drive, const std::vector<fixture::ZipEntry> &entries) {
  WriteHostFile(drive.root() + "/setup.exe", fixture::MakeSetup(fixture::MakeZip(entries)));
}

// An entry as a streaming writer stores it: bit 3 set, CRC and sizes zero in
// the local header, then the data and a descriptor with the real values.
std::string StreamedEntry(const std::string &name, const std::string &data) {
  std::string packed = fixture::Deflate(data, 6), entry;
  fixture::Put32(entry, 0x04034B50);
  fixture::Put16(entry, 20);
  fixture::Put16(entry, 8);  // flags: sizes after the data
  fixture::Put16(entry, 8);  // deflated
  fixture::Put32(entry, 0);  // time and date
  fixture::Put32(entry, 0);  // CRC
  fixture::Put32(entry, 0);  // compressed size
  fixture::Put32(entry, 0);  // size
  fixture::Put16(entry, uint32_t(name.size()));
  fixture::Put16(entry, 0);
  entry += name + packed;
  fixture::Put32(entry, 0x08074B50);
  fixture::Put32(entry, fixture::Crc32(data));
  fixture::Put32(entry, uint32_t(packed.size()));
  fixture::Put32(entry, uint32_t(data.size()));
  return entry;
}

std::vector<std::string> ListedEntries(WindowHandle dialog) {
  std::vector<std::string> names;
  char name[1024];
  for (int i = 0; i < plat_list_count(dialog, ID_ENTRY_LIST); ++i) {
    plat_list_item_text(dialog, ID_ENTRY_LIST, i, name, sizeof name);
    names.push_back(name);
  }
  return names;
}

// Names are read whole, however long: one of 300 bytes lands under its own
// name; one whose last part no folder can hold stays pending with a box.
TEST(HostileArchive, NamesPastTheNameBufferAreReadWhole) {
  Drive drive;
  const std::string longName = std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(98, 'c');
  const std::string tooLong = "d/" + std::string(300, 'e');
  WriteSetup(drive, {{"@Appli", "", 0}, {longName, "long\r\n"}, {tooLong, "never\r\n"}});
  WindowHandle dialog = OpenInstallerDialog();
  EXPECT_EQ(ListedEntries(dialog), (std::vector<std::string>{longName, tooLong}));
  Press(dialog, ID_INSTALL_BUTTON);

  std::string installed = "c:\\Appli\\" + longName;
  SlashesToBackslashes(&installed[0]);
  EXPECT_EQ(ReadHostFile(drive.Host(installed)), "long\r\n");
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{"Cr\xE9" "ation impossible: c:\\Appli\\d\\" +
                                                     std::string(300, 'e') +
                                                     "\rLe fichier existe d\xE9j\xE0\rEffacer le dossier correspondant"});
  EXPECT_EQ(plat_list_selected_count(dialog, ID_ENTRY_LIST), 1);
  EXPECT_FALSE(Installer.InstallDone);
  native_close_dialog(dialog);
}

// The folder box may hold more than the installer's 256-byte folder buffer:
// a folder that does not fit with its final '\' is refused before anything
// is written, instead of being cut to another folder.
TEST(HostileArchive, TargetFolderLongerThanItsBufferIsRefused) {
  Drive drive;
  WriteSetup(drive, {{"@Appli", "", 0}, {"a.txt", "a\r\n"}});
  WindowHandle dialog = OpenInstallerDialog();
  const std::string parts = "c:\\" + std::string(50, 'd') + "\\" + std::string(50, 'd') + "\\" +
                            std::string(50, 'd') + "\\" + std::string(50, 'd') + "\\";  // 207 characters
  const std::string tooLong = parts + std::string(48, 'e');                           // 255
  plat_set_item_text(dialog, ID_FOLDER_BOX, tooLong.c_str());
  Press(dialog, ID_INSTALL_BUTTON);
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{"Erreur: Nom de dossier trop long (254 caract\xE8res au maximum)"});
  EXPECT_FALSE(fs::exists(drive.Host(parts)));
  EXPECT_EQ(plat_list_selected_count(dialog, ID_ENTRY_LIST), 1);

  native_clear_events();
  const std::string fits = parts + std::string(47, 'e');  // 254
  plat_set_item_text(dialog, ID_FOLDER_BOX, fits.c_str());
  Press(dialog, ID_INSTALL_BUTTON);
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{});
  EXPECT_EQ(ReadHostFile(drive.Host(fits + "\\a.txt")), "a\r\n");
  EXPECT_EQ(ItemText(dialog, ID_STATUS_LINE), SUCCESS);
  native_close_dialog(dialog);
}

// An entry whose sizes follow its data cannot be placed from its local
// header: it is never written as an empty file and passed as installed. The
// scan names it, the entries after it stay out of reach, and the install
// pass writes what comes before it and reports the rest as defective.
TEST(HostileArchive, EntriesWithSizesAfterTheirDataAreNotTakenAsEmpty) {
  Drive drive;
  std::string zip = fixture::MakeZip({{"@Appli", "", 0}, {"a.txt", "before\r\n"}});
  zip.resize(zip.find(std::string("PK\x01\x02", 4)));  // local entries only
  zip += StreamedEntry("b.txt", "streamed " + std::string(200, 'b'));
  zip += fixture::MakeZip({{"c.txt", "after\r\n"}});
  WriteHostFile(drive.root() + "/setup.exe", fixture::MakeSetup(zip));

  WindowHandle dialog = OpenInstallerDialog();
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{"Erreur: Tailles plac\xE9" "es apr\xE8s les donn\xE9" "es, "
                                                     "non prises en charge :\rb.txt"});
  EXPECT_EQ(ListedEntries(dialog), (std::vector<std::string>{"a.txt", "b.txt"}));
  native_clear_events();
  Press(dialog, ID_INSTALL_BUTTON);

  EXPECT_EQ(ReadHostFile(drive.Host("c:\\Appli\\a.txt")), "before\r\n");
  EXPECT_FALSE(fs::exists(drive.Host("c:\\Appli\\b.txt")));
  EXPECT_FALSE(fs::exists(drive.Host("c:\\Appli\\c.txt")));
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{});
  EXPECT_EQ(ItemText(dialog, ID_STATUS_LINE), LEFT_OVER);
  EXPECT_EQ(plat_list_selected_count(dialog, ID_ENTRY_LIST), 1);
  EXPECT_FALSE(Installer.InstallDone);
  EXPECT_EQ(Links(), std::vector<std::string>{});
  native_close_dialog(dialog);
}

// Found by fuzzing: a name made of wildcard characters is looked up as a
// search pattern. The search must end quickly however many '*' it holds.
TEST(HostileArchive, NameOfWildcardsEndsItsSearch) {
  Drive drive;
  const std::string stars = std::string(100, '*') + "'" + std::string(100, '*');
  WriteSetup(drive, {{"@Appli", "", 0}, {"Install.log", "Appli\r\n"}, {stars, "x", 0}});
  WindowHandle dialog = OpenInstallerDialog();
  Press(dialog, ID_INSTALL_BUTTON);
  EXPECT_EQ(ReadHostFile(drive.Host("c:\\Appli\\Install.log")), "Appli\r\nc:\\Bureau\\Appli\r\n");
  EXPECT_NE(ItemText(dialog, ID_STATUS_LINE), "Installer c:\\Appli\\" + stars);
  native_close_dialog(dialog);
}

}  // namespace
