// The installer program's own units: its run (Sfx.cpp), its dialog procedure
// (Dialog.cpp) and its shortcuts (Raccoursi.cpp). The passes and the shared
// state they work on are declared in SFXgbls.h.
#pragma once

#include <cstdint>
#include <stdexcept>

#include "SFXgbls.h"

// --- Sfx.cpp ---
// The program from start to exit: COM for the thread, the own file opened,
// the CRC table, the modal dialog MAINDIALOG, the closing. Answers the exit
// code: 0, or 1 when an error escaped from the dialog.
int RunInstaller();

// --- Dialog.cpp ---
// The dialog's end result when an error escaped from one of its handlers; the
// handler reported it in a message box first.
constexpr intptr_t DIALOG_FAILED = 3;
intptr_t PLAT_CALLBACK MainDialogProc(WindowHandle dialog, uint32_t message, uintptr_t wparam,
                                      intptr_t lparam);
// Puts the window in the middle of the screen, keeping its size.
void CenterWindow(WindowHandle window);

// --- Raccoursi.cpp ---
// Raised by CreateShortcut when the shell refuses the link object.
struct LinkObjectError : std::runtime_error {
  LinkObjectError() : std::runtime_error("shell link object refused") {}
};
// Saves the link `name`.lnk to `target` (with `arguments`) in the shortcut
// folder of `place`, creating that folder at the first link of a run.
void CreateShortcut(const char* name, const char* target, const char* arguments, uint8_t place);
