// The band on the screens and display scalings people have: the console is
// started afresh at each size and density, and laid out again when the
// resolution changes while it runs.
#include <cstdlib>
#include <thread>

#include "tests/e2e/console_fixture.h"

namespace vh::e2e {
namespace {

const wchar_t* const desktop_key = L"Control Panel\\Desktop";

// Window rectangles in the console's own pixels: a tool that is not DPI
// aware would read them scaled where Windows (and Wine 10) virtualise.
void measure_in_physical_pixels() {
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    const auto set_context = reinterpret_cast<SetContextFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    if (!set_context || !set_context(reinterpret_cast<HANDLE>(-4))) SetProcessDPIAware();
}

std::optional<DWORD> log_pixels() {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, desktop_key, L"LogPixels", RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// The density a program started from now on reads.
void set_log_pixels(std::optional<DWORD> dpi) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, desktop_key, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    if (dpi)
        RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*dpi),
                       sizeof *dpi);
    else
        RegDeleteValueW(key, L"LogPixels");
    RegCloseKey(key);
}

bool set_resolution(int width, int height) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    if (ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr) != DISP_CHANGE_SUCCESSFUL)
        return false;
    return wait_until([&] {
        return GetSystemMetrics(SM_CXSCREEN) == width && GetSystemMetrics(SM_CYSCREEN) == height;
    });
}

bool is_white(COLORREF colour) {
    return GetRValue(colour) > 200 && GetGValue(colour) > 200 && GetBValue(colour) > 200;
}

struct Screen {
    int width, height, dpi;
    int band_height;  // taller than a quarter where the lines need it
};

class ConsoleScreen : public ConsoleTest {
protected:
    void SetUp() override {
        measure_in_physical_pixels();
        saved_dpi_ = log_pixels();
        saved_width_ = GetSystemMetrics(SM_CXSCREEN);
        saved_height_ = GetSystemMetrics(SM_CYSCREEN);
        ConsoleTest::SetUp();
    }
    void TearDown() override {
        ConsoleTest::TearDown();
        set_log_pixels(saved_dpi_);
        set_resolution(saved_width_, saved_height_);
    }

    // Sets the display up, or says why it cannot: a display smaller than the
    // size (the test command gives these tests a large one) is skipped
    // unless the table is required.
    bool use_screen(int width, int height) {
        if (set_resolution(width, height)) return true;
        const char* required = std::getenv("VH_SCREEN_TABLE");
        if (required && std::string(required) == "1")
            ADD_FAILURE() << "the display did not take " << width << "x" << height;
        return false;
    }

    // Everything the band must hold at any size: the screen's width from
    // its top-left corner, every history line inside, the newest wholly
    // above the input line.
    void expect_laid_out(int screen_width) {
        const RECT outer = screen_rect(band);
        EXPECT_EQ(outer.left, 0);
        EXPECT_EQ(outer.top, 0);
        EXPECT_EQ(outer.right - outer.left, screen_width);
        RECT client{};
        GetClientRect(band, &client);
        const RECT input_box = rect_in_parent(input);
        EXPECT_LT(input_box.top, client.bottom);
        const auto labels = history_labels();
        for (int i = 0; i < 6; ++i) {
            const RECT line = rect_in_parent(labels[i]);
            EXPECT_GE(line.top, 0) << "line " << i;
            EXPECT_LE(line.bottom, client.bottom) << "line " << i;
            if (i > 0) {
                EXPECT_LE(line.bottom, rect_in_parent(labels[i - 1]).top) << i;
            }
        }
        EXPECT_LE(rect_in_parent(labels[0]).bottom, input_box.top);
    }

    std::optional<DWORD> saved_dpi_;
    int saved_width_ = 0, saved_height_ = 0;
};

TEST_F(ConsoleScreen, TheBandFitsEveryScreenSizeAndScaling) {
    const Screen screens[] = {{1024, 768, 96, 192},
                              {1366, 768, 120, 228},
                              {1920, 1080, 144, 278},
                              {2560, 1440, 192, 367}};
    for (const Screen& s : screens) {
        const std::string name = std::to_string(s.width) + "x" + std::to_string(s.height) +
                                 "_" + std::to_string(s.dpi) + "dpi";
        SCOPED_TRACE(name);
        if (!use_screen(s.width, s.height)) continue;
        set_log_pixels(static_cast<DWORD>(s.dpi));
        start_console();
        if (!band) return;
        expect_laid_out(s.width);
        // The height shows that the console measured at the set density.
        const RECT outer = screen_rect(band);
        EXPECT_EQ(outer.bottom - outer.top, s.band_height);
        // A typed command comes back in the newest line, drawn where it can
        // be seen: white text over the black band.
        const std::string line = "проверка " + name;
        enter(line);
        EXPECT_EQ(history(0), line);
        std::this_thread::sleep_for(300ms);
        EXPECT_TRUE(find_pixels(screen_rect(history_labels()[0]), is_white).has_value())
            << "no text drawn in the newest line";
        shot("screen_" + name);
        console.kill();
    }
}

TEST_F(ConsoleScreen, AChangeOfResolutionLaysTheBandOutAgainKeepingItsTexts) {
    if (!use_screen(1024, 768)) GTEST_SKIP() << "the display cannot change its size";
    set_log_pixels(96);
    start_console();
    enter("первая строка");
    bring_to_front(band);
    type_text("ввод");
    ASSERT_TRUE(wait_until([&] { return text_of(input) == "ввод"; }, 2s));
    for (const auto& [width, height] : {std::pair{1280, 1024}, std::pair{800, 600}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        if (!use_screen(width, height)) continue;
        EXPECT_TRUE(wait_until([&] {
            const RECT outer = screen_rect(band);
            return outer.right - outer.left == width;
        })) << "the band kept its width";
        expect_laid_out(width);
        EXPECT_EQ(history(0), "первая строка");
        EXPECT_EQ(text_of(input), "ввод");
        shot("screen_changed_" + std::to_string(width) + "x" + std::to_string(height));
    }
}

}  // namespace
}  // namespace vh::e2e
