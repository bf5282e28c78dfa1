// Test harness for the installer program over the native platform layer: a
// fresh drive c:\ in a temporary folder, the kit-shaped payload made into a
// setup by mksetup, the dialog opened as the program opens it, and readers
// for the events (message boxes, links, item texts, commands) it records.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Sfx.h"

namespace harness {

namespace fs = std::filesystem;

// The kit-shaped payload: fixtures/kit beside this file.
inline std::string KitPayload() {
  return (fs::path(__FILE__).parent_path() / "fixtures" / "kit").string();
}

inline std::string MksetupPath() { return MKSETUP_PATH; }  // set by the build

inline std::string ReadHostFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteHostFile(const std::string &path, const std::string &bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string Quoted(const std::string &s) { return "'" + s + "'"; }

// Runs mksetup; answers its exit status.
inline int RunMksetup(const std::string &installer, const std::string &name,
                      const std::string &payload, const std::string &output,
                      const std::string &errors = "/dev/null") {
  std::string command = Quoted(MksetupPath()) + " " + Quoted(installer) + " " + Quoted(name) +
                        " " + Quoted(payload) + " " + Quoted(output) + " 2>" + Quoted(errors);
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Where the registry puts the current user's shell folders on this drive.
constexpr char EXPLORER_KEY[] = "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";
constexpr char DESKTOP[] = "c:\\Bureau";
constexpr char START_MENU[] = "c:\\Menu";
constexpr char PROGRAMS[] = "c:\\Menu\\Programmes";

// One test's drive c:\ (with c:\windows and the three shell folders) and a
// fresh InstallerState; everything is removed at the end.
class Drive {
 public:
  Drive() {
    char pattern[] = "/tmp/installer-test-XXXXXX";
    root_ = mkdtemp(pattern);
    native_set_root(root_);
    native_clear_events();
    native_set_listener(nullptr);
    native_refuse_link_objects(false);
    ResetInstallerState();
    const char *places[][2] = {{"Desktop", DESKTOP}, {"Start Menu", START_MENU}, {"Programs", PROGRAMS}};
    for (auto &place : places) {
      native_set_user_string(EXPLORER_KEY, "Shell Folders", place[0], place[1]);
      fs::create_directories(Host(place[1]));
    }
  }
  ~Drive() {
    native_set_listener(nullptr);
    if (Installer.ArchiveHandle) plat_close_file(Installer.ArchiveHandle);
    ResetInstallerState();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  Drive(const Drive &) = delete;
  Drive &operator=(const Drive &) = delete;

  // The host path of a Windows path on this drive (existing components found
  // without regard to case).
  std::string Host(const char *windowsPath) const { return native_host_path(windowsPath); }
  std::string Host(const std::string &windowsPath) const { return Host(windowsPath.c_str()); }
  const std::string &root() const { return root_; }

  // The kit's payload as c:\setup.exe, the program's own file; the bytes
  // before the archive are a stand-in for the executable.
  void MakeKitSetup() {
    std::string stub = root_ + "/stub.exe";
    WriteHostFile(stub, "MZ stand-in for the installer executable");
    ASSERT_EQ(RunMksetup(stub, "Quintar11as", KitPayload(), root_ + "/setup.exe"), 0);
  }

 private:
  std::string root_;
};

// The dialog as the program opens it: the own file open, the CRC table built.
inline WindowHandle OpenInstallerDialog() {
  Installer.ArchiveHandle = plat_open_existing("c:\\setup.exe");
  BuildCrcTable();
  return native_open_dialog(MainDialogProc);
}

inline intptr_t Press(WindowHandle dialog, int id) {
  return native_send(dialog, DLG_MSG_COMMAND, uintptr_t(id), 0);
}

inline std::string ItemText(WindowHandle dialog, int id) {
  char text[1024];
  plat_get_item_text(dialog, id, text, sizeof text);
  return text;
}

inline std::vector<NativeEvent> EventsOf(NativeEventKind kind) {
  std::vector<NativeEvent> found;
  for (const NativeEvent &event : native_events())
    if (event.kind == kind) found.push_back(event);
  return found;
}

// Message boxes as "caption: text" lines, in order.
inline std::vector<std::string> MessageBoxes() {
  std::vector<std::string> boxes;
  for (const NativeEvent &box : EventsOf(EV_MESSAGE_BOX)) boxes.push_back(box.caption + ": " + box.text);
  return boxes;
}

// Saved links as "path -> target | arguments | working folder" lines, in order.
inline std::vector<std::string> Links() {
  std::vector<std::string> links;
  for (const NativeEvent &link : EventsOf(EV_LINK))
    links.push_back(link.text + " -> " + link.target + " | " + link.arguments + " | " +
                    link.working_folder);
  return links;
}

inline std::vector<std::string> Commands() {
  std::vector<std::string> commands;
  for (const NativeEvent &command : EventsOf(EV_COMMAND)) commands.push_back(command.text);
  return commands;
}

// The texts an item was given, in order.
inline std::vector<std::string> ItemTexts(int id) {
  std::vector<std::string> texts;
  for (const NativeEvent &event : EventsOf(EV_ITEM_TEXT))
    if (event.item == id) texts.push_back(event.text);
  return texts;
}

}  // namespace harness
