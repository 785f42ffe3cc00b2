#include <gtest/gtest.h>
#include <windows.h>

namespace {

// A prefix made moments ago is still starting its desktop, and top-level windows
// made meanwhile are destroyed again at once. Wait until one survives.
struct DesktopReady : ::testing::Environment {
    void SetUp() override
    {
        for (int attempt = 0; attempt < 240; attempt++) {
            HWND probe = CreateWindowExA(0, "STATIC", "probe", WS_OVERLAPPED, 0, 0, 10, 10, NULL, NULL,
                                         GetModuleHandleA(NULL), NULL);
            if (probe) {
                DestroyWindow(probe);
                return;
            }
            Sleep(250);
        }
    }
};

const auto* const desktopReady = ::testing::AddGlobalTestEnvironment(new DesktopReady);

}  // namespace
