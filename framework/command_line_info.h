#pragma once
// CCommandLineInfo: receives the program's arguments one by one.

#include <windows.h>

class CCommandLineInfo {
public:
    CCommandLineInfo() = default;
    virtual ~CCommandLineInfo() = default;

    // Called once per argument after the program name. pszParam is the argument with one
    // leading '-' or '/' removed; bFlag is TRUE when one was removed; bLast is TRUE for the last
    // argument. The default ignores the argument (the program has no documents to open).
    virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);
};

// Splits commandLine with the platform's quoting rules (the program name first) and calls
// info.ParseParam for every argument after the program name. Arguments are converted to the
// ANSI code page. Returns FALSE when the line could not be split.
BOOL ParseCommandLineText(const wchar_t* commandLine, CCommandLineInfo& info);
