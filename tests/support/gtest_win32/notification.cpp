// GoogleTest's Notification on a Windows event; see gtest/internal/custom/gtest-port.h.
#include <windows.h>

#include <cstdlib>

#include "gtest/internal/custom/gtest-port.h"

namespace testing {
namespace internal {

Notification::Notification() : event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  // GoogleTest's own Notification cannot fail; neither may this one.
  if (event_ == nullptr) std::abort();
}

Notification::~Notification() { ::CloseHandle(event_); }

void Notification::Notify() { ::SetEvent(event_); }

void Notification::WaitForNotification() { ::WaitForSingleObject(event_, INFINITE); }

}  // namespace internal
}  // namespace testing
