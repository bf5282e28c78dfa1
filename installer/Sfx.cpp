// Sfx: the installer's run from start to exit. COM for the thread, the
// installer's own file opened for the passes, the CRC table, the modal dialog
// MAINDIALOG, then the closing of the file and the table.
#include "Sfx.h"

namespace {

constexpr uint32_t OWN_PATH_SIZE = 260;

void CloseRun() {
  if (!plat_close_file(Installer.ArchiveHandle)) plat_message_box("Fermeture fichier", "Erreur", BOX_OK);
  Installer.ArchiveHandle = nullptr;
  delete[] Installer.CrcTable;
  Installer.CrcTable = nullptr;
  plat_com_uninit();
}

}  // namespace

int RunInstaller() {
  plat_com_init();
  // An own file that cannot be opened is reported by the first pass.
  char ownPath[OWN_PATH_SIZE];
  if (plat_module_path(ownPath, sizeof ownPath) == 0) ownPath[0] = '\0';
  Installer.ArchiveHandle = plat_open_existing(ownPath);
  BuildCrcTable();
  Installer.ArchiveOffset = ARCHIVE_OFFSET;
  // A dialog that cannot be made ends the run as a closed one does.
  plat_run_dialog("MainDialog", MainDialogProc);
  CloseRun();
  return 0;
}

#ifdef _WIN32
// The program takes nothing from its command line.
extern "C" int PLAT_CALLBACK WinMain(void*, void*, char*, int) { return RunInstaller(); }
#endif
