#include "setup_dialog.h"

// Releases the component groups attached to the check-list rows; there are none yet.
int SetupDialog::FreeComponents() { return 1; }
