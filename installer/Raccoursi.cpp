// Raccoursi: the shortcuts and Install.log. CreateShortcut saves one shell
// link into the application's shortcut folder; ProcessInstallLog completes an
// installation from Install.log: its shortcuts, the uninstaller's shortcut,
// the shortcut folder appended to the file, the explorer opened on it.
#include <algorithm>
#include <cstring>
#include <string>

#include "Sfx.h"

namespace {

// Where the current user's shell folders are named, one value per place.
constexpr char EXPLORER_KEY[] = "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";
constexpr char SHELL_FOLDERS_KEY[] = "Shell Folders";
const char *const PlaceValueNames[] = {"Desktop", "Start Menu", "Programs"};  // by ShortcutPlace
constexpr uint32_t SHELL_FOLDER_SIZE = 260;

constexpr char INSTALL_LOG[] = "Install.log";
constexpr char UNINSTALLER[] = "Morvane.exe";
constexpr size_t LOG_LINE_LIMIT = 255;  // longer lines are cut: only this much is read
constexpr char END_OF_TEXT = 0x1A;

std::string ShortcutFolderOf(uint8_t place) {
  char base[SHELL_FOLDER_SIZE];
  const char *value = place < 3 ? PlaceValueNames[place] : "";
  plat_read_user_string(EXPLORER_KEY, SHELL_FOLDERS_KEY, value, base, sizeof base);  // missing: ""
  return std::string(base) + "\\" + Installer.ApplicationName;
}

// The whole text of Install.log, up to the first 0x1A; empty when missing.
std::string ReadLogText(FileHandle log) {
  std::string text;
  char chunk[4096];
  while (uint32_t n = plat_read_file(log, chunk, sizeof chunk)) text.append(chunk, n);
  return text.substr(0, text.find(END_OF_TEXT));
}

// The line starting at `pos`, cut to LOG_LINE_LIMIT characters; `pos` moves
// past its end (a CR, and an LF right after it).
std::string NextLine(const std::string &text, size_t &pos) {
  size_t end = text.find('\r', pos);
  if (end == std::string::npos) end = text.size();
  std::string line = text.substr(pos, std::min(end - pos, LOG_LINE_LIMIT));
  pos = end + 1;
  if (pos < text.size() && text[pos] == '\n') ++pos;
  return line;
}

// Install.log's lines: the title and the shortcut lines. False when a link
// object was refused; the name and the target of that line stay readable for
// the message, and the remaining lines are not read.
bool ReadInstallLog(const std::string &text, uint8_t place, std::string &title, std::string &name,
                    std::string &target) {
  size_t pos = 0;
  do {  // the first line is read even from an empty file
    std::string line = NextLine(text, pos);
    if (title.empty()) title = line;
    size_t comma = line.find(',');
    if (comma == std::string::npos) continue;
    name = line.substr(0, comma);
    target = line.substr(comma + 1);
    if (!CreateShortcut(name.c_str(), (Installer.InstallFolder + target).c_str(), "", place)) return false;
  } while (pos < text.size());
  return true;
}

void MakeLogShortcuts(uint8_t place, std::string &title) {
  std::string name, target;
  FileHandle log = plat_open_existing((Installer.InstallFolder + INSTALL_LOG).c_str());
  if (!log) return;  // a missing Install.log gives no shortcut and no title
  if (!ReadInstallLog(ReadLogText(log), place, title, name, target)) {
    std::string text = "Fichier Install.log d\xE9" "fectueux\r" + target + "\r" + name;
    plat_message_box(text.c_str(), "Erreur", BOX_OK);
  }
  plat_close_file(log);
}

// The uninstaller is written into the Windows folder: its bare name is its
// target, and the installation folder, quoted, its argument.
void MakeUninstallerShortcut(uint8_t place, const std::string &title) {
  std::string name = "D\xE9sinstaller " + title;
  std::string arguments = "\"" + Installer.InstallFolder + "\"";
  if (!CreateShortcut(name.c_str(), UNINSTALLER, arguments.c_str(), place)) {
    std::string text = "Raccourci impossible\r" + name;
    plat_message_box(text.c_str(), "Erreur", BOX_OK);
  }
}

void AppendShortcutFolder() {
  FileHandle log = plat_open_append((Installer.InstallFolder + INSTALL_LOG).c_str());
  if (!log) return;
  std::string line = Installer.ShortcutFolder + "\r\n";
  plat_write_file(log, line.data(), uint32_t(line.size()));
  plat_close_file(log);
}

}  // namespace

bool CreateShortcut(const char *name, const char *target, const char *arguments, uint8_t place) {
  std::string folder = ShortcutFolderOf(place);
  if (Installer.ShortcutFolder.empty()) {  // the first link of the run
    if (!plat_create_folder(folder.c_str())) {
      std::string text = "Impossible de cr\xE9" "er le dossier\r" + folder +
                         "\r( Il existe peut-\xEAtre d\xE9j\xE0 )";
      plat_message_box(text.c_str(), "Info", BOX_OK);
    }
    Installer.ShortcutFolder = folder;
  }
  std::string workingFolder = ParentDirectory(target);
  ShellLink link{target, arguments, workingFolder.c_str(), nullptr};
  std::string linkPath = folder + "\\" + name + ".lnk";
  return plat_save_shell_link(link, linkPath.c_str()) != LINK_NO_OBJECT;
}

void ProcessInstallLog(uint8_t place) {
  Installer.ShortcutFolder.clear();
  char installFolder[FOLDER_BUFFER_SIZE];
  std::strncpy(installFolder, Installer.TargetFolder, sizeof installFolder - 1);
  installFolder[sizeof installFolder - 1] = '\0';
  AddTrailingBackslash(installFolder, sizeof installFolder);
  Installer.InstallFolder = installFolder;

  std::string title;
  MakeLogShortcuts(place, title);
  MakeUninstallerShortcut(place, title);
  AppendShortcutFolder();
  plat_run_command(("explorer " + Installer.ShortcutFolder + "\\").c_str());
}
