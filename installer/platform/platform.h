// The installer's platform layer: every system service that the installer's
// units call, in the installer's own terms. platform/win32.cpp implements it
// with the ANSI Win32 calls and COM; platform/native.cpp implements it over
// POSIX files and an in-memory dialog, for tests, sfxrun and benchmarks.
//
// Strings are 8-bit Windows-1252 text, NUL-terminated. Paths are Windows
// paths ("c:\dir\file", "\dir", "dir\file"); the native side maps them under a
// root folder chosen by its caller and compares names without regard to case.
// No Windows type appears here, so the header compiles on every host.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Opaque handles: a Win32 HANDLE or HWND on Windows, a record of native.cpp
// otherwise. A null handle is "none" (a failed open yields it, never the
// system's invalid-handle value).
struct PlatFile;
struct PlatWindow;
using FileHandle = PlatFile*;
using WindowHandle = PlatWindow*;

// The dialog procedure's calling convention must be the system's on 32-bit
// Windows, where the dialog manager calls it directly.
#if defined(_WIN32) && defined(__i386__)
#define PLAT_CALLBACK __attribute__((stdcall))
#else
#define PLAT_CALLBACK
#endif

// Answers true when it handled the message, false otherwise.
using DialogProc = intptr_t(PLAT_CALLBACK*)(WindowHandle dialog, uint32_t message,
                                            uintptr_t wparam, intptr_t lparam);

// The dialog messages the installer answers. The values are the system's, so
// the Win32 side passes them through unchanged.
constexpr uint32_t DLG_MSG_INIT = 0x0110;     // the dialog is being created
constexpr uint32_t DLG_MSG_COMMAND = 0x0111;  // wparam's low 16 bits: control id
constexpr int DLG_ID_OK = 1;                  // also Enter
constexpr int DLG_ID_CANCEL = 2;              // also Escape and the close box

// Message box flags: always one OK button and no owner window.
constexpr unsigned BOX_OK = 0x00;
constexpr unsigned BOX_ICON_ERROR = 0x10;

// ---------------------------------------------------------------------------
// Files and folders

// Existing file, read access, shared for reading.
FileHandle plat_open_existing(const char* path);
// Write access, shared for writing, always created (an existing file is
// replaced), archive attribute.
FileHandle plat_create_file(const char* path);
// Existing file opened for writing at its end; none when it is missing.
FileHandle plat_open_append(const char* path);
// Bytes read (0 at the end of the file and on failure).
uint32_t plat_read_file(FileHandle file, void* buffer, uint32_t count);
// Bytes written (0 on failure).
uint32_t plat_write_file(FileHandle file, const void* buffer, uint32_t count);
// Moves to `offset` bytes from the start; answers the new position, or -1
// when the system reports failure.
int32_t plat_seek_file(FileHandle file, int32_t offset);
// False when closing fails, a null handle included.
bool plat_close_file(FileHandle file);

// A directory search for `pattern` ('*' and '?' in its last component only,
// matched without regard to case; "*.*" matches every name). True when it
// finds something; the first name found goes to `name` (when not null, cut to
// `size` bytes with its NUL). The search is closed at once.
bool plat_find_first(const char* pattern, char* name, uint32_t size);
// One folder level; false when it cannot be created (it exists, say).
bool plat_create_folder(const char* path);

// The Windows folder, without a final '\', into buffer; answers its length,
// 0 when it does not fit in `size` bytes with its NUL.
uint32_t plat_windows_folder(char* buffer, uint32_t size);
// The full path of the running program, same contract.
uint32_t plat_module_path(char* buffer, uint32_t size);

// ---------------------------------------------------------------------------
// The dialog and its items

struct PlatRect {
  int left, top, right, bottom;
};

// Runs the dialog from the resource template `name` modally, without owner,
// until plat_end_dialog; answers the end result, -1 when it cannot be made.
intptr_t plat_run_dialog(const char* template_name, DialogProc proc);
void plat_end_dialog(WindowHandle dialog, intptr_t result);
void plat_set_title(WindowHandle dialog, const char* text);
void plat_window_rect(WindowHandle window, PlatRect* rect);
void plat_screen_size(int* width, int* height);
// Moves the window keeping its size and its place in the Z order.
void plat_move_window(WindowHandle window, int x, int y);
// Loads the icon resource `icon_name` and makes it the big icon of the
// window's class.
void plat_set_class_icon(WindowHandle window, const char* icon_name);

void plat_set_item_text(WindowHandle dialog, int id, const char* text);
// Copies at most size - 1 bytes and the NUL; answers the length copied.
uint32_t plat_get_item_text(WindowHandle dialog, int id, char* buffer, uint32_t size);
void plat_focus_item(WindowHandle dialog, int id);
// Selects characters first to last of an edit item.
void plat_select_edit_text(WindowHandle dialog, int id, int first, int last);
void plat_check_button(WindowHandle dialog, int id, bool checked);
bool plat_is_button_checked(WindowHandle dialog, int id);

// List box items (unsorted, multiple selection).
void plat_list_clear(WindowHandle dialog, int id);
// Appends an item; answers its index.
int plat_list_add(WindowHandle dialog, int id, const char* text);
int plat_list_count(WindowHandle dialog, int id);
// The item's text (cut to size - 1 bytes); answers its length, -1 for no item.
int plat_list_item_text(WindowHandle dialog, int id, int index, char* buffer, uint32_t size);
// Exact-string search without regard to case, beginning with the item after
// `after` (-1: the first item) and wrapping around past the last; answers the
// index found or -1.
int plat_list_find_exact(WindowHandle dialog, int id, int after, const char* text);
bool plat_list_is_selected(WindowHandle dialog, int id, int index);
// Selects or deselects one item, or every item when index is -1.
void plat_list_select(WindowHandle dialog, int id, int index, bool selected);
int plat_list_selected_count(WindowHandle dialog, int id);

// ---------------------------------------------------------------------------
// Messages

// No owner window, one OK button; `flags` is BOX_OK or BOX_ICON_ERROR.
void plat_message_box(const char* text, const char* caption, unsigned flags);
// Takes one waiting message of the thread's queue (peek with removal),
// translates and dispatches it; false when the queue was empty.
bool plat_dispatch_one_message();

// ---------------------------------------------------------------------------
// Registry, shell links, processes

// Reads the string value `value` of HKEY_CURRENT_USER\key\subkey; `key` is
// opened with full access and created when missing, `subkey` only opened.
// False (and an empty `out`) when the subkey or the value is missing.
bool plat_read_user_string(const char* key, const char* subkey, const char* value, char* out,
                           uint32_t size);

// COM for the calling thread (single-threaded apartment).
bool plat_com_init();
void plat_com_uninit();

struct ShellLink {
  const char* target;          // the path the link starts
  const char* arguments;       // its command-line arguments, possibly empty
  const char* working_folder;  // possibly empty
  const char* description;     // null: not set
};
enum LinkResult {
  LINK_SAVED,
  LINK_NOT_SAVED,  // the object was made but the save failed (not reported)
  LINK_NO_OBJECT,  // the link object or one of its interfaces was refused
};
// Makes a shell link object, sets its fields and saves it to `link_path`
// (converted to UTF-16), replacing a link of that name.
LinkResult plat_save_shell_link(const ShellLink& link, const char* link_path);

// Runs a command line with a normally shown window, not waiting.
bool plat_run_command(const char* command_line);
// Starts a process whose whole command line is given: no application name,
// no inherited handles, a new console, normal priority, the caller's
// environment and folder, shown normally. Not waited for.
bool plat_start_process(const char* command_line);
// Ends the program at once. Natively it throws NativeExit (see below), so
// that a test or sfxrun sees the end without losing its own process.
[[noreturn]] void plat_exit_process(int code);

// Milliseconds since some fixed moment, wrapping.
uint32_t plat_tick_ms();

// ---------------------------------------------------------------------------
// Native side only: what tests, sfxrun and benchmarks set and read.
#ifndef _WIN32

struct NativeExit {
  int code;
};

// Maps "c:\" (any case), "\" and relative paths onto `host_dir`, which must
// exist. Also resets every record below, the registry and the message queue.
void native_set_root(const std::string& host_dir);
// The host path that a Windows path maps to; existing components keep their
// own spelling, found without regard to case. Empty for another drive.
std::string native_host_path(const char* windows_path);
// A file outside the mapped drive, opened as plat_open_existing would.
FileHandle native_open_host_file(const std::string& host_path);
// What plat_windows_folder and plat_module_path answer ("c:\windows" and
// "c:\setup.exe" after native_set_root); the Windows folder is created.
void native_set_windows_folder(const char* windows_path);
void native_set_module_path(const char* windows_path);
void native_set_user_string(const char* key, const char* subkey, const char* value,
                            const char* data);
// Makes plat_save_shell_link answer LINK_NO_OBJECT while set.
void native_refuse_link_objects(bool refuse);

// Everything the user would see or the system would be asked, in order.
enum NativeEventKind {
  EV_TITLE,        // text: the dialog's new title
  EV_ITEM_TEXT,    // item, text: a dialog item's new text
  EV_MESSAGE_BOX,  // text, caption, flags
  EV_COMMAND,      // text: a command line run by plat_run_command
  EV_PROCESS,      // text: a command line started by plat_start_process
  EV_LINK,         // text: the link's path; link fields in target, ...
};
struct NativeEvent {
  NativeEventKind kind;
  int item;
  std::string text;
  std::string caption;
  unsigned flags;
  std::string target, arguments, working_folder, description;
};
const std::vector<NativeEvent>& native_events();
void native_clear_events();
// Called with each event as it happens (a message box's "answer": the
// listener may post commands, for example); empty to remove.
void native_set_listener(std::function<void(const NativeEvent&)> listener);

// An in-memory MAINDIALOG: the template's items with their texts, an empty
// hidden list box (301), nothing checked. native_open_dialog sends
// DLG_MSG_INIT to `proc` and answers the dialog; native_send calls the
// procedure with one message.
WindowHandle native_open_dialog(DialogProc proc);
intptr_t native_send(WindowHandle dialog, uint32_t message, uintptr_t wparam, intptr_t lparam);
// Queues a command (a press of control `id`) for plat_dispatch_one_message;
// a null dialog means the dialog plat_run_dialog will open next.
void native_post_command(WindowHandle dialog, int id);
// True once plat_end_dialog was called; its result goes to *result.
bool native_dialog_ended(WindowHandle dialog, intptr_t* result);
std::string native_title(WindowHandle dialog);
int native_focused_item(WindowHandle dialog);
void native_close_dialog(WindowHandle dialog);

#endif
