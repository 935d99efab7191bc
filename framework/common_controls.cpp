#include "framework/common_controls.h"

#include <windows.h>

#include <commctrl.h>

void RegisterCommonControls() {
    static const bool registered = [] {
        // InitCommonControlsEx is looked up, since the common controls of the first 32-bit
        // Windows lack it and a static import would keep the launcher from loading there. The
        // module is the one the static import of InitCommonControls brought in: with the
        // manifest, the version 6 controls.
        using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        const HMODULE controls = ::GetModuleHandleA("comctl32.dll");
        const auto initEx = controls == nullptr
                                ? nullptr
                                : reinterpret_cast<InitEx>(reinterpret_cast<void (*)()>(
                                      ::GetProcAddress(controls, "InitCommonControlsEx")));
        if (initEx != nullptr) {
            INITCOMMONCONTROLSEX init{};
            init.dwSize = sizeof init;
            init.dwICC = ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
            if (initEx(&init)) return true;
        }
        // Versions before 6 refuse the standard classes, which they do not have; InitCommonControls
        // registers every class of theirs, the progress bar among them.
        ::InitCommonControls();
        return true;
    }();
    (void)registered;
}
