#include "setup_dialog.h"

// The start-up message shows the install script's picture before the game runs. Until its
// dialog exists nothing is shown and the game starts at once.
void SetupDialog::ShowStartupMessage() {}
