#include "framework/command_line_info.h"

#include <shellapi.h>

#include <string>

void CCommandLineInfo::ParseParam(const char*, BOOL, BOOL) {}

namespace {

// The argument in the ANSI code page; characters without an ANSI form become the code page's
// default character.
std::string ToAnsi(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, result.data(), size, nullptr, nullptr);
    result.resize(static_cast<std::size_t>(size - 1));
    return result;
}

}  // namespace

BOOL ParseCommandLineText(const wchar_t* commandLine, CCommandLineInfo& info) {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(commandLine, &count);
    if (arguments == nullptr) return FALSE;
    BOOL ok = TRUE;
    try {
        for (int i = 1; i < count; ++i) {
            const std::string argument = ToAnsi(arguments[i]);
            const bool isSwitch = !argument.empty() && (argument[0] == '-' || argument[0] == '/');
            info.ParseParam(argument.c_str() + (isSwitch ? 1 : 0), isSwitch ? TRUE : FALSE,
                            i == count - 1 ? TRUE : FALSE);
        }
    } catch (...) {
        ok = FALSE;
    }
    ::LocalFree(arguments);
    return ok;
}
