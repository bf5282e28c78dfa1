// ProcessInstallLog and CreateShortcut: the lines of Install.log (CR line
// ends, 0x1A, the title, comma lines, the 255-character cut), the
// uninstaller's shortcut, the appended shortcut folder, the explorer command,
// the places, and the shortcut folder created once per run.
#include "program_harness.h"

using namespace harness;

namespace {

constexpr char TARGET[] = "c:\\Cible";  // the folder box's text, without a final '\'
constexpr char SHORTCUTS[] = "c:\\Bureau\\Quintar11as";

// A finished installation of the application into c:\Cible, with `log` (when
// given) as its Install.log; then ProcessInstallLog for `place`.
struct LogRun {
  Drive drive;
  explicit LogRun(const std::string *log, uint8_t place = 0) {
    Installer.ApplicationName = "Quintar11as";
    std::strcpy(Installer.TargetFolder, TARGET);
    fs::create_directories(drive.Host(TARGET));
    if (log) WriteHostFile(drive.Host("c:\\Cible\\Install.log"), *log);
    ProcessInstallLog(place);
  }
  std::string Log() const { return ReadHostFile(drive.Host("c:\\Cible\\Install.log")); }
};

std::string Link(const std::string &name, const std::string &target, const char *workingFolder = TARGET) {
  return std::string(SHORTCUTS) + "\\" + name + ".lnk -> c:\\Cible\\" + target + " |  | " + workingFolder;
}

std::string Uninstaller(const std::string &title) {
  return std::string(SHORTCUTS) + "\\D\xE9sinstaller " + title + ".lnk -> Morvane.exe | \"c:\\Cible\\\" | ";
}

TEST(InstallLog, LinesMakeShortcuts) {
  const std::string longName(250, 'n');
  const struct {
    const char *what;
    std::string log;
    std::vector<std::string> links;  // the uninstaller's link last
  } cases[] = {
      {"title, blank lines, spaces and headings make no shortcut",
       "Titre\r\n \r\n\r\nListe :\r\n     \r\nA,a.txt\r\n",
       {Link("A", "a.txt"), Uninstaller("Titre")}},
      {"the name ends at the first comma",
       "Titre\r\nNom,Dossier\\a,b.txt\r\n",
       {Link("Nom", "Dossier\\a,b.txt", "c:\\Cible\\Dossier"), Uninstaller("Titre")}},
      {"a title holding a comma is a shortcut line too",
       "Kit,Lisez.txt\r\nB,b.txt\r\n",
       {Link("Kit", "Lisez.txt"), Link("B", "b.txt"), Uninstaller("Kit,Lisez.txt")}},
      {"the title is the first line that is not empty",
       "\r\n\r\n Kit\r\n",
       {Uninstaller(" Kit")}},
      {"a line ends at CR, with or without LF",
       "Titre\rA,a.txt\rB,b.txt\r\nC,c.txt",
       {Link("A", "a.txt"), Link("B", "b.txt"), Link("C", "c.txt"), Uninstaller("Titre")}},
      {"0x1A ends the text",
       "Titre\r\nA,a.txt\r\n\x1A" "B,b.txt\r\n",
       {Link("A", "a.txt"), Uninstaller("Titre")}},
      {"only the first 255 characters of a line are read",
       "Titre\r\n" + std::string(255, 'x') + ",loin.txt\r\n" + longName + ",abcdefgh.txt\r\n",
       {Link(longName, "abcd"), Uninstaller("Titre")}},
      {"an empty file gives only the uninstaller, without title",
       "",
       {Uninstaller("")}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    LogRun run(&c.log);
    EXPECT_EQ(Links(), c.links);
    EXPECT_EQ(MessageBoxes(), std::vector<std::string>{});
    // The shortcut folder follows what the file held, even a last line
    // without line end or a 0x1A.
    EXPECT_EQ(run.Log(), c.log + SHORTCUTS + "\r\n");
    EXPECT_EQ(Commands(), std::vector<std::string>{"explorer c:\\Bureau\\Quintar11as\\"});
    EXPECT_EQ(Installer.ShortcutFolder, SHORTCUTS);
    EXPECT_EQ(Installer.InstallFolder, "c:\\Cible\\");
  }
}

TEST(InstallLog, MissingFileGivesOnlyTheUninstallerAndAppendsNothing) {
  LogRun run(nullptr);
  EXPECT_EQ(Links(), std::vector<std::string>{Uninstaller("")});
  EXPECT_FALSE(fs::exists(run.drive.Host("c:\\Cible\\Install.log")));
  EXPECT_EQ(Commands(), std::vector<std::string>{"explorer c:\\Bureau\\Quintar11as\\"});
}

TEST(InstallLog, PlacesNameTheirShellFolder) {
  const struct {
    uint8_t place;
    const char *folder;
  } cases[] = {{0, "c:\\Bureau\\Quintar11as"}, {1, "c:\\Menu\\Quintar11as"}, {2, "c:\\Menu\\Programmes\\Quintar11as"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.folder);
    std::string log = "Kit\r\nA,a.txt\r\n";
    LogRun run(&log, c.place);
    EXPECT_EQ(EventsOf(EV_LINK).front().text, std::string(c.folder) + "\\A.lnk");
    EXPECT_TRUE(fs::is_regular_file(run.drive.Host(std::string(c.folder) + "\\A.lnk")));
    EXPECT_EQ(run.Log(), log + c.folder + "\r\n");
  }
}

// A place whose value is missing: the shortcut folder lands at the root.
TEST(InstallLog, MissingRegistryValueUsesTheRoot) {
  Drive drive;
  native_set_root(drive.root());  // an empty registry
  Installer.ApplicationName = "Quintar11as";
  std::strcpy(Installer.TargetFolder, TARGET);
  ProcessInstallLog(0);
  EXPECT_EQ(Installer.ShortcutFolder, "\\Quintar11as");
  EXPECT_TRUE(fs::is_regular_file(drive.Host("c:\\Quintar11as\\D\xE9sinstaller .lnk")));
  EXPECT_EQ(Commands(), std::vector<std::string>{"explorer \\Quintar11as\\"});
}

// An earlier installation's shortcut folder: one "Info" box for the run, and
// the links in it are replaced.
TEST(InstallLog, ExistingShortcutFolderIsReportedOnceAndItsLinksReplaced) {
  Drive drive;
  WriteHostFile(drive.Host("c:\\Bureau\\Quintar11as\\A.lnk"), "old link");
  Installer.ApplicationName = "Quintar11as";
  std::strcpy(Installer.TargetFolder, TARGET);
  WriteHostFile(drive.Host("c:\\Cible\\Install.log"), "Kit\r\nA,a.txt\r\nB,b.txt\r\n");
  ProcessInstallLog(0);
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{"Info: Impossible de cr\xE9" "er le dossier\rc:\\Bureau\\Quintar11as\r"
                                                     "( Il existe peut-\xEAtre d\xE9j\xE0 )"});
  EXPECT_EQ(EventsOf(EV_LINK).size(), 3u);
  EXPECT_NE(ReadHostFile(drive.Host("c:\\Bureau\\Quintar11as\\A.lnk")), "old link");
}

// Only the last level is created: under a missing base folder the "Info" box
// is shown and no link is saved, yet the run completes.
TEST(InstallLog, MissingBaseFolderSavesNoLink) {
  Drive drive;
  native_set_user_string(EXPLORER_KEY, "Shell Folders", "Desktop", "c:\\Absent");
  Installer.ApplicationName = "Quintar11as";
  std::strcpy(Installer.TargetFolder, TARGET);
  WriteHostFile(drive.Host("c:\\Cible\\Install.log"), "Kit\r\nA,a.txt\r\n");
  ProcessInstallLog(0);
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{"Info: Impossible de cr\xE9" "er le dossier\rc:\\Absent\\Quintar11as\r"
                                                     "( Il existe peut-\xEAtre d\xE9j\xE0 )"});
  for (const NativeEvent &link : EventsOf(EV_LINK)) EXPECT_EQ(link.flags, unsigned(LINK_NOT_SAVED));
  EXPECT_FALSE(fs::exists(drive.Host("c:\\Absent")));
  EXPECT_EQ(ReadHostFile(drive.Host("c:\\Cible\\Install.log")), "Kit\r\nA,a.txt\r\nc:\\Absent\\Quintar11as\r\n");
}

// The shell refuses its link object: the line being made is reported and the
// rest of the file is not read; the uninstaller's refusal is reported too,
// and the installation is still completed.
TEST(InstallLog, RefusedLinkObjectStopsTheReading) {
  Drive drive;
  native_refuse_link_objects(true);
  Installer.ApplicationName = "Quintar11as";
  std::strcpy(Installer.TargetFolder, TARGET);
  WriteHostFile(drive.Host("c:\\Cible\\Install.log"), "Kit\r\nA,Docs\\a.txt\r\nB,b.txt\r\n");
  ProcessInstallLog(0);
  EXPECT_EQ(MessageBoxes(), (std::vector<std::string>{"Erreur: Fichier Install.log d\xE9" "fectueux\rDocs\\a.txt\rA",
                                                      "Erreur: Raccourci impossible\rD\xE9sinstaller Kit"}));
  EXPECT_EQ(ReadHostFile(drive.Host("c:\\Cible\\Install.log")), "Kit\r\nA,Docs\\a.txt\r\nB,b.txt\r\n" + std::string(SHORTCUTS) + "\r\n");
  EXPECT_EQ(Commands(), std::vector<std::string>{"explorer c:\\Bureau\\Quintar11as\\"});
}

}  // namespace
