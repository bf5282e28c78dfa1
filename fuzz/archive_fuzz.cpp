// archive_fuzz.cpp - the installer's passes on an arbitrary archive, through
// the native platform layer on a drive c: of its own: the dialog opens (the
// scan pass), then "&Installer" is pressed twice, with a second press waiting
// in the message queue during the first pass. Nothing may fault, and no file
// may be written outside the drive (the native layer keeps every path under
// its root; the check below looks for strays beside it).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "Sfx.h"

namespace {

namespace fs = std::filesystem;

std::string base;  // holds the drive and nothing else
std::string root;  // the host folder of drive c:

constexpr char EXPLORER_KEY[] = "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";

// A fresh drive with the Windows folder and the current user's shell folders.
void FreshDrive() {
  std::error_code ignored;
  fs::remove_all(root, ignored);
  fs::create_directory(root);
  native_set_root(root);
  const char* places[][2] = {
      {"Desktop", "c:\\Bureau"}, {"Start Menu", "c:\\Menu"}, {"Programs", "c:\\Menu\\Programmes"}};
  for (auto& place : places) {
    native_set_user_string(EXPLORER_KEY, "Shell Folders", place[0], place[1]);
    fs::create_directories(native_host_path(place[1]));
  }
}

void RunInstaller(const uint8_t* data, size_t size) {
  std::ofstream(root + "/setup.exe", std::ios::binary)
      .write(reinterpret_cast<const char*>(data), std::streamsize(size));
  ResetInstallerState();
  Installer.ArchiveOffset = 0;
  Installer.ArchiveHandle = plat_open_existing("c:\\setup.exe");
  BuildCrcTable();
  WindowHandle dialog = nullptr;
  try {
    dialog = native_open_dialog(MainDialogProc);
    native_post_command(dialog, ID_INSTALL_BUTTON);
    for (int press = 0; press < 2; ++press) native_send(dialog, DLG_MSG_COMMAND, ID_INSTALL_BUTTON, 0);
  } catch (const NativeExit&) {
    // The default folder exists already: the program ends during the scan.
    dialog = nullptr;
  }
  if (dialog) native_close_dialog(dialog);
  plat_close_file(Installer.ArchiveHandle);
  Installer.ArchiveHandle = nullptr;
}

void RemoveBase() {
  std::error_code ignored;
  fs::remove_all(base, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/archive-fuzz-XXXXXX";
  if (!mkdtemp(pattern)) abort();
  base = pattern;
  root = base + "/c";
  atexit(RemoveBase);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FreshDrive();
  RunInstaller(data, size);
  for (const auto& entry : fs::directory_iterator(base))
    if (entry.path() != root) abort();
  return 0;
}
