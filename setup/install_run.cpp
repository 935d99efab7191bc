#include "setup_dialog.h"

// The install run. Until it exists nothing is installed and the dialog stays open on OK.
int SetupDialog::RunInstall() { return 0; }
