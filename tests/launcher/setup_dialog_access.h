// The tests' way into SetupDialog (its friend): the product paths a test points at its own
// folders, the state the window keeps, and the operations a test drives one at a time.
#pragma once

#include <windows.h>

#include "launcher/setup_dialog.h"

struct SetupDialogTestAccess {
    static ProductPaths& Paths(SetupDialog& dialog) { return dialog.m_paths; }
    static CCheckListBox& Components(SetupDialog& dialog) { return dialog.m_components; }
    static HICON Icon(const SetupDialog& dialog) { return dialog.m_hIcon; }
    static int Shown(const SetupDialog& dialog) { return dialog.m_shown; }
    static int Advanced(const SetupDialog& dialog) { return dialog.m_advanced; }
    static int OptionalCount(const SetupDialog& dialog) { return dialog.m_optionalCount; }
    static int LayoutDistance(const SetupDialog& dialog) { return dialog.m_layoutDistance; }
    static ULONGLONG Required(const SetupDialog& dialog) { return dialog.m_required; }
    static ULONGLONG& Available(SetupDialog& dialog) { return dialog.m_available; }

    static int FreeComponents(SetupDialog& dialog) { return dialog.FreeComponents(); }
    static void ShowStartupMessage(SetupDialog& dialog) { dialog.ShowStartupMessage(); }
    static void BrowseWithShell(SetupDialog& dialog) { dialog.BrowseWithShell(); }
    static void BrowseWithOpenFileDialog(SetupDialog& dialog) { dialog.BrowseWithOpenFileDialog(); }
};
