#include "setup_dialog.h"

// Loading the install script's component groups into the check-list. For now the list stays
// empty, which the dialog shows as nothing to choose.
int SetupDialog::LoadComponents() { return 1; }
