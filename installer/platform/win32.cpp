// The platform layer over the ANSI Win32 calls and COM: kernel32 files and
// folders, user32 dialog items, message boxes and the message queue,
// advapi32 registry values, the shell's link object through IShellLinkA and
// IPersistFile. Links with user32, advapi32 and ole32.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "platform.h"

namespace {

// The shell's link class, its basic interface and the two used on it.
const GUID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID kUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID kShellLinkA = {0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID kPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

static_assert(DLG_MSG_INIT == WM_INITDIALOG && DLG_MSG_COMMAND == WM_COMMAND, "dialog messages");
static_assert(DLG_ID_OK == IDOK && DLG_ID_CANCEL == IDCANCEL, "dialog commands");
static_assert(BOX_ICON_ERROR == MB_ICONERROR, "message box icon");

HANDLE H(FileHandle file) { return file ? reinterpret_cast<HANDLE>(file) : INVALID_HANDLE_VALUE; }
FileHandle F(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? nullptr : reinterpret_cast<FileHandle>(handle);
}
HWND W(WindowHandle window) { return reinterpret_cast<HWND>(window); }

LRESULT ListMessage(WindowHandle dialog, int id, UINT message, WPARAM wparam, LPARAM lparam) {
  return SendDlgItemMessageA(W(dialog), id, message, wparam, lparam);
}

// A system answer of `length` characters into a buffer of `size` bytes:
// the length, or 0 when it failed or did not fit.
uint32_t Fitted(DWORD length, char* buffer, uint32_t size) {
  if (length == 0 || length >= size) {
    if (size > 0) buffer[0] = 0;
    return 0;
  }
  return length;
}

}  // namespace

// ---------------------------------------------------------------------------
// Files and folders

FileHandle plat_open_existing(const char* path) {
  return F(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileHandle plat_create_file(const char* path) {
  return F(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_ARCHIVE, nullptr));
}

FileHandle plat_open_append(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) SetFilePointer(file, 0, nullptr, FILE_END);
  return F(file);
}

uint32_t plat_read_file(FileHandle file, void* buffer, uint32_t count) {
  DWORD done = 0;
  if (!ReadFile(H(file), buffer, count, &done, nullptr)) return 0;
  return done;
}

uint32_t plat_write_file(FileHandle file, const void* buffer, uint32_t count) {
  DWORD done = 0;
  if (!WriteFile(H(file), buffer, count, &done, nullptr)) return 0;
  return done;
}

int32_t plat_seek_file(FileHandle file, int32_t offset) {
  SetLastError(NO_ERROR);
  DWORD position = SetFilePointer(H(file), offset, nullptr, FILE_BEGIN);
  if (position == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return -1;
  return int32_t(position);
}

bool plat_close_file(FileHandle file) { return file && CloseHandle(H(file)); }

bool plat_find_first(const char* pattern, char* name, uint32_t size) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  if (name && size > 0) lstrcpynA(name, found.cFileName, int(size));
  FindClose(search);
  return true;
}

bool plat_create_folder(const char* path) { return CreateDirectoryA(path, nullptr) != 0; }

uint32_t plat_windows_folder(char* buffer, uint32_t size) {
  return Fitted(GetWindowsDirectoryA(buffer, size), buffer, size);
}

uint32_t plat_module_path(char* buffer, uint32_t size) {
  return Fitted(GetModuleFileNameA(nullptr, buffer, size), buffer, size);
}

// ---------------------------------------------------------------------------
// The dialog and its items

intptr_t plat_run_dialog(const char* template_name, DialogProc proc) {
  // DialogProc has DLGPROC's arguments and calling convention.
  return DialogBoxParamA(GetModuleHandleA(nullptr), template_name, nullptr,
                         reinterpret_cast<DLGPROC>(reinterpret_cast<void*>(proc)), 0);
}

void plat_end_dialog(WindowHandle dialog, intptr_t result) { EndDialog(W(dialog), result); }

void plat_set_title(WindowHandle dialog, const char* text) { SetWindowTextA(W(dialog), text); }

void plat_window_rect(WindowHandle window, PlatRect* rect) {
  RECT r;
  GetWindowRect(W(window), &r);
  *rect = {int(r.left), int(r.top), int(r.right), int(r.bottom)};
}

void plat_screen_size(int* width, int* height) {
  *width = GetSystemMetrics(SM_CXSCREEN);
  *height = GetSystemMetrics(SM_CYSCREEN);
}

void plat_move_window(WindowHandle window, int x, int y) {
  SetWindowPos(W(window), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void plat_set_class_icon(WindowHandle window, const char* icon_name) {
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), icon_name);
  SetClassLongPtrA(W(window), GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
}

void plat_set_item_text(WindowHandle dialog, int id, const char* text) {
  SetDlgItemTextA(W(dialog), id, text);
}

uint32_t plat_get_item_text(WindowHandle dialog, int id, char* buffer, uint32_t size) {
  if (size == 0) return 0;
  buffer[0] = 0;
  return GetDlgItemTextA(W(dialog), id, buffer, int(size));
}

void plat_focus_item(WindowHandle dialog, int id) { SetFocus(GetDlgItem(W(dialog), id)); }

void plat_select_edit_text(WindowHandle dialog, int id, int first, int last) {
  ListMessage(dialog, id, EM_SETSEL, WPARAM(first), LPARAM(last));
}

void plat_check_button(WindowHandle dialog, int id, bool checked) {
  CheckDlgButton(W(dialog), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool plat_is_button_checked(WindowHandle dialog, int id) {
  return IsDlgButtonChecked(W(dialog), id) == BST_CHECKED;
}

void plat_list_clear(WindowHandle dialog, int id) { ListMessage(dialog, id, LB_RESETCONTENT, 0, 0); }

int plat_list_add(WindowHandle dialog, int id, const char* text) {
  LRESULT index = ListMessage(dialog, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  return index < 0 ? -1 : int(index);
}

int plat_list_count(WindowHandle dialog, int id) {
  LRESULT count = ListMessage(dialog, id, LB_GETCOUNT, 0, 0);
  return count < 0 ? 0 : int(count);
}

int plat_list_item_text(WindowHandle dialog, int id, int index, char* buffer, uint32_t size) {
  LRESULT length = ListMessage(dialog, id, LB_GETTEXTLEN, WPARAM(index), 0);
  if (length < 0 || size == 0) return -1;
  std::vector<char> text(size_t(length) + 1);  // the list box writes the whole text
  ListMessage(dialog, id, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
  lstrcpynA(buffer, text.data(), int(size));
  return lstrlenA(buffer);
}

int plat_list_find_exact(WindowHandle dialog, int id, int after, const char* text) {
  LRESULT index = ListMessage(dialog, id, LB_FINDSTRINGEXACT, WPARAM(after), reinterpret_cast<LPARAM>(text));
  return index == LB_ERR ? -1 : int(index);
}

bool plat_list_is_selected(WindowHandle dialog, int id, int index) {
  return ListMessage(dialog, id, LB_GETSEL, WPARAM(index), 0) > 0;
}

void plat_list_select(WindowHandle dialog, int id, int index, bool selected) {
  ListMessage(dialog, id, LB_SETSEL, WPARAM(selected), LPARAM(index));
}

int plat_list_selected_count(WindowHandle dialog, int id) {
  LRESULT count = ListMessage(dialog, id, LB_GETSELCOUNT, 0, 0);
  return count < 0 ? 0 : int(count);
}

// ---------------------------------------------------------------------------
// Messages

void plat_message_box(const char* text, const char* caption, unsigned flags) {
  MessageBoxA(nullptr, text, caption, MB_OK | flags);
}

bool plat_dispatch_one_message() {
  MSG message;
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
  TranslateMessage(&message);
  DispatchMessageA(&message);
  return true;
}

// ---------------------------------------------------------------------------
// Registry, shell links, processes

bool plat_read_user_string(const char* key, const char* subkey, const char* value, char* out,
                           uint32_t size) {
  if (size > 0) out[0] = 0;
  HKEY parent, child;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &parent, nullptr) !=
      ERROR_SUCCESS)
    return false;
  bool found = false;
  if (RegOpenKeyExA(parent, subkey, 0, KEY_ALL_ACCESS, &child) == ERROR_SUCCESS) {
    DWORD type, length = size;
    found = size > 0 &&
            RegQueryValueExA(child, value, nullptr, &type, reinterpret_cast<BYTE*>(out), &length) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ);
    if (found) out[length < size ? length : size - 1] = 0;  // a stored value may lack its NUL
    else if (size > 0) out[0] = 0;
    RegCloseKey(child);
  }
  RegCloseKey(parent);
  return found;
}

bool plat_com_init() { return SUCCEEDED(CoInitialize(nullptr)); }

void plat_com_uninit() { CoUninitialize(); }

LinkResult plat_save_shell_link(const ShellLink& link, const char* link_path) {
  IUnknown* object = nullptr;
  if (FAILED(CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              kUnknown, reinterpret_cast<void**>(&object))))
    return LINK_NO_OBJECT;
  IShellLinkA* shellLink = nullptr;
  IPersistFile* file = nullptr;
  object->QueryInterface(kShellLinkA, reinterpret_cast<void**>(&shellLink));
  object->QueryInterface(kPersistFile, reinterpret_cast<void**>(&file));
  LinkResult result = LINK_NO_OBJECT;
  if (shellLink && file) {
    shellLink->SetArguments(link.arguments);
    shellLink->SetPath(link.target);
    shellLink->SetWorkingDirectory(link.working_folder);
    if (link.description) shellLink->SetDescription(link.description);
    int length = MultiByteToWideChar(CP_ACP, 0, link_path, -1, nullptr, 0);
    std::vector<wchar_t> widePath(size_t(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, link_path, -1, widePath.data(), length);
    result = SUCCEEDED(file->Save(widePath.data(), FALSE)) ? LINK_SAVED : LINK_NOT_SAVED;
  }
  if (file) file->Release();
  if (shellLink) shellLink->Release();
  object->Release();
  return result;
}

bool plat_run_command(const char* command_line) { return WinExec(command_line, SW_SHOWNORMAL) > 31; }

bool plat_start_process(const char* command_line) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process;
  std::vector<char> line(command_line, command_line + lstrlenA(command_line) + 1);  // may be changed
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &process) != 0;
}

void plat_exit_process(int code) { ExitProcess(UINT(code)); }

uint32_t plat_tick_ms() { return GetTickCount(); }
