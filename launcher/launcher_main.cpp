// The launcher's one application object; the framework's entry point finds and runs it.
#include "launcher/launcher_app.h"

namespace {
LauncherApp g_launcherApp;
}  // namespace
