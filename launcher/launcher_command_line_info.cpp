#include "launcher/launcher_command_line_info.h"

void LauncherCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) {
    if (bFlag && lstrcmpiA(pszParam, "a") == 0) {
        m_forceSetup = 1;
        return;
    }
    if (bFlag && lstrcmpiA(pszParam, "remove") == 0) {
        m_remove = 1;
        return;
    }
    CCommandLineInfo::ParseParam(pszParam, bFlag, bLast);
}
