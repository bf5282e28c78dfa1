// The installer program run whole over the native platform layer, with the
// kit-shaped payload made into a setup by mksetup: a complete install, an
// incomplete pass followed by a complete one, the guard against a pass inside
// a pass, the refusal of an installed application and a missing own file.
#include "program_harness.h"

using namespace harness;

namespace {

constexpr char SUCCESS[] = "Installation termin\xE9" "e avec succ\xE8" "s";

// Every payload file: where the installer writes it, and its fixture.
const struct {
  const char *installed;  // a Windows path; "*" stands for the installation folder
  const char *fixture;    // below fixtures/kit (UTF-8 names)
} KitFiles[] = {
    {"*Aide\\Pic16f84.hlp", "Aide/Pic16f84.hlp"},
    {"*Aide\\Quintar.hlp", "Aide/Quintar.hlp"},
    {"*Brenlo.exe", "Brenlo.exe"},
    {"*Docs\\Licence.txt", "Docs/Licence.txt"},
    {"*Docs\\Lisezmoi.txt", "Docs/Lisezmoi.txt"},
    {"*Docs\\R\xE9" "f\xE9" "rence\\Instructions.txt", "Docs/R\u00e9f\u00e9rence/Instructions.txt"},
    {"*Exemples\\Chenillard\\Chenillard.asm", "Exemples/Chenillard/Chenillard.asm"},
    {"*Exemples\\Clignote.asm", "Exemples/Clignote.asm"},
    {"*Exemples\\Vide.asm", "Exemples/Vide.asm"},
    {"*Outils\\Progr.exe", "Outils/Progr.exe"},
    {"*bQuintar.ex", "bQuintar.ex"},
    {"c:\\windows\\Morvane.exe", "Morvane.exe"},
};

std::string Installed(const char *path, const std::string &folder) {
  return path[0] == '*' ? folder + (path + 1) : path;
}

void ExpectKitFilesIn(const Drive &drive, const std::string &folder) {
  for (const auto &file : KitFiles) {
    std::string path = Installed(file.installed, folder);
    SCOPED_TRACE(path);
    ASSERT_TRUE(fs::is_regular_file(drive.Host(path)));
    EXPECT_TRUE(ReadHostFile(drive.Host(path)) == ReadHostFile(KitPayload() + "/" + file.fixture))
        << "differs from its source";
  }
}

// The ten links of the kit's Install.log, in the order they are made.
std::vector<std::string> KitLinks(const std::string &shortcutFolder, const std::string &folder) {
  std::string s = shortcutFolder + "\\", f = folder;
  return {
      s + "Quintar11as.lnk -> " + f + "Brenlo.exe |  | " + f.substr(0, f.size() - 1),
      s + "Programmateur.lnk -> " + f + "Outils\\Progr.exe |  | " + f + "Outils",
      s + "Aide Quintar11as.lnk -> " + f + "Aide\\Quintar.hlp |  | " + f + "Aide",
      s + "Aide PIC16F84.lnk -> " + f + "Aide\\Pic16f84.hlp |  | " + f + "Aide",
      s + "Lisez-moi.lnk -> " + f + "Docs\\Lisezmoi.txt |  | " + f + "Docs",
      s + "Licence.lnk -> " + f + "Docs\\Licence.txt |  | " + f + "Docs",
      s + "R\xE9" "f\xE9" "rence des instructions.lnk -> " + f + "Docs\\R\xE9" "f\xE9" "rence\\Instructions.txt |  | " +
          f + "Docs\\R\xE9" "f\xE9" "rence",
      s + "Exemple clignotant.lnk -> " + f + "Exemples\\Clignote.asm |  | " + f + "Exemples",
      s + "Exemple chenillard.lnk -> " + f + "Exemples\\Chenillard\\Chenillard.asm |  | " + f +
          "Exemples\\Chenillard",
      s + "D\xE9sinstaller Quintar11as.lnk -> Morvane.exe | \"" + f + "\" | ",
  };
}

// What a completed installation leaves: every file, Install.log with the
// shortcut folder as its last line, the links on disk, the explorer started.
void ExpectCompletedInstall(const Drive &drive, const std::string &folder, const std::string &shortcutFolder) {
  ExpectKitFilesIn(drive, folder);
  EXPECT_FALSE(fs::exists(drive.Host(folder + "Morvane.exe")));
  EXPECT_EQ(ReadHostFile(drive.Host(folder + "Install.log")),
            ReadHostFile(KitPayload() + "/Install.log") + shortcutFolder + "\r\n");
  EXPECT_EQ(Links(), KitLinks(shortcutFolder, folder));
  for (const NativeEvent &link : EventsOf(EV_LINK)) EXPECT_TRUE(fs::is_regular_file(drive.Host(link.text))) << link.text;
  EXPECT_EQ(Commands(), std::vector<std::string>{"explorer " + shortcutFolder + "\\"});
  EXPECT_TRUE(Installer.InstallDone);
}

TEST(InstallerProgram, InstallsTheKitAndIgnoresFurtherPresses) {
  Drive drive;
  drive.MakeKitSetup();
  WindowHandle dialog = OpenInstallerDialog();
  EXPECT_EQ(Press(dialog, ID_INSTALL_BUTTON), 1);

  ExpectCompletedInstall(drive, "c:\\Quintar11as\\", "c:\\Bureau\\Quintar11as");
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{});
  EXPECT_EQ(ItemText(dialog, ID_INSTALL_BUTTON), "-----");
  EXPECT_EQ(ItemText(dialog, ID_STATUS_LINE), SUCCESS);
  EXPECT_EQ(plat_list_selected_count(dialog, ID_ENTRY_LIST), 0);
  // Every file written showed its path once in the status line.
  std::vector<std::string> status = ItemTexts(ID_STATUS_LINE);
  for (const auto &file : KitFiles)
    EXPECT_EQ(std::count(status.begin(), status.end(), "Installer " + Installed(file.installed, "c:\\Quintar11as\\")), 1)
        << file.installed;

  // Once done, "&Installer" (and Enter, the same command) does nothing.
  size_t before = native_events().size();
  Press(dialog, ID_INSTALL_BUTTON);
  EXPECT_EQ(native_events().size(), before);
  native_close_dialog(dialog);
}

TEST(InstallerProgram, IncompletePassThenCompletePassInAnotherFolder) {
  Drive drive;
  drive.MakeKitSetup();
  // A folder where a file must go makes the first pass stop there.
  fs::create_directories(drive.Host("c:\\A\\Docs\\Licence.txt"));
  WindowHandle dialog = OpenInstallerDialog();
  plat_set_item_text(dialog, ID_FOLDER_BOX, "c:\\A");
  Press(dialog, ID_INSTALL_BUTTON);

  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{"Cr\xE9" "ation impossible: c:\\A\\Docs\\Licence.txt\rLe fichier existe "
                                                     "d\xE9j\xE0\rEffacer le dossier correspondant"});
  EXPECT_EQ(EventsOf(EV_MESSAGE_BOX).back().flags, BOX_ICON_ERROR);
  EXPECT_FALSE(Installer.InstallDone);
  EXPECT_EQ(ItemText(dialog, ID_INSTALL_BUTTON), "&Installer");
  EXPECT_EQ(Links(), std::vector<std::string>{});
  EXPECT_TRUE(fs::is_regular_file(drive.Host("c:\\A\\Aide\\Quintar.hlp")));
  EXPECT_TRUE(fs::is_regular_file(drive.Host("c:\\A\\Brenlo.exe")));

  // The user picks another place and another folder, and presses again: the
  // pending entries go there, those installed before stay where they are.
  Press(dialog, ID_PLACE_PROGRAMS);
  plat_set_item_text(dialog, ID_FOLDER_BOX, "c:\\B\\");
  native_clear_events();
  Press(dialog, ID_INSTALL_BUTTON);

  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{});
  EXPECT_EQ(ItemText(dialog, ID_STATUS_LINE), SUCCESS);
  EXPECT_EQ(Links(), KitLinks("c:\\Menu\\Programmes\\Quintar11as", "c:\\B\\"));
  EXPECT_EQ(Commands(), std::vector<std::string>{"explorer c:\\Menu\\Programmes\\Quintar11as\\"});
  EXPECT_FALSE(fs::exists(drive.Host("c:\\B\\Aide")));
  EXPECT_FALSE(fs::exists(drive.Host("c:\\B\\Brenlo.exe")));
  EXPECT_EQ(ReadHostFile(drive.Host("c:\\B\\Docs\\Licence.txt")), ReadHostFile(KitPayload() + "/Docs/Licence.txt"));
  EXPECT_EQ(ReadHostFile(drive.Host("c:\\B\\Install.log")),
            ReadHostFile(KitPayload() + "/Install.log") + "c:\\Menu\\Programmes\\Quintar11as\r\n");
  native_close_dialog(dialog);
}

// Passes dispatch waiting messages: a second "&Installer" met then is
// ignored, while a radio button still takes effect.
TEST(InstallerProgram, PressesDuringAPassDoNotStartAnotherPass) {
  Drive drive;
  drive.MakeKitSetup();
  WindowHandle dialog = OpenInstallerDialog();
  native_post_command(dialog, ID_INSTALL_BUTTON);
  native_post_command(dialog, ID_PLACE_START_MENU);
  native_post_command(dialog, ID_INSTALL_BUTTON);
  Press(dialog, ID_INSTALL_BUTTON);

  std::vector<std::string> status = ItemTexts(ID_STATUS_LINE);
  EXPECT_EQ(std::count(status.begin(), status.end(), "Installer c:\\Quintar11as\\Brenlo.exe"), 1);
  EXPECT_EQ(std::count(status.begin(), status.end(), SUCCESS), 1);
  EXPECT_EQ(Installer.ShortcutPlace, 1);
  ExpectCompletedInstall(drive, "c:\\Quintar11as\\", "c:\\Menu\\Quintar11as");
  native_close_dialog(dialog);
}

// The whole program: "&Quitter" pressed while the pass runs ends the dialog
// once the pass has returned; the run closes its file quietly and ends with 0.
TEST(InstallerProgram, RunsToTheEndWhenQuitIsPressedDuringThePass) {
  Drive drive;
  drive.MakeKitSetup();
  native_post_command(nullptr, ID_INSTALL_BUTTON);
  native_post_command(nullptr, ID_QUIT_BUTTON);
  EXPECT_EQ(RunInstaller(), 0);

  ExpectCompletedInstall(drive, "c:\\Quintar11as\\", "c:\\Bureau\\Quintar11as");
  EXPECT_EQ(ItemTexts(ID_STATUS_LINE).back(), SUCCESS);
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{});
  EXPECT_EQ(Installer.ArchiveHandle, nullptr);
  EXPECT_EQ(Installer.CrcTable, nullptr);
}

TEST(InstallerProgram, RefusesAnInstalledApplicationWithExitCodeZero) {
  Drive drive;
  drive.MakeKitSetup();
  fs::create_directories(drive.Host("c:\\Quintar11as"));
  int code = -1;
  try {
    RunInstaller();
  } catch (const NativeExit &exit) {
    code = exit.code;
  }
  EXPECT_EQ(code, 0);
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{
                                "Attention: L'application a d\xE9j\xE0 \xE9t\xE9 install\xE9" "e sur cet\rordinateur. Vous "
                                "devez la d\xE9sinstaller\ravant de lancer une nouvelle installation"});
  EXPECT_TRUE(fs::is_empty(drive.Host("c:\\Quintar11as")));
  EXPECT_EQ(Links(), std::vector<std::string>{});
}

TEST(InstallerProgram, MissingOwnFileIsReportedBeforeAndAfterTheDialog) {
  Drive drive;
  native_set_module_path("c:\\absent.exe");
  native_post_command(nullptr, ID_QUIT_BUTTON);
  EXPECT_EQ(RunInstaller(), 0);
  EXPECT_EQ(MessageBoxes(), (std::vector<std::string>{"Erreur: Archive introuvable", "Erreur: Fermeture fichier"}));
  EXPECT_EQ(EventsOf(EV_TITLE).size(), 0u);
}

}  // namespace
