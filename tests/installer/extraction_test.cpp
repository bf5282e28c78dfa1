// The archive passes: archives from three independent producers extracted
// byte for byte, the scan and install passes with their French texts, the
// pending entries retried by the next pass, and the mended faults (names
// leaving the target folder, truncated archives, sizes that wrap).
#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <map>

#include "archive_fixture.h"

namespace {

namespace fs = std::filesystem;
using fixture::MakeSetup;
using fixture::MakeZip;
using fixture::ReadFile;
using fixture::WriteFile;
using fixture::ZipEntry;

constexpr char SUCCESS[] = "Installation termin\xE9" "e avec succ\xE8s";
constexpr char LEFT_OVER[] = "Les fichiers restants sont d\xE9" "fectueux";

intptr_t PLAT_CALLBACK QuietDialog(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

// A drive with c:\setup.exe opened as the installer's own file, and the
// dialog that the passes fill.
class Passes : public ::testing::Test {
 protected:
  fixture::TempDrive drive;
  WindowHandle dialog = nullptr;

  void SetUp() override {
    // Shortcuts made by a completed install go to c:\Bureau.
    native_set_user_string("Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer", "Shell Folders",
                           "Desktop", "c:\\Bureau");
    fs::create_directories(drive.root() + "/Bureau");
    native_clear_events();
    dialog = native_open_dialog(QuietDialog);
  }
  void TearDown() override { native_close_dialog(dialog); }

  void UseSetup(const std::string& setup) {
    WriteFile(drive.root() + "/setup.exe", setup);
    Installer.ArchiveHandle = plat_open_existing("c:\\setup.exe");
  }
  void UseArchive(const std::vector<ZipEntry>& entries) { UseSetup(MakeSetup(MakeZip(entries))); }

  // The scan pass, then every item selected, as the dialog's start does.
  void Scan() {
    ExtractionPass(dialog, true);
    plat_list_select(dialog, ID_ENTRY_LIST, -1, true);
  }
  void Install(const std::string& folder) {
    snprintf(Installer.TargetFolder, sizeof Installer.TargetFolder, "%s", folder.c_str());
    ExtractionPass(dialog, false);
  }

  std::vector<std::string> Listed() {
    std::vector<std::string> names;
    char name[1024];
    for (int i = 0; i < plat_list_count(dialog, ID_ENTRY_LIST); ++i) {
      plat_list_item_text(dialog, ID_ENTRY_LIST, i, name, sizeof name);
      names.push_back(name);
    }
    return names;
  }
  std::vector<std::string> Pending() {
    std::vector<std::string> names, all = Listed();
    for (int i = 0; i < int(all.size()); ++i)
      if (plat_list_is_selected(dialog, ID_ENTRY_LIST, i)) names.push_back(all[size_t(i)]);
    return names;
  }
  // "caption: text" of every message box, in order.
  static std::vector<std::string> Boxes() {
    std::vector<std::string> boxes;
    for (const NativeEvent& e : native_events())
      if (e.kind == EV_MESSAGE_BOX) boxes.push_back(e.caption + ": " + e.text);
    return boxes;
  }
  std::string Status() {
    char text[512];
    plat_get_item_text(dialog, ID_STATUS_LINE, text, sizeof text);
    return text;
  }
  std::string Host(const std::string& windowsPath) { return drive.Host(windowsPath); }
};

// --- Archives from independent producers ---------------------------------

// A payload with empty files and folders, nested paths, the window's size
// and one more byte, and a file over 10 MB of mixed text and binary, packed
// by Info-ZIP zip at levels 0, 1, 6 and 9, by 7z, and by the zlib writer.
TEST(Producers, EveryFileIsExtractedByteForByte) {
  char pattern[] = "/tmp/sfx-payload-XXXXXX";
  const std::string base = mkdtemp(pattern), payload = base + "/payload", zips = base + "/zips";
  fs::create_directories(zips);
  WriteFile(payload + "/empty.txt", "");
  WriteFile(payload + "/Lisez-moi.txt", "Kit PIC16F84\r\nInstallation\r\n");
  WriteFile(payload + "/a/b/c/d/nested.asm", fixture::MixedData(5000, 1));
  WriteFile(payload + "/window/exact.bin", fixture::MixedData(32768, 2));
  WriteFile(payload + "/window/one-more.bin", fixture::MixedData(32769, 3));
  WriteFile(payload + "/window/random.bin", fixture::RandomBytes(70000, 4));
  WriteFile(payload + "/big/mixed.bin", fixture::MixedData(10'500'000, 5));
  fs::create_directories(payload + "/folder/empty-folder");
  const std::string in = "cd '" + payload + "' && ";
  for (const char* level : {"0", "1", "6", "9"})
    ASSERT_EQ(std::system((in + "zip -q -r -" + level + " '" + zips + "/zip" + level + ".zip' .").c_str()), 0);
  ASSERT_EQ(std::system((in + "7z a -tzip -mx=9 '" + zips + "/7z.zip' . >/dev/null").c_str()), 0);
  std::vector<ZipEntry> entries;  // folders and files as they are met, deflated at level 9
  for (auto it = fs::recursive_directory_iterator(payload); it != fs::recursive_directory_iterator(); ++it) {
    std::string name = fs::relative(it->path(), payload).string();
    if (it->is_directory()) entries.push_back({name + "/", "", 0});
    else entries.push_back({name, ReadFile(it->path().string()), 8, 0, 9});
  }
  WriteFile(zips + "/zlib.zip", MakeZip(entries));

  for (const char* producer : {"zip0", "zip1", "zip6", "zip9", "7z", "zlib"}) {
    SCOPED_TRACE(producer);
    fixture::TempDrive drive;
    WriteFile(drive.root() + "/setup.exe", MakeSetup(ReadFile(zips + "/" + producer + ".zip")));
    Installer.ArchiveHandle = plat_open_existing("c:\\setup.exe");
    WindowHandle dialog = native_open_dialog(QuietDialog);
    ExtractionPass(dialog, true);
    plat_list_select(dialog, ID_ENTRY_LIST, -1, true);
    snprintf(Installer.TargetFolder, sizeof Installer.TargetFolder, "c:\\Kit");
    ExtractionPass(dialog, false);

    char status[256];
    plat_get_item_text(dialog, ID_STATUS_LINE, status, sizeof status);
    EXPECT_STREQ(status, SUCCESS);
    EXPECT_EQ(plat_list_selected_count(dialog, ID_ENTRY_LIST), 0);
    int files = 0;
    for (auto it = fs::recursive_directory_iterator(payload); it != fs::recursive_directory_iterator(); ++it) {
      std::string installed = drive.root() + "/Kit/" + fs::relative(it->path(), payload).string();
      SCOPED_TRACE(installed);
      if (it->is_directory()) {
        EXPECT_TRUE(fs::is_directory(installed));
        continue;
      }
      ++files;
      std::string expected = ReadFile(it->path().string()), got = ReadFile(installed);
      EXPECT_EQ(got.size(), expected.size());
      EXPECT_TRUE(got == expected) << "contents differ";
    }
    EXPECT_EQ(files, 7);
    native_close_dialog(dialog);
  }
  fs::remove_all(base);
}

// --- The scan pass ---------------------------------------------------------

TEST_F(Passes, ScanListsEntriesAndTakesTheMarkerWhereverItStands) {
  UseArchive({{"avant.txt", "1"}, {"@Quintar11as", std::string(39, '\n'), 0}, {"doc/", "", 0},
              {"@second", "2"}, {"Morvane.exe", "MZ"}});
  Scan();
  EXPECT_EQ(Listed(), (std::vector<std::string>{"avant.txt", "doc/", "@second", "Morvane.exe"}));
  EXPECT_EQ(native_title(dialog), "Installation de Quintar11as");
  EXPECT_STREQ(Installer.TargetFolder, "c:\\Quintar11as\\");
  EXPECT_EQ(Installer.ApplicationName, "Quintar11as");
  char box[256];
  plat_get_item_text(dialog, ID_FOLDER_BOX, box, sizeof box);
  EXPECT_STREQ(box, "c:\\Quintar11as\\");
  EXPECT_EQ(Boxes(), std::vector<std::string>{});
}

TEST_F(Passes, ScanEndsTheInstallerWhenTheDefaultFolderExists) {
  UseArchive({{"@Quintar11as", "", 0}, {"a.txt", "a"}});
  fs::create_directories(drive.root() + "/QUINTAR11AS");  // names compare without case
  try {
    ExtractionPass(dialog, true);
    ADD_FAILURE() << "the installer went on";
  } catch (const NativeExit& exit) {
    EXPECT_EQ(exit.code, 0);
  }
  EXPECT_EQ(Boxes(), std::vector<std::string>{
                         "Attention: L'application a d\xE9j\xE0 \xE9t\xE9 install\xE9" "e sur cet\rordinateur. "
                         "Vous devez la d\xE9sinstaller\ravant de lancer une nouvelle installation"});
}

TEST_F(Passes, MissingArchivesAreReported) {
  struct Case {
    const char* name;
    bool open;
    std::string setup;
    bool scanOnly;
    std::vector<std::string> boxes;
  } cases[] = {
      {"no archive after the program", true, "MZ only a program", true,
       {"Erreur: Impossible de lire l'en-t\xEAte"}},
      {"install pass without archive", true, "MZ only a program", false, {}},
      {"own file not open (scan)", false, "", true, {"Erreur: Archive introuvable"}},
      {"own file not open (install)", false, "", false, {"Erreur: Archive introuvable"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    native_clear_events();
    if (Installer.ArchiveHandle) plat_close_file(Installer.ArchiveHandle);
    Installer.ArchiveHandle = nullptr;
    if (c.open) UseSetup(c.setup);
    ExtractionPass(dialog, c.scanOnly);
    EXPECT_EQ(Boxes(), c.boxes);
    EXPECT_EQ(Listed(), std::vector<std::string>{});
    EXPECT_EQ(Status(), "");
  }
}

// --- The install pass ------------------------------------------------------

TEST_F(Passes, InstallWritesEveryKindOfEntryAndCompletes) {
  fs::create_directories(drive.root() + "/Kit/existing");
  WriteFile(drive.root() + "/Kit/replaced.txt", "old contents, longer than the new");
  WriteFile(drive.root() + "/windows/Morvane.exe", "old uninstaller");
  UseArchive({{"@Appli", "", 0},
              {"empty.txt", "", 0},
              {"existing/", "", 0},
              {"new/deep/", "", 0},
              {"replaced.txt", "new", 0},
              {"@second", "at sign kept", 8},
              {"Morvane.exe", "MZ uninstaller", 8},
              {"sub/dir/file.txt", "deflated\r\n", 8}});
  Scan();
  Install("c:\\Kit");

  EXPECT_EQ(Boxes(), std::vector<std::string>{});
  EXPECT_EQ(Status(), SUCCESS);
  EXPECT_TRUE(Installer.InstallDone);
  char caption[32];
  plat_get_item_text(dialog, ID_INSTALL_BUTTON, caption, sizeof caption);
  EXPECT_STREQ(caption, "-----");
  EXPECT_EQ(Pending(), std::vector<std::string>{});
  const std::map<std::string, std::string> files = {
      {"/Kit/empty.txt", ""},           {"/Kit/replaced.txt", "new"},
      {"/Kit/@second", "at sign kept"}, {"/Kit/sub/dir/file.txt", "deflated\r\n"},
      {"/windows/Morvane.exe", "MZ uninstaller"}};
  for (const auto& [path, contents] : files) EXPECT_EQ(ReadFile(drive.root() + path), contents) << path;
  EXPECT_TRUE(fs::is_directory(drive.root() + "/Kit/new/deep"));
  EXPECT_FALSE(fs::exists(drive.root() + "/Kit/Morvane.exe"));
  // Every written file was announced, with its full path.
  std::vector<std::string> announced;
  for (const NativeEvent& e : native_events())
    if (e.kind == EV_ITEM_TEXT && e.item == ID_STATUS_LINE && e.text.rfind("Installer ", 0) == 0)
      announced.push_back(e.text);
  EXPECT_EQ(announced, (std::vector<std::string>{
                           "Installer c:\\Kit\\empty.txt", "Installer c:\\Kit\\replaced.txt",
                           "Installer c:\\Kit\\@second", "Installer c:\\windows\\Morvane.exe",
                           "Installer c:\\Kit\\sub\\dir\\file.txt"}));
}

TEST_F(Passes, FailuresKeepTheirEntriesPendingWithTheirTexts) {
  const std::string absent = "Erreur: Nom de fichier absent";
  struct Case {
    const char* name;
    std::vector<ZipEntry> entries;
    std::vector<std::string> boxes;  // scan and install pass
    std::string status;
    std::vector<std::string> pending;
    const char* leftEmpty;  // a file the pass created and left empty
  } cases[] = {
      {"empty name", {{"a.txt", "a", 0}, {"", "b", 0}, {"c.txt", "c", 0}}, {absent, absent},
       "Installer c:\\T\\a.txt", {}, nullptr},
      {"unknown method", {{"a.txt", "a", 0}, {"m.txt", "m", 12}, {"c.txt", "c", 0}},
       {"Erreur: Methode de compression non support\xE9" "e"}, "Installer c:\\T\\m.txt", {"m.txt", "c.txt"},
       "/T/m.txt"},
      {"encrypted", {{"a.txt", "a", 0}, {"secret.txt", "x", 0, 1}, {"c.txt", "c", 0}}, {},
       "Installer c:\\T\\a.txt", {"secret.txt", "c.txt"}, nullptr},
      {"file over a folder", {{"a.txt", "a", 0}, {"taken", "t", 0}, {"c.txt", "c", 0}},
       {"Cr\xE9" "ation impossible: c:\\T\\taken\rLe fichier existe d\xE9j\xE0\rEffacer le dossier correspondant"},
       "Installer c:\\T\\a.txt", {"taken", "c.txt"}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    native_clear_events();
    fs::remove_all(drive.root() + "/T");
    fs::create_directories(drive.root() + "/T/taken");
    if (Installer.ArchiveHandle) plat_close_file(Installer.ArchiveHandle);
    UseArchive(c.entries);
    Scan();
    Install("c:\\T");
    EXPECT_EQ(Boxes(), c.boxes);
    EXPECT_EQ(Status(), c.status);
    EXPECT_EQ(Pending(), c.pending);
    EXPECT_EQ(ReadFile(drive.root() + "/T/a.txt"), "a");
    if (c.leftEmpty) {
      EXPECT_TRUE(fs::exists(drive.root() + c.leftEmpty));
      EXPECT_EQ(ReadFile(drive.root() + c.leftEmpty), "");
    }
    EXPECT_FALSE(Installer.InstallDone);
    plat_set_item_text(dialog, ID_STATUS_LINE, "");
  }
  // Only "Cr\xE9" "ation impossible" carries the error icon.
  for (const NativeEvent& e : native_events())
    if (e.kind == EV_MESSAGE_BOX) {
      EXPECT_EQ(e.flags, BOX_ICON_ERROR);
    }
}

TEST_F(Passes, ACrcMismatchLeavesTheBytesAndTheEntryPending) {
  std::string zip = MakeZip({{"ok.txt", "fine", 0}, {"bad.txt", "original", 0}});
  zip[zip.find("original")] = 'O';  // data no longer matches the header's CRC
  UseSetup(MakeSetup(zip));
  Scan();
  Install("c:\\T");
  EXPECT_EQ(Boxes(), std::vector<std::string>{});
  EXPECT_EQ(Status(), LEFT_OVER);
  EXPECT_EQ(Pending(), std::vector<std::string>{"bad.txt"});
  EXPECT_EQ(ReadFile(drive.root() + "/T/bad.txt"), "Original");
  EXPECT_FALSE(Installer.InstallDone);
}

TEST_F(Passes, TheNextPassRetriesOnlyPendingEntriesInTheFolderThenInTheBox) {
  UseArchive({{"one.txt", "1", 0}, {"two/sub/x.txt", "2", 8}, {"three.txt", "3", 0}});
  Scan();
  WriteFile(drive.root() + "/A/two", "a file where a folder is needed");
  Install("c:\\A");
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Erreur de dossier: c:\\A\\two\\sub"});
  EXPECT_EQ(Status(), LEFT_OVER);
  EXPECT_EQ(Pending(), (std::vector<std::string>{"two/sub/x.txt", "three.txt"}));

  native_clear_events();
  Install("c:\\B");
  EXPECT_EQ(Status(), SUCCESS);
  EXPECT_FALSE(fs::exists(drive.root() + "/B/one.txt"));  // installed before, not written again
  EXPECT_EQ(ReadFile(drive.root() + "/B/two/sub/x.txt"), "2");
  EXPECT_EQ(ReadFile(drive.root() + "/B/three.txt"), "3");
  EXPECT_EQ(ReadFile(drive.root() + "/A/one.txt"), "1");
}

// --- Mended faults -----------------------------------------------------------

TEST_F(Passes, FilesThatCannotBeWrittenWholeStayPending) {
  // Both names lead to a device that refuses every write, as a full disk does.
  fs::create_directories(drive.root() + "/T");
  fs::create_symlink("/dev/full", drive.root() + "/T/stored.bin");
  fs::create_symlink("/dev/full", drive.root() + "/T/deflated.bin");
  std::string data = fixture::MixedData(100'000, 3);
  UseArchive({{"stored.bin", data, 0}, {"deflated.bin", data, 8}, {"fine.txt", "fine", 0}});
  Scan();
  Install("c:\\T");
  EXPECT_EQ(Status(), LEFT_OVER);
  EXPECT_EQ(Pending(), (std::vector<std::string>{"stored.bin", "deflated.bin"}));
  EXPECT_EQ(ReadFile(drive.root() + "/T/fine.txt"), "fine");
}

TEST_F(Passes, NamesLeavingTheTargetFolderAreNeverWritten) {
  const std::vector<std::string> escaping = {"../evil1.txt", "..\\evil2.txt",  "/evil3.txt",
                                             "\\evil4.txt",  "c:evil5.txt",    "d:/evil6.txt",
                                             "a/../../evil7.txt", "a\\..\\..\\evil8.txt", ".../evil9.txt",
                                             "a/.. /evil10.txt"};
  std::vector<ZipEntry> entries = {{"good.txt", "good", 0}};
  for (const std::string& name : escaping) entries.push_back({name, "evil", 8});
  UseArchive(entries);
  Scan();
  Install("c:\\T\\inner");

  std::string expected = "Erreur: Fichiers refus\xE9s, leur nom sort du dossier cible :";
  for (const std::string& name : escaping) expected += "\r" + name;
  EXPECT_EQ(Boxes(), std::vector<std::string>{expected});
  EXPECT_EQ(Status(), LEFT_OVER);
  EXPECT_EQ(Pending(), escaping);
  EXPECT_EQ(ReadFile(drive.root() + "/T/inner/good.txt"), "good");
  for (auto it = fs::recursive_directory_iterator(drive.root()); it != fs::recursive_directory_iterator(); ++it)
    EXPECT_EQ(it->path().filename().string().find("evil"), std::string::npos) << it->path();
}

TEST_F(Passes, TruncatedArchivesEndEveryPass) {
  std::string data = fixture::MixedData(100'000, 9);
  std::string zip = MakeZip({{"first.txt", "first", 0}, {"middle.bin", data, 8}, {"last.bin", data, 0}});
  // From the first cut that leaves middle.bin's header whole to the end of
  // the local entries: some entry is always cut short.
  size_t end = zip.find(std::string("PK\x01\x02", 4));
  for (size_t cut = zip.find("middle.bin") + 10; cut < end; cut += 997) {
    SCOPED_TRACE(cut);
    native_clear_events();
    if (Installer.ArchiveHandle) plat_close_file(Installer.ArchiveHandle);
    fs::remove_all(drive.root() + "/T");
    UseSetup(MakeSetup(zip.substr(0, cut)));
    auto start = std::chrono::steady_clock::now();
    Scan();
    Install("c:\\T");
    Install("c:\\T");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(Installer.InstallDone);
    EXPECT_NE(Pending(), std::vector<std::string>{}) << "a cut archive cannot be complete";
  }
}

TEST_F(Passes, SizesThatWrapTheArchivePositionEndThePass) {
  std::string zip = MakeZip({{"a.txt", "a", 0}, {"b.txt", "b", 0}});
  // b.txt's compressed size becomes 0xFFFFFFF0: its next header would lie
  // before it in a 32-bit position.
  size_t b = zip.find("PK\x03\x04", 4);
  zip.replace(b + LOC_COMPRESSED_SIZE, 4, std::string("\xF0\xFF\xFF\xFF", 4));
  UseSetup(MakeSetup(zip));
  Scan();
  EXPECT_EQ(Listed(), (std::vector<std::string>{"a.txt", "b.txt"}));
  Install("c:\\T");
  EXPECT_EQ(Status(), LEFT_OVER);
  EXPECT_EQ(Pending(), std::vector<std::string>{"b.txt"});
}

TEST_F(Passes, LongNamesNeverOverflowTheirBuffers) {
  const std::string application(600, 'k'), folder(400, 'n'), entry = folder + "/" + std::string(600, 'm');
  UseArchive({{"@" + application, "", 0}, {"ok.txt", "ok", 0}, {entry, "x", 0}});
  Scan();
  EXPECT_EQ(Installer.ApplicationName, std::string(255, 'k'));
  EXPECT_EQ(strlen(Installer.TargetFolder), 255u);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"ok.txt", entry}));

  // The default folder, cut to its buffer, is no folder the user chose.
  ExtractionPass(dialog, false);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Erreur: Nom de dossier trop long (254 caract\xE8res au maximum)"});
  EXPECT_EQ(Pending().size(), 2u);

  // A name the system cannot hold stays pending behind its folder's box.
  native_clear_events();
  Install("c:\\T");
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Erreur de dossier: c:\\T\\" + folder});
  EXPECT_EQ(Status(), LEFT_OVER);
  EXPECT_EQ(Pending(), std::vector<std::string>{entry});
  EXPECT_EQ(ReadFile(drive.root() + "/T/ok.txt"), "ok");
}

// --- sfxrun --------------------------------------------------------------------

#ifdef SFXRUN_PATH
int RunSfx(const std::string& setup, const std::string& dir, std::string* output) {
  std::string command = std::string("'") + SFXRUN_PATH + "' '" + setup + "' '" + dir + "' > '" + dir + ".out'";
  int status = std::system(command.c_str());
  *output = ReadFile(dir + ".out");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Sfxrun, InstallsAsTheUserWouldAndPrintsWhatTheUserSees) {
  fixture::TempDrive drive;
  WriteFile(drive.root() + "/setup.exe",
            MakeSetup(MakeZip({{"@Demo", "", 0}, {"doc/", "", 0}, {"doc/a.txt", "\xE9t\xE9", 8}})));
  std::string output;
  ASSERT_EQ(RunSfx(drive.root() + "/setup.exe", drive.root() + "/c", &output), 0);
  EXPECT_EQ(output,
            "title: Installation de Demo\n"
            "folder: c:\\Demo\\\n"
            "status: Installer c:\\Demo\\doc\\a.txt\n"
            "item 1: -----\n"
            "link: c:\\Bureau\\Demo\\D\xC3\xA9sinstaller .lnk -> Morvane.exe \"c:\\Demo\\\"\n"
            "command: explorer c:\\Bureau\\Demo\\\n"
            "status: Installation termin\xC3\xA9" "e avec succ\xC3\xA8s\n");
  EXPECT_EQ(ReadFile(drive.root() + "/c/Demo/doc/a.txt"), "\xE9t\xE9");

  // A second run meets the installed application and ends it at once.
  ASSERT_EQ(RunSfx(drive.root() + "/setup.exe", drive.root() + "/c", &output), 1);
  EXPECT_EQ(output.substr(output.find("box")),
            "box [Attention]: L'application a d\xC3\xA9j\xC3\xA0 \xC3\xA9t\xC3\xA9 install\xC3\xA9" "e sur cet / "
            "ordinateur. Vous devez la d\xC3\xA9sinstaller / avant de lancer une nouvelle installation\n"
            "exit: 0\n");
}
#endif

}  // namespace
