// The installer program's own units: its run (Sfx.cpp), its dialog procedure
// (Dialog.cpp) and its shortcuts (Raccoursi.cpp). The passes and the shared
// state they work on are declared in SFXgbls.h.
//
// No error escapes these units: every failure is a result, reported where it
// happens in a message box. (The Windows build runs without exception
// unwinding; see win32/lean_runtime.cpp.)
#pragma once

#include <cstdint>

#include "SFXgbls.h"

// --- Sfx.cpp ---
// The program from start to exit: COM for the thread, the own file opened,
// the CRC table, the modal dialog MAINDIALOG, the closing. Answers the exit
// code, 0.
int RunInstaller();

// --- Dialog.cpp ---
intptr_t PLAT_CALLBACK MainDialogProc(WindowHandle dialog, uint32_t message, uintptr_t wparam,
                                      intptr_t lparam);
// Puts the window in the middle of the screen, keeping its size.
void CenterWindow(WindowHandle window);

// --- Raccoursi.cpp ---
// Saves the link `name`.lnk to `target` (with `arguments`) in the shortcut
// folder of `place`, creating that folder at the first link of a run. False
// when the shell refused its link object: the error the caller reports. A
// link that could not be saved is not reported.
bool CreateShortcut(const char* name, const char* target, const char* arguments, uint8_t place);
