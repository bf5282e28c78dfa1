// sfxrun SETUP DIR: extracts a setup program's archive without a screen.
// SETUP is opened as the installer opens its own file (the archive at
// 75264); DIR becomes drive c: with the Windows folder inside it. The dialog
// opens (the scan pass), then "&Installer" is pressed until the installation
// completes or a pass changes nothing. The title, every status text, every
// message box, link and command are printed as lines, in UTF-8. The exit
// code is 0 only when the installation completed.
#include <cstdio>
#include <filesystem>
#include <string>

#include "Sfx.h"

namespace {

// Windows-1252 to UTF-8; 0x80-0x9F hold the code page's own characters.
const char16_t kHighControls[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

std::string Utf8(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    char32_t u = c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : c;
    if (u == '\r') {
      out += " / ";  // message boxes break their lines with CR
    } else if (u < 0x80) {
      out += char(u);
    } else if (u < 0x800) {
      out += char(0xC0 | u >> 6);
      out += char(0x80 | (u & 0x3F));
    } else {
      out += char(0xE0 | u >> 12);
      out += char(0x80 | ((u >> 6) & 0x3F));
      out += char(0x80 | (u & 0x3F));
    }
  }
  return out;
}

void PrintEvent(const NativeEvent& event) {
  switch (event.kind) {
    case EV_TITLE:
      printf("title: %s\n", Utf8(event.text).c_str());
      break;
    case EV_ITEM_TEXT:
      if (event.item == ID_STATUS_LINE) printf("status: %s\n", Utf8(event.text).c_str());
      else if (event.item == ID_FOLDER_BOX) printf("folder: %s\n", Utf8(event.text).c_str());
      else printf("item %d: %s\n", event.item, Utf8(event.text).c_str());
      break;
    case EV_MESSAGE_BOX:
      printf("box [%s]: %s\n", Utf8(event.caption).c_str(), Utf8(event.text).c_str());
      break;
    case EV_COMMAND:
      printf("command: %s\n", Utf8(event.text).c_str());
      break;
    case EV_PROCESS:
      printf("process: %s\n", Utf8(event.text).c_str());
      break;
    case EV_LINK:
      printf("link: %s -> %s %s\n", Utf8(event.text).c_str(), Utf8(event.target).c_str(),
             Utf8(event.arguments).c_str());
      break;
  }
}

// Presses "&Installer" until the installation completes or a pass leaves
// the entry list as it was.
void InstallUntilDone(WindowHandle dialog) {
  while (!Installer.InstallDone) {
    int before = plat_list_selected_count(dialog, ID_ENTRY_LIST);
    native_send(dialog, DLG_MSG_COMMAND, ID_INSTALL_BUTTON, 0);
    if (plat_list_selected_count(dialog, ID_ENTRY_LIST) == before) break;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: sfxrun SETUP DIR\n");
    return 2;
  }
  std::error_code error;
  std::filesystem::create_directories(argv[2], error);
  if (!std::filesystem::is_directory(argv[2])) {
    fprintf(stderr, "sfxrun: cannot use %s as drive c:\n", argv[2]);
    return 2;
  }
  native_set_root(argv[2]);
  // Shortcuts go to c:\Bureau, as on a desktop of this drive.
  native_set_user_string("Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer", "Shell Folders",
                         "Desktop", "c:\\Bureau");
  plat_create_folder("c:\\Bureau");
  native_set_listener(PrintEvent);

  Installer.ArchiveHandle = native_open_host_file(argv[1]);
  BuildCrcTable();
  Installer.ArchiveOffset = ARCHIVE_OFFSET;
  int code = 1;
  try {
    WindowHandle dialog = native_open_dialog(MainDialogProc);
    InstallUntilDone(dialog);
    code = Installer.InstallDone ? 0 : 1;
    native_close_dialog(dialog);
  } catch (const NativeExit& exit) {
    printf("exit: %d\n", exit.code);
  }
  plat_close_file(Installer.ArchiveHandle);
  fflush(stdout);
  return code;
}
