// GoogleTest's own hook for a port, used by the Windows test builds. Their compiler's thread
// model ("win32", chosen so that the launcher needs no thread library) has no std::mutex and
// no std::condition_variable, which GoogleTest's Notification is built on; everything else
// of GoogleTest's thread support already uses Windows itself. This Notification waits on a
// Windows event instead (notification.cpp).
#ifndef GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
#define GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

// Lets a controlling thread hold new threads until it notifies them. Create and destroy it in
// the controlling thread.
class Notification {
public:
    Notification();
    ~Notification();
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    // Releases every thread that waits, and every later one.
    void Notify();
    // Blocks until Notify has been called.
    void WaitForNotification();

private:
    void* m_event;  // a manual-reset event, so that one Notify releases every waiter
};

}  // namespace internal
}  // namespace testing

#endif  // GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
