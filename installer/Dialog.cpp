// Dialog: MainDialogProc, the procedure of MAINDIALOG. The dialog's start
// runs the scan pass; "&Installer" runs an install pass; the radio buttons
// choose where the shortcuts go. CenterWindow places the dialog.
#include "Sfx.h"

namespace {

// Passes dispatch waiting messages, so this procedure is entered again while
// one runs. A press of "&Installer" met then is ignored: a pass inside the
// pass would work on the same InstallerState.
bool PassRunning = false;

void RunPass(WindowHandle dialog, bool scanOnly) {
  PassRunning = true;
  ExtractionPass(dialog, scanOnly);
  PassRunning = false;
}

// The three radio buttons and the ShortcutPlace each one gives.
const struct {
  int id;
  uint8_t place;
} PlaceButtons[] = {
    {ID_PLACE_DESKTOP, 0},
    {ID_PLACE_START_MENU, 1},
    {ID_PLACE_PROGRAMS, 2},
};

intptr_t OnInitDialog(WindowHandle dialog) {
  CenterWindow(dialog);
  plat_set_class_icon(dialog, "MainIcon");
  plat_focus_item(dialog, ID_FOLDER_BOX);
  plat_select_edit_text(dialog, ID_FOLDER_BOX, 0, 32767);
  plat_check_button(dialog, ID_PLACE_DESKTOP, true);
  Installer.ShortcutPlace = 0;
  RunPass(dialog, true);
  plat_list_select(dialog, ID_ENTRY_LIST, -1, true);  // every entry is pending
  return false;                                        // the focus is set
}

void OnInstall(WindowHandle dialog) {
  if (Installer.InstallDone || PassRunning) return;
  // The box's text as it is: an empty box makes the base folder "\".
  plat_get_item_text(dialog, ID_FOLDER_BOX, Installer.TargetFolder, sizeof Installer.TargetFolder);
  RunPass(dialog, false);
}

intptr_t OnCommand(WindowHandle dialog, int id) {
  for (const auto &button : PlaceButtons) {
    if (button.id == id) {
      Installer.ShortcutPlace = button.place;
      return true;
    }
  }
  if (id == ID_INSTALL_BUTTON) {
    OnInstall(dialog);
    return true;
  }
  if (id == ID_QUIT_BUTTON) {
    plat_end_dialog(dialog, ID_QUIT_BUTTON);
    return true;
  }
  return false;
}

}  // namespace

intptr_t PLAT_CALLBACK MainDialogProc(WindowHandle dialog, uint32_t message, uintptr_t wparam,
                                      intptr_t) {
  if (message == DLG_MSG_INIT) return OnInitDialog(dialog);
  if (message == DLG_MSG_COMMAND) return OnCommand(dialog, int(wparam & 0xFFFF));
  return false;
}

void CenterWindow(WindowHandle window) {
  PlatRect rect{};
  plat_window_rect(window, &rect);
  int screenWidth, screenHeight;
  plat_screen_size(&screenWidth, &screenHeight);
  // Integer division truncates toward zero, also for a window wider than the screen.
  plat_move_window(window, (screenWidth - (rect.right - rect.left)) / 2,
                   (screenHeight - (rect.bottom - rect.top)) / 2);
}
