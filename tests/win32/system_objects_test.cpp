// The Win32 layer's own defences, on Windows itself: DLLs that are not
// among the KnownDLLs come from the system folder, and a console's close
// event is used only where the console made it.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/console_close_event.h"
#include "platform/win32/system_dll.h"

namespace vh {
namespace {

TEST(SystemDll, LoadsFromTheSystemFolderOnlyAndFindsWhatItExports) {
    const SystemDll version("version.dll");
    ASSERT_TRUE(version.loaded());
    EXPECT_NE(version.function<decltype(VerQueryValueW)>("VerQueryValueW"), nullptr);
    EXPECT_EQ(version.function<void()>("NoSuchExport"), nullptr);
    // A DLL that only the program's folder could hold is not found.
    const SystemDll e2e_only("menu_probe.dll");
    EXPECT_FALSE(e2e_only.loaded());
    EXPECT_EQ(e2e_only.function<void()>("menu_probe_hook"), nullptr);
}

// The test process stands for a console: its close event is named by its id.
TEST(ConsoleCloseEvent, OnlyAnEventTheConsoleMadeIsListenedToAndSet) {
    const DWORD id = GetCurrentProcessId();
    {
        const WinHandle own = create_console_close_event();
        ASSERT_TRUE(own);
        EXPECT_TRUE(open_console_close_event(id, EVENT_MODIFY_STATE))
            << "the console's own event was refused";
    }
    // Made first by another, without the console's descriptor. Under Wine
    // such an event has no owner, which stands for another user's; on
    // Windows its owner would be this test's user, whose event it may set.
    const WinHandle other(
        CreateEventW(nullptr, TRUE, FALSE, console_close_event_name(id).c_str()));
    ASSERT_TRUE(other);
    EXPECT_FALSE(create_console_close_event()) << "the console listens on another's event";
    EXPECT_FALSE(open_console_close_event(id, EVENT_MODIFY_STATE))
        << "an installer would set another's event";
}

}  // namespace
}  // namespace vh
