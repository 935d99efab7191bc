#include "setup_dialog.h"

#include "install_script.h"
#include "records.h"
#include "startup_message_dialog.h"

// The start-up message: the install script's "StartupOptions" names a picture; the product's
// section of the shared file remembers whether the user still wants to see it.
void SetupDialog::ShowStartupMessage() {
    // A name of 260 characters or more, which the profile function would cut short, is none.
    char picture[kPathSize];
    const int fits = ReadStartupBitmap(picture, m_paths.scriptPath);
    const int showAgain = ReadShowStartupAgain(m_paths);
    if (showAgain == 0 || !fits || picture[0] == '\0') return;

    StartupMessageDialog dialog(picture);
    if (dialog.DoModal() == -1) return;  // no picture, no message: the setting stays as it was

    // Written whichever way the message was closed (OK or Escape): the box's last state counts.
    WriteShowStartupAgain(m_paths, dialog.GetShowAgain());
}
