// The console band: the designed main form of the console, with its input
// line (the designed RichTextBox1), its six history labels (Label1(0) to
// Label1(5)) and its icon menu (Otk_Skr, mnu_about, mnu_quit). It owns the
// controls, the shared console state and the Win32 side of every console
// part; the logic it runs is portable.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "console/band_placement.h"
#include "console/console_state.h"
#include "console/console_view.h"
#include "console/f12_road_win.h"
#include "console/icon_menu_win.h"
#include "console/layout.h"
#include "console/skin_win.h"
#include "shared/screen_units_win.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/routed_window_proc.h"
#include "platform/win32/win_handle.h"
#include "platform/win32/win_monitors.h"
#include "platform/win32/win_registry.h"
#include "platform/win32/win_system.h"

namespace vh {

class CommandInterpreter;
class AliasStore;
class AboutBox;

class ConsoleWindow : public ConsoleView, private BandWindow {
public:
    ConsoleWindow();
    ~ConsoleWindow() override;

    // Creates the band hidden, runs the load sequence, then shows it.
    // close_event: an installer's close request, null where there is none.
    bool create(HINSTANCE instance, int show_command, HANDLE close_event);
    HWND window() const { return window_; }
    // Whether the console's waiting thread answers the close event; where
    // it does not, the message loop must.
    bool listens_for_close() const { return f12_.listens_for_close(); }
    // The About box takes Enter and Esc like a dialog.
    bool is_dialog_message(MSG& message);

    // ConsoleView
    std::string input_text() override;
    void set_input_text(const std::string& text) override;
    std::string history_line(int index) override;
    void set_history_line(int index, const std::string& text) override;
    bool visible() override;
    void set_visible(bool visible) override;
    bool in_front() override;
    void bring_to_front() override;
    void show_about() override;
    void set_text_color(const TextColor& color) override;
    LoadResult load_skin(const std::string& path) override;
    void set_timer_interval(int milliseconds) override;
    void unload_and_exit() override;

private:
    friend LRESULT CALLBACK routed_window_proc<ConsoleWindow>(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND window) { window_ = window; }
    static LRESULT CALLBACK input_proc(HWND input, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    bool on_registered_message(UINT message);

    void load();
    void unload();
    void on_mouse_down(LPARAM position);
    void on_close_request();
    // BandWindow
    bool shown() override { return visible(); }
    void move_band(const ScreenRect& outer) override;
    void apply_layout(const ConsoleLayout& layout) override;

    void place_on_working_monitor();
    void on_display_change();
    void on_setting_change(WPARAM setting);
    void on_dpi_changed(WPARAM dpis, const RECT& suggested);
    void load_fonts(const ConsoleLayout& layout);
    bool load_tray_icon();
    void create_controls(const ConsoleLayout& layout);
    void place_controls(const ConsoleLayout& layout);
    void show_menu();
    void on_command(int id);
    void on_draw_label(const DRAWITEMSTRUCT& item);
    LRESULT on_color_input(HDC dc);
    void on_erase_background(HDC dc);
    LRESULT on_input_char(WPARAM character);
    void repaint_all();
    HWND create_child(const wchar_t* window_class, DWORD style, const PixelRect& box, int id);

    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    HWND input_line_ = nullptr;
    std::array<HWND, history_lines> history_labels_{};  // 0 newest, lowest
    WNDPROC input_default_proc_ = nullptr;
    HICON icon_ = nullptr;     // the program's icon at the large size
    Icon tray_icon_;           // at the size the notification area asks for
    int tray_icon_size_ = 0;
    Font input_font_, label_font_;
    Brush input_background_;
    COLORREF text_color_ = RGB(255, 255, 255);
    Skin skin_;
    TwipScale scale_;
    int twips_per_pixel_y_ = 15;
    bool unloaded_ = false;
    bool settings_writable_ = true;
    HANDLE close_event_ = nullptr;
    F12Keys f12_;
    IconMenu menu_;
    WinMonitors monitors_;
    std::unique_ptr<BandPlacer> placer_;

    ConsoleState state_;
    WinFileSystem file_system_;
    WinRegistry registry_;
    WinProcessStarter starter_;
    WinKeyState keys_;
    WinSessionControl session_;
    std::unique_ptr<AliasStore> aliases_;
    std::unique_ptr<CommandInterpreter> interpreter_;
    std::unique_ptr<AboutBox> about_;
};

}  // namespace vh
