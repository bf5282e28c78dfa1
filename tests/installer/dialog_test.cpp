// MainDialogProc: the dialog's start with the kit's setup, its commands (the
// radio buttons, "&Quitter" as Escape and the close box, unknown commands and
// messages) and the centring of the window.
#include "program_harness.h"

using namespace harness;

namespace {

TEST(InstallerDialog, StartShowsTheApplicationAndSelectsEveryEntry) {
  Drive drive;
  drive.MakeKitSetup();
  Installer.ShortcutPlace = 2;  // whatever was there before, the start sets 0
  WindowHandle dialog = OpenInstallerDialog();

  EXPECT_EQ(native_title(dialog), "Installation de Quintar11as");
  EXPECT_EQ(ItemText(dialog, ID_FOLDER_BOX), "c:\\Quintar11as\\");
  EXPECT_EQ(native_focused_item(dialog), ID_FOLDER_BOX);
  EXPECT_EQ(ItemText(dialog, ID_STATUS_LINE), "");
  EXPECT_TRUE(plat_is_button_checked(dialog, ID_PLACE_DESKTOP));
  EXPECT_FALSE(plat_is_button_checked(dialog, ID_PLACE_START_MENU));
  EXPECT_FALSE(plat_is_button_checked(dialog, ID_PLACE_PROGRAMS));
  EXPECT_EQ(Installer.ShortcutPlace, 0);
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{});

  // The entry list: the archive's entries in archive order, the marker
  // excepted, all of them pending.
  const std::vector<std::string> entries = {
      "Aide/", "Aide/Pic16f84.hlp", "Aide/Quintar.hlp", "Brenlo.exe", "Docs/", "Docs/Licence.txt",
      "Docs/Lisezmoi.txt", "Docs/R\xE9" "f\xE9" "rence/", "Docs/R\xE9" "f\xE9" "rence/Instructions.txt",
      "Exemples/", "Exemples/Chenillard/", "Exemples/Chenillard/Chenillard.asm", "Exemples/Clignote.asm",
      "Exemples/Vide.asm", "Install.log", "Morvane.exe", "Outils/", "Outils/Progr.exe", "bQuintar.ex"};
  std::vector<std::string> listed;
  for (int i = 0; i < plat_list_count(dialog, ID_ENTRY_LIST); ++i) {
    char name[300];
    plat_list_item_text(dialog, ID_ENTRY_LIST, i, name, sizeof name);
    listed.push_back(name);
  }
  EXPECT_EQ(listed, entries);
  EXPECT_EQ(plat_list_selected_count(dialog, ID_ENTRY_LIST), int(entries.size()));

  // Centred on the screen, its size kept.
  PlatRect rect;
  plat_window_rect(dialog, &rect);
  int width, height;
  plat_screen_size(&width, &height);
  EXPECT_EQ(rect.left, (width - (rect.right - rect.left)) / 2);
  EXPECT_EQ(rect.top, (height - (rect.bottom - rect.top)) / 2);
  native_close_dialog(dialog);
}

TEST(InstallerDialog, CommandsAndOtherMessages) {
  const struct {
    uint32_t message;
    int id;
    intptr_t answer;  // what the procedure returns
    int place;        // ShortcutPlace afterwards
    bool ends;        // the dialog ends with result 2
  } cases[] = {
      {DLG_MSG_COMMAND, ID_PLACE_START_MENU, 1, 1, false},
      {DLG_MSG_COMMAND, ID_PLACE_PROGRAMS, 1, 2, false},
      {DLG_MSG_COMMAND, ID_PLACE_DESKTOP, 1, 0, false},
      {DLG_MSG_COMMAND, 0x10000 | ID_PLACE_PROGRAMS, 1, 2, false},  // a notification code above the id
      {DLG_MSG_COMMAND, ID_QUIT_BUTTON, 1, 1, true},                // Escape, the close box
      {DLG_MSG_COMMAND, 999, 0, 1, false},
      {DLG_MSG_COMMAND, ID_FOLDER_BOX, 0, 1, false},
      {0x000F, ID_QUIT_BUTTON, 0, 1, false},  // a paint message, whatever wparam holds
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.id);
    Drive drive;
    drive.MakeKitSetup();
    WindowHandle dialog = OpenInstallerDialog();
    Installer.ShortcutPlace = 1;
    EXPECT_EQ(native_send(dialog, c.message, uintptr_t(c.id), 0), c.answer);
    EXPECT_EQ(Installer.ShortcutPlace, c.place);
    intptr_t result = 0;
    EXPECT_EQ(native_dialog_ended(dialog, &result), c.ends);
    EXPECT_EQ(result, c.ends ? 2 : 0);
    native_close_dialog(dialog);
  }
}

// Enter is the install command: the folder box is read as it stands.
TEST(InstallerDialog, InstallReadsTheFolderBoxAsItStands) {
  Drive drive;
  drive.MakeKitSetup();
  WindowHandle dialog = OpenInstallerDialog();
  plat_set_item_text(dialog, ID_FOLDER_BOX, "c:\\Ailleurs");
  Press(dialog, ID_INSTALL_BUTTON);
  EXPECT_STREQ(Installer.TargetFolder, "c:\\Ailleurs");
  EXPECT_EQ(Installer.InstallFolder, "c:\\Ailleurs\\");
  EXPECT_TRUE(fs::is_regular_file(drive.Host("c:\\Ailleurs\\Install.log")));
  native_close_dialog(dialog);
}

}  // namespace
