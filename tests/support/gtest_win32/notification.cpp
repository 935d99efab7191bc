// GoogleTest's Notification on a Windows event; see gtest/internal/custom/gtest-port.h.
#include <windows.h>

#include <cstdlib>

#include "gtest/internal/custom/gtest-port.h"

namespace testing {
namespace internal {

Notification::Notification() : m_event(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    // GoogleTest's own Notification cannot fail; neither may this one.
    if (m_event == nullptr) std::abort();
}

Notification::~Notification() { ::CloseHandle(m_event); }

void Notification::Notify() { ::SetEvent(m_event); }

void Notification::WaitForNotification() { ::WaitForSingleObject(m_event, INFINITE); }

}  // namespace internal
}  // namespace testing
