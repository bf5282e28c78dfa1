// The installer's shared state: the one InstallerState of the run.
#include "SFXgbls.h"

InstallerState Installer;

void ResetInstallerState() {
  uint32_t* table = Installer.CrcTable;  // built once for the whole run
  Installer = InstallerState();
  Installer.CrcTable = table;
}
