// The platform layer over POSIX, for tests, sfxrun and benchmarks: Windows
// paths mapped under a root folder (names compared without regard to case,
// as Windows does), the dialog, message boxes, registry, links and commands
// kept in memory and recorded as events in the order they happen.
#include "platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <unordered_map>

namespace {

// ---------------------------------------------------------------------------
// Names and paths

// Case folding of Windows-1252 letters: ASCII, the accented range and the
// few letters placed in 0x8A-0x9F.
unsigned char FoldCase(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
  }
  return c;
}

std::string Folded(const std::string& s) {
  std::string out(s);
  for (char& c : out) c = char(FoldCase((unsigned char)c));
  return out;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase((unsigned char)a[i]) != FoldCase((unsigned char)b[i])) return false;
  return true;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A folder's names by their folded spelling, valid while the folder's
// modification time is the one recorded.
struct FolderNames {
  timespec modified{};
  std::unordered_map<std::string, std::string> byFolded;
};

struct NativeWorld {
  std::string root;  // host folder standing for c:\ (no final '/')
  std::string windows_folder = "c:\\windows";
  std::string module_path = "c:\\setup.exe";
  std::map<std::string, std::string> registry;  // folded key\subkey\value
  bool refuse_links = false;
  std::vector<NativeEvent> events;
  std::function<void(const NativeEvent&)> listener;
  std::deque<std::pair<WindowHandle, int>> queue;  // posted commands
  WindowHandle current_dialog = nullptr;
  std::unordered_map<std::string, FolderNames> folders;  // host folder -> its names
};
NativeWorld& World() {
  static NativeWorld world;
  return world;
}

timespec Modified(const std::string& dir) {
  struct stat st;
  if (stat(dir.c_str(), &st) != 0) return {};
  return st.st_mtim;
}

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

std::vector<std::string> HostEntries(const std::string& dir);

// The actual spelling of `name` in host folder `dir`, found without regard to
// case; empty when there is none. Listings are cached per folder and kept up
// to date by NoteCreated, so creating many files in one folder stays cheap.
std::string ActualName(const std::string& dir, const std::string& name) {
  FolderNames& names = World().folders[dir];
  timespec modified = Modified(dir);
  if (!SameTime(names.modified, modified) || names.byFolded.empty()) {
    names.byFolded.clear();
    for (const std::string& entry : HostEntries(dir)) names.byFolded.emplace(Folded(entry), entry);
    names.modified = modified;
  }
  auto it = names.byFolded.find(Folded(name));
  return it == names.byFolded.end() ? std::string() : it->second;
}

// Records a name this layer has just created in host path `host`.
void NoteCreated(const std::string& host, const timespec& folderBefore) {
  size_t cut = host.rfind('/');
  std::string dir = host.substr(0, cut);
  auto it = World().folders.find(dir);
  if (it == World().folders.end() || !SameTime(it->second.modified, folderBefore)) return;
  it->second.byFolded.emplace(Folded(host.substr(cut + 1)), host.substr(cut + 1));
  it->second.modified = Modified(dir);
}

std::vector<std::string> HostEntries(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
  }
  // The order a Windows volume reports: by name, without regard to case.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return Folded(a) < Folded(b);
  });
  return names;
}

// The components of a Windows path on drive c:, resolved lexically ("." and
// ".." as Windows does, never above the root). False for another drive.
bool Components(const char* windows_path, std::vector<std::string>& parts) {
  std::string path = windows_path ? windows_path : "";
  if (path.size() >= 2 && path[1] == ':') {
    if (FoldCase((unsigned char)path[0]) != 'c') return false;
    path = path.substr(2);
  }
  std::string part;
  auto flush = [&] {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (char c : path) {
    if (IsSeparator(c)) flush();
    else part += c;
  }
  flush();
  return true;
}

bool EndsInSeparator(const char* path) {
  size_t n = path ? strlen(path) : 0;
  return n > 0 && IsSeparator(path[n - 1]);
}

bool HostIsDirectory(const std::string& host) {
  struct stat st;
  return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool HostExists(const std::string& host) {
  struct stat st;
  return lstat(host.c_str(), &st) == 0;
}

// Windows-style wildcard match without regard to case ('*' any run, '?' one).
// After a mismatch only the last '*' takes one more character: the time
// grows with the product of the lengths, however many '*' the pattern holds.
bool WildcardMatch(const char* pattern, const char* name) {
  const char* afterStar = nullptr;  // the pattern just past the last '*' met
  const char* starRun = nullptr;    // where the rest was last tried in the name
  while (*name) {
    if (*pattern == '*') {
      afterStar = ++pattern;
      starRun = name;
    } else if (*pattern && (*pattern == '?' || FoldCase((unsigned char)*pattern) ==
                                                   FoldCase((unsigned char)*name))) {
      ++pattern;
      ++name;
    } else if (afterStar) {
      pattern = afterStar;
      name = ++starRun;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == 0;
}

void Record(NativeEvent event) {
  NativeWorld& w = World();
  w.events.push_back(event);
  if (w.listener) w.listener(w.events.back());
}

uint32_t CopyOut(const std::string& text, char* buffer, uint32_t size) {
  if (size == 0 || text.size() + 1 > size) return 0;
  memcpy(buffer, text.c_str(), text.size() + 1);
  return uint32_t(text.size());
}

FileHandle OpenHost(const std::string& host, int flags) {
  if (host.empty() || HostIsDirectory(host)) return nullptr;
  int fd = open(host.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  return reinterpret_cast<FileHandle>(intptr_t(fd) + 1);  // never null
}

int Descriptor(FileHandle file) { return int(reinterpret_cast<intptr_t>(file) - 1); }

}  // namespace

// ---------------------------------------------------------------------------
// The in-memory dialog

struct NativeItem {
  std::string text;
  bool checked = false;
  int select_first = 0, select_last = 0;
  std::vector<std::string> list;  // list box items
  std::vector<bool> selected;
};

struct PlatWindow {
  DialogProc proc = nullptr;
  std::string title = ".";
  std::map<int, NativeItem> items;
  int focus = 0;
  bool ended = false;
  intptr_t result = 0;
  PlatRect rect = {45, 106, 45 + 462, 106 + 195};  // 308 x 120 dialog units
  std::string class_icon;
};

namespace {

// MAINDIALOG's controls and their texts, in template order.
const struct {
  int id;
  const char* text;
} kTemplateItems[] = {
    {101, ""},
    {301, ""},
    {-1, "Raccourcis plac\xE9s dans"},
    {501, "Le &Bureau"},
    {502, "Le menu &D\xE9marrer"},
    {503, "Menu D\xE9marrer / &Programmes"},
    {1, "&Installer"},
    {2, "&Quitter"},
    {100, "Dossier Cible:"},
    {601, ""},
};

NativeItem* Item(WindowHandle dialog, int id) {
  if (!dialog) return nullptr;
  auto it = dialog->items.find(id);
  return it == dialog->items.end() ? nullptr : &it->second;
}

}  // namespace

// ---------------------------------------------------------------------------
// Files and folders

FileHandle plat_open_existing(const char* path) {
  return OpenHost(native_host_path(path), O_RDONLY);
}

FileHandle plat_create_file(const char* path) {
  if (EndsInSeparator(path)) return nullptr;  // names a folder
  std::string host = native_host_path(path);
  timespec folderBefore = Modified(host.substr(0, host.rfind('/')));
  FileHandle file = OpenHost(host, O_WRONLY | O_CREAT | O_TRUNC);
  if (file) NoteCreated(host, folderBefore);
  return file;
}

FileHandle plat_open_append(const char* path) {
  return OpenHost(native_host_path(path), O_WRONLY | O_APPEND);
}

uint32_t plat_read_file(FileHandle file, void* buffer, uint32_t count) {
  if (!file) return 0;
  uint32_t done = 0;
  while (done < count) {
    ssize_t n = read(Descriptor(file), static_cast<char*>(buffer) + done, count - done);
    if (n <= 0) break;
    done += uint32_t(n);
  }
  return done;
}

uint32_t plat_write_file(FileHandle file, const void* buffer, uint32_t count) {
  if (!file) return 0;
  uint32_t done = 0;
  while (done < count) {
    ssize_t n = write(Descriptor(file), static_cast<const char*>(buffer) + done, count - done);
    if (n <= 0) break;
    done += uint32_t(n);
  }
  return done;
}

int32_t plat_seek_file(FileHandle file, int32_t offset) {
  if (!file || offset < 0) return -1;
  return lseek(Descriptor(file), offset, SEEK_SET) < 0 ? -1 : offset;
}

bool plat_close_file(FileHandle file) { return file && close(Descriptor(file)) == 0; }

bool plat_find_first(const char* pattern, char* name, uint32_t size) {
  std::string whole = pattern ? pattern : "";
  size_t cut = whole.find_last_of("\\/");
  if (cut == std::string::npos && whole.size() >= 2 && whole[1] == ':') cut = 1;
  std::string folder = cut == std::string::npos ? "" : whole.substr(0, cut + 1);
  std::string last = cut == std::string::npos ? whole : whole.substr(cut + 1);
  if (last.empty()) return false;
  if (last.find_first_of("*?") == std::string::npos) {  // one name: no listing
    std::string found = native_host_path(whole.c_str());
    if (found.empty() || !HostExists(found)) return false;
    if (name && size > 0) CopyOut(found.substr(found.rfind('/') + 1).substr(0, size - 1), name, size);
    return true;
  }
  std::vector<std::string> parts;
  if (!Components(folder.c_str(), parts)) return false;
  std::string host = native_host_path(folder.empty() ? "." : folder.c_str());
  if (!HostIsDirectory(host)) return false;
  bool all = last == "*" || last == "*.*";
  std::vector<std::string> names = HostEntries(host);
  if (!parts.empty()) names.insert(names.begin(), {".", ".."});  // roots have none
  for (const std::string& entry : names) {
    if (all || WildcardMatch(last.c_str(), entry.c_str())) {
      if (name && size > 0) {
        size_t n = std::min<size_t>(entry.size(), size - 1);
        memcpy(name, entry.data(), n);
        name[n] = 0;
      }
      return true;
    }
  }
  return false;
}

bool plat_create_folder(const char* path) {
  std::string host = native_host_path(path);
  if (host.empty()) return false;
  timespec folderBefore = Modified(host.substr(0, host.rfind('/')));
  if (mkdir(host.c_str(), 0755) != 0) return false;
  NoteCreated(host, folderBefore);
  return true;
}

uint32_t plat_windows_folder(char* buffer, uint32_t size) {
  return CopyOut(World().windows_folder, buffer, size);
}

uint32_t plat_module_path(char* buffer, uint32_t size) {
  return CopyOut(World().module_path, buffer, size);
}

// ---------------------------------------------------------------------------
// The dialog and its items

intptr_t plat_run_dialog(const char*, DialogProc proc) {
  std::unique_ptr<PlatWindow, void (*)(PlatWindow*)> dialog(native_open_dialog(proc),
                                                            native_close_dialog);
  while (!dialog->ended && plat_dispatch_one_message()) {
  }
  if (!dialog->ended) native_send(dialog.get(), DLG_MSG_COMMAND, DLG_ID_CANCEL, 0);  // close box
  return dialog->ended ? dialog->result : 0;
}

void plat_end_dialog(WindowHandle dialog, intptr_t result) {
  if (!dialog) return;
  dialog->ended = true;
  dialog->result = result;
}

void plat_set_title(WindowHandle dialog, const char* text) {
  if (!dialog) return;
  dialog->title = text;
  Record({EV_TITLE, 0, text, "", 0, "", "", "", ""});
}

void plat_window_rect(WindowHandle window, PlatRect* rect) {
  if (window) *rect = window->rect;
}

void plat_screen_size(int* width, int* height) {
  *width = 1024;
  *height = 768;
}

void plat_move_window(WindowHandle window, int x, int y) {
  if (!window) return;
  PlatRect& r = window->rect;
  r = {x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
}

void plat_set_class_icon(WindowHandle window, const char* icon_name) {
  if (window) window->class_icon = icon_name;
}

void plat_set_item_text(WindowHandle dialog, int id, const char* text) {
  NativeItem* item = Item(dialog, id);
  if (!item) return;
  item->text = text;
  Record({EV_ITEM_TEXT, id, text, "", 0, "", "", "", ""});
}

uint32_t plat_get_item_text(WindowHandle dialog, int id, char* buffer, uint32_t size) {
  NativeItem* item = Item(dialog, id);
  if (!item || size == 0) return 0;
  size_t n = std::min<size_t>(item->text.size(), size - 1);
  memcpy(buffer, item->text.data(), n);
  buffer[n] = 0;
  return uint32_t(n);
}

void plat_focus_item(WindowHandle dialog, int id) {
  if (Item(dialog, id)) dialog->focus = id;
}

void plat_select_edit_text(WindowHandle dialog, int id, int first, int last) {
  if (NativeItem* item = Item(dialog, id)) {
    item->select_first = first;
    item->select_last = last;
  }
}

void plat_check_button(WindowHandle dialog, int id, bool checked) {
  if (NativeItem* item = Item(dialog, id)) item->checked = checked;
}

bool plat_is_button_checked(WindowHandle dialog, int id) {
  NativeItem* item = Item(dialog, id);
  return item && item->checked;
}

void plat_list_clear(WindowHandle dialog, int id) {
  if (NativeItem* item = Item(dialog, id)) {
    item->list.clear();
    item->selected.clear();
  }
}

int plat_list_add(WindowHandle dialog, int id, const char* text) {
  NativeItem* item = Item(dialog, id);
  if (!item) return -1;
  item->list.push_back(text);
  item->selected.push_back(false);
  return int(item->list.size()) - 1;
}

int plat_list_count(WindowHandle dialog, int id) {
  NativeItem* item = Item(dialog, id);
  return item ? int(item->list.size()) : 0;
}

int plat_list_item_text(WindowHandle dialog, int id, int index, char* buffer, uint32_t size) {
  NativeItem* item = Item(dialog, id);
  if (!item || index < 0 || index >= int(item->list.size())) return -1;
  return int(CopyOut(item->list[size_t(index)], buffer, size));
}

int plat_list_find_exact(WindowHandle dialog, int id, int after, const char* text) {
  NativeItem* item = Item(dialog, id);
  if (!item || item->list.empty()) return -1;
  int count = int(item->list.size());
  int start = (after < 0 || after >= count) ? 0 : after + 1;
  for (int k = 0; k < count; ++k) {
    int index = (start + k) % count;
    if (SameName(item->list[size_t(index)], text)) return index;
  }
  return -1;
}

bool plat_list_is_selected(WindowHandle dialog, int id, int index) {
  NativeItem* item = Item(dialog, id);
  return item && index >= 0 && index < int(item->selected.size()) && item->selected[size_t(index)];
}

void plat_list_select(WindowHandle dialog, int id, int index, bool selected) {
  NativeItem* item = Item(dialog, id);
  if (!item) return;
  if (index == -1) {
    std::fill(item->selected.begin(), item->selected.end(), selected);
  } else if (index >= 0 && index < int(item->selected.size())) {
    item->selected[size_t(index)] = selected;
  }
}

int plat_list_selected_count(WindowHandle dialog, int id) {
  NativeItem* item = Item(dialog, id);
  return item ? int(std::count(item->selected.begin(), item->selected.end(), true)) : 0;
}

// ---------------------------------------------------------------------------
// Messages

void plat_message_box(const char* text, const char* caption, unsigned flags) {
  Record({EV_MESSAGE_BOX, 0, text, caption, flags, "", "", "", ""});
}

bool plat_dispatch_one_message() {
  NativeWorld& w = World();
  if (w.queue.empty()) return false;
  auto [dialog, id] = w.queue.front();
  w.queue.pop_front();
  if (!dialog) dialog = w.current_dialog;
  if (dialog && !dialog->ended) native_send(dialog, DLG_MSG_COMMAND, uintptr_t(id), 0);
  return true;
}

// ---------------------------------------------------------------------------
// Registry, shell links, processes

bool plat_read_user_string(const char* key, const char* subkey, const char* value, char* out,
                           uint32_t size) {
  if (size > 0) out[0] = 0;
  auto& registry = World().registry;
  auto it = registry.find(Folded(std::string(key) + "\\" + subkey + "\\" + value));
  if (it == registry.end()) return false;
  if (size > 0) {
    size_t n = std::min<size_t>(it->second.size(), size - 1);
    memcpy(out, it->second.data(), n);
    out[n] = 0;
  }
  return true;
}

bool plat_com_init() { return true; }
void plat_com_uninit() {}

LinkResult plat_save_shell_link(const ShellLink& link, const char* link_path) {
  if (World().refuse_links) return LINK_NO_OBJECT;
  NativeEvent event{EV_LINK, 0, link_path, "", 0, link.target, link.arguments,
                    link.working_folder, link.description ? link.description : ""};
  // The link file holds its fields, one per line, so tests can read it back.
  FileHandle file = plat_create_file(link_path);
  std::string body = event.target + "\n" + event.arguments + "\n" + event.working_folder + "\n";
  bool saved = file && plat_write_file(file, body.data(), uint32_t(body.size())) == body.size();
  plat_close_file(file);
  event.flags = saved ? LINK_SAVED : LINK_NOT_SAVED;
  Record(event);
  return saved ? LINK_SAVED : LINK_NOT_SAVED;
}

bool plat_run_command(const char* command_line) {
  Record({EV_COMMAND, 0, command_line, "", 0, "", "", "", ""});
  return true;
}

bool plat_start_process(const char* command_line) {
  Record({EV_PROCESS, 0, command_line, "", 0, "", "", "", ""});
  return true;
}

void plat_exit_process(int code) { throw NativeExit{code}; }

uint32_t plat_tick_ms() {
  using namespace std::chrono;
  return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// ---------------------------------------------------------------------------
// Native side: setting and reading

void native_set_root(const std::string& host_dir) {
  NativeWorld& w = World();
  w = NativeWorld();
  w.root = host_dir;
  while (w.root.size() > 1 && w.root.back() == '/') w.root.pop_back();
  native_set_windows_folder("c:\\windows");
}

std::string native_host_path(const char* windows_path) {
  std::vector<std::string> parts;
  if (!Components(windows_path, parts)) return "";
  // The usual cases first: the path, or its folder, exists as spelled.
  std::string exact = World().root, folder;
  for (const std::string& part : parts) {
    folder = exact;
    exact += "/" + part;
  }
  if (parts.empty() || HostExists(exact)) return exact;
  if (HostIsDirectory(folder)) {
    std::string found = ActualName(folder, parts.back());
    return folder + "/" + (found.empty() ? parts.back() : found);
  }
  std::string host = World().root;
  bool resolving = true;  // components below a missing one are taken as given
  for (const std::string& part : parts) {
    std::string actual = part;
    if (resolving && !HostExists(host + "/" + part)) {
      std::string found = ActualName(host, part);
      resolving = !found.empty();
      if (resolving) actual = found;
    }
    host += "/" + actual;
  }
  return host;
}

FileHandle native_open_host_file(const std::string& host_path) {
  return OpenHost(host_path, O_RDONLY);
}

void native_set_windows_folder(const char* windows_path) {
  World().windows_folder = windows_path;
  std::string host = native_host_path(windows_path);
  if (!host.empty() && !HostExists(host)) mkdir(host.c_str(), 0755);
}

void native_set_module_path(const char* windows_path) { World().module_path = windows_path; }

void native_set_user_string(const char* key, const char* subkey, const char* value,
                            const char* data) {
  World().registry[Folded(std::string(key) + "\\" + subkey + "\\" + value)] = data;
}

void native_refuse_link_objects(bool refuse) { World().refuse_links = refuse; }

const std::vector<NativeEvent>& native_events() { return World().events; }

void native_clear_events() { World().events.clear(); }

void native_set_listener(std::function<void(const NativeEvent&)> listener) {
  World().listener = std::move(listener);
}

WindowHandle native_open_dialog(DialogProc proc) {
  WindowHandle dialog = new PlatWindow;
  dialog->proc = proc;
  for (const auto& item : kTemplateItems) dialog->items[item.id].text = item.text;
  World().current_dialog = dialog;
  try {
    native_send(dialog, DLG_MSG_INIT, 0, 0);
  } catch (...) {  // the program ended during the scan pass
    native_close_dialog(dialog);
    throw;
  }
  return dialog;
}

intptr_t native_send(WindowHandle dialog, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return dialog && dialog->proc ? dialog->proc(dialog, message, wparam, lparam) : 0;
}

void native_post_command(WindowHandle dialog, int id) { World().queue.push_back({dialog, id}); }

bool native_dialog_ended(WindowHandle dialog, intptr_t* result) {
  if (!dialog || !dialog->ended) return false;
  if (result) *result = dialog->result;
  return true;
}

std::string native_title(WindowHandle dialog) { return dialog ? dialog->title : ""; }

int native_focused_item(WindowHandle dialog) { return dialog ? dialog->focus : 0; }

void native_close_dialog(WindowHandle dialog) {
  NativeWorld& w = World();
  if (w.current_dialog == dialog) w.current_dialog = nullptr;
  w.queue.erase(std::remove_if(w.queue.begin(), w.queue.end(),
                               [dialog](const auto& posted) { return posted.first == dialog; }),
                w.queue.end());
  delete dialog;
}
