// The launcher's command line: the switch "a" ("/a", "-a", "/A" or "-A") forces the setup
// dialog even when the product is installed and current; the switch "remove" (any case, the
// exact word) removes the product instead. Every other argument is ignored.
#pragma once

#include "framework/command_line_info.h"

class LauncherCommandLineInfo : public CCommandLineInfo {
public:
    LauncherCommandLineInfo() = default;

    // Sets the force-setup flag for the switch "a" and the removal flag for "remove", in any
    // case; passes everything else on.
    void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) override;

    int m_forceSetup = 0;  // 1 when the switch "a" was given
    int m_remove = 0;      // 1 when the switch "remove" was given
};
