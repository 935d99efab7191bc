#include "launcher/startup_message.h"

#include "base/install_script.h"
#include "base/records.h"
#include "launcher/startup_message_dialog.h"

void OfferStartupMessage(const ProductPaths& paths) {
    // A name of 260 characters or more, which the profile function would cut short, is none.
    char picture[kPathSize];
    const int fits = ReadStartupBitmap(picture, paths.scriptPath);
    const int showAgain = ReadShowStartupAgain(paths);
    if (showAgain == 0 || !fits || picture[0] == '\0') return;

    StartupMessageDialog dialog(picture);
    if (dialog.DoModal() == -1) return;  // no picture, no message: the setting stays as it was

    // Written whichever way the message was closed (OK or Escape): the box's last state counts.
    WriteShowStartupAgain(paths, dialog.GetShowAgain());
}
