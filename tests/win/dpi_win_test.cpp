// Per-monitor DPI for real: each of the six windows is told that its monitor's scaling changed, as Windows tells
// a per-monitor aware program when the user changes the scale or drags a window to another monitor (Wine never
// does: its screen has one DPI for the whole session). After each change the window must be laid out afresh
// from its tables at the new DPI, and hold what it held before.
#include <gtest/gtest.h>

#include <windowsx.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "../support/desktop.h"
#include "../support/layout_rules.h"
#include "alerts/frm_outputbox.h"
#include "answerer.h"
#include "app/frm_maker.h"
#include "app/frmmain.h"
#include "app/frmmain_layout.h"
#include "quiet_services.h"
#include "tell_dpi.h"

using namespace korimo;

namespace {

class NoHost final : public test::QuietHost {
public:
    void MainWindowDpiChanged(int dpi) override { told.push_back(dpi); }
    std::vector<int> told;
};

// What a user would miss if a change of scaling lost it: texts, ticks, carets and selections, what is shown.
struct ControlState {
    std::wstring text;
    LRESULT check;
    DWORD selStart, selEnd;
    LRESULT firstLine;
    bool visible;
    bool operator==(const ControlState&) const = default;
};

std::vector<ControlState> StateOf(HWND window, std::span<const ui::ControlSpec> table) {
    std::vector<ControlState> states;
    for (const ui::ControlSpec& entry : table) {
        HWND control = GetDlgItem(window, entry.id);
        if (!control || entry.name == L"time") continue; // the countdown ticks on its own; checked apart
        ControlState state{test::ControlText(control), SendMessageW(control, BM_GETCHECK, 0, 0), 0, 0, 0,
                           IsWindowVisible(control) != FALSE};
        if (test::ClassName(control) == L"Edit") {
            SendMessageW(control, EM_GETSEL, reinterpret_cast<WPARAM>(&state.selStart),
                         reinterpret_cast<LPARAM>(&state.selEnd));
            // A view scrolled to its end stays at its end, whichever line that puts at its top at this DPI.
            SCROLLINFO bar{sizeof(bar), SIF_ALL};
            const bool atEnd = GetScrollInfo(control, SB_VERT, &bar) && bar.nPos + static_cast<int>(bar.nPage) > bar.nMax;
            state.firstLine = atEnd ? -1 : SendMessageW(control, EM_GETFIRSTVISIBLELINE, 0, 0);
        }
        states.push_back(state);
    }
    return states;
}

int FontHeight(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font.lfHeight;
}

struct Case {
    const char* name;
    std::span<const ui::ControlSpec> table;
    int widthTwips, heightTwips;
};

class DpiChange : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(main.Load(96, nullptr, nullptr));
        for (ui::PanelWindow* panel : Panels()) ASSERT_TRUE(panel->Load(96));
    }
    std::vector<ui::PanelWindow*> Panels() { return {&panels.pro, &panels.dir, &panels.log}; }

    // Starts at 96, goes to 144, 120 and back to 96; after each, the window is where its tables put it at that
    // DPI and holds what it held.
    void Walk(ui::FaceWindow& window, const Case& c, std::function<void(int dpi)> more = {}) {
        HWND hwnd = window.Hwnd();
        test::WindowLayout layout{c.name, c.table, c.widthTwips, c.heightTwips, {}, {}};
        for (const test::WindowLayout& known : test::PanelLayouts())
            if (std::string(known.window) == c.name) layout = known;
        const std::vector<ControlState> before = StateOf(hwnd, c.table);
        std::vector<int> fontsAt96;
        for (const ui::ControlSpec& entry : c.table)
            if (HWND control = GetDlgItem(hwnd, entry.id)) fontsAt96.push_back(FontHeight(control));
        int dpi = 96;
        for (int next : {144, 120, 96}) {
            test::TellDpi(hwnd, dpi, next);
            dpi = next;
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            EXPECT_EQ(window.Dpi(), dpi);
            RECT client{};
            GetClientRect(hwnd, &client);
            EXPECT_NEAR(client.bottom, ui::TwipsToPixels(c.heightTwips, dpi), 1) << c.name << " at " << dpi;
            BITMAP face{};
            ASSERT_TRUE(GetObjectW(window.FaceBitmap(), sizeof(face), &face)) << "no face at " << dpi;
            EXPECT_EQ(face.bmWidth, client.right);
            EXPECT_EQ(face.bmHeight, client.bottom);
            std::vector<ui::PixelRect> rects;
            std::size_t font = 0;
            for (const ui::ControlSpec& entry : c.table) {
                HWND control = GetDlgItem(hwnd, entry.id);
                if (!control) continue;
                RECT got = test::WindowRectOf(control);
                MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&got), 2);
                const ui::PixelRect want = ui::ControlRect(entry, dpi);
                EXPECT_NEAR(got.left, want.left, 1) << c.name << " " << entry.id << " at " << dpi;
                EXPECT_NEAR(got.top, want.top, 1) << entry.id << " at " << dpi;
                EXPECT_NEAR(got.right, want.right(), 1) << entry.id << " at " << dpi;
                EXPECT_NEAR(got.bottom, want.bottom(), 1) << entry.id << " at " << dpi;
                rects.push_back({got.left, got.top, got.right - got.left, got.bottom - got.top});
                EXPECT_NEAR(FontHeight(control), ui::RescaledPixels(fontsAt96[font++], 96, dpi), 1)
                    << entry.id << " at " << dpi;
            }
            if (rects.size() == c.table.size())
                for (const std::string& fault : test::LayoutFaults(layout, rects, client.right, client.bottom,
                                                                   ui::TwipsToPixels(15, dpi) + 1))
                    ADD_FAILURE() << fault << " at " << dpi;
            const std::vector<ControlState> now = StateOf(hwnd, c.table);
            for (std::size_t i = 0; i < before.size() && i < now.size(); ++i)
                EXPECT_TRUE(now[i] == before[i]) << c.name << ": control " << i << " lost its state at " << dpi
                                                 << " (first line " << before[i].firstLine << " -> " << now[i].firstLine
                                                 << ", check " << before[i].check << " -> " << now[i].check << ")";
            if (more) more(dpi);
        }
    }

    test::QuietPanels panels;
    NoHost host;
    app::frmmain main{panels.tray, {&panels.pro, &panels.dir, &panels.log}, host};
};

// Ticks and texts the windows do not start with, so that a window rebuilt from its design values shows.
void Unsettle(HWND window, std::span<const ui::ControlSpec> table) {
    for (const ui::ControlSpec& entry : table) {
        HWND control = GetDlgItem(window, entry.id);
        if (entry.kind == ui::ControlKind::CheckBox)
            Button_SetCheck(control, Button_GetCheck(control) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        if (entry.kind == ui::ControlKind::TextBox) SetWindowTextW(control, L"1500");
    }
}

// The countdown as its label draws each figure it shows (captured through WM_PRINTCLIENT, which draws it whole
// into the test's own bitmap, whatever the screen is doing): drawn (red pixels there are) and whole (none on an
// edge of the label: a figure wrapped out of sight shows none, a figure cut off touches the edge).
void ExpectEveryFigureWholeInItsLabel(HWND popup, int dpi) {
    HWND time = GetDlgItem(popup, alerts::IDC_OUT_TIME);
    const RECT r = test::WindowRectOf(time);
    const SIZE size{r.right - r.left, r.bottom - r.top};
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int n = 10; n >= 0; --n) {
        SetWindowTextW(time, (L" " + std::to_wstring(n)).c_str());
        SendMessageW(time, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
        GdiFlush();
        const auto* quads = static_cast<const RGBQUAD*>(bits);
        RECT drawn{size.cx, size.cy, 0, 0};
        for (LONG y = 0; y < size.cy; ++y)
            for (LONG x = 0; x < size.cx; ++x) {
                const RGBQUAD& p = quads[y * size.cx + x];
                if (p.rgbRed < 0x80 || p.rgbRed < p.rgbGreen + 0x40 || p.rgbRed < p.rgbBlue + 0x40) continue;
                drawn = {std::min(drawn.left, x), std::min(drawn.top, y), std::max(drawn.right, x + 1),
                         std::max(drawn.bottom, y + 1)};
            }
        EXPECT_LT(drawn.left, drawn.right) << "no figure shows for " << n << " at " << dpi;
        EXPECT_TRUE(drawn.left > 0 && drawn.right < size.cx && drawn.top > 0 && drawn.bottom < size.cy)
            << "the figure " << n << " is cut at an edge of its label at " << dpi << ": " << drawn.left << ","
            << drawn.top << "," << drawn.right << "," << drawn.bottom << " in " << size.cx << "x" << size.cy;
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

} // namespace

TEST_P(DpiChange, TheWindowIsLaidOutAfreshAtEachDpiAndKeepsWhatItHolds) {
    switch (GetParam()) {
    case 0: { // the main window, with a panel open under it that follows it
        main.RestoreFromTray();
        main.OpenPanel(2);
        Unsettle(main.Hwnd(), app::MainControls());
        Walk(main, {"frmmain", app::MainControls(), app::kMainClientWidthTwips, app::kMainClientHeightTwips},
             [&](int dpi) {
                 const ui::PixelRect own = main.ScreenRect();
                 EXPECT_NEAR(own.width, ui::TwipsToPixels(app::kMainClientWidthTwips, dpi), 1);
                 for (ui::PanelWindow* panel : Panels()) EXPECT_EQ(panel->Dpi(), dpi) << "a panel kept its DPI";
                 EXPECT_TRUE(panels.log.IsVisible());
                 EXPECT_EQ(panels.log.ScreenRect(), (ui::PixelRect{own.left, own.bottom(), own.width,
                                                                   ui::TwipsToPixels(alerts::kLogHeightTwips, dpi)}))
                     << "the open panel is not docked under the main window at " << dpi;
                 EXPECT_EQ(host.told.back(), dpi) << "the icons were not taken again";
             });
        break;
    }
    case 1:
        ShowWindow(panels.pro.Hwnd(), SW_SHOWNOACTIVATE);
        Unsettle(panels.pro.Hwnd(), procmon::ProControls());
        panels.pro.cmdRefresh_Click();
        Walk(panels.pro, {"pro_form", procmon::ProControls(), procmon::kProWidthTwips, procmon::kProHeightTwips});
        EXPECT_EQ(panels.pro.PeriodMs(), 1500u);
        break;
    case 2:
        ShowWindow(panels.dir.Hwnd(), SW_SHOWNOACTIVATE);
        Unsettle(panels.dir.Hwnd(), filemon::DirControls());
        Walk(panels.dir, {"dir_form", filemon::DirControls(), filemon::kDirWidthTwips, filemon::kDirHeightTwips});
        break;
    case 3: { // a long log, scrolled back, with a selection in the middle
        alerts::log_form& log = panels.log;
        for (int i = 0; i < 300; ++i)
            log.AppendLogEntry(L"【建立文件】2026/1/1 12:00:00\r\n路径：C:\\一个很长的文件夹名字\\文件" +
                               std::to_wstring(i) + L".txt，再加上一些字，让换行的视图把它折成两行\r\n");
        log.FlushViews();
        ShowWindow(log.Hwnd(), SW_SHOWNOACTIVATE);
        for (int id : {alerts::IDC_LOG_TEXT, alerts::IDC_LOG_TEXT1}) {
            HWND view = GetDlgItem(log.Hwnd(), id);
            SendMessageW(view, EM_SETSEL, 9000, 9040);
            SendMessageW(view, EM_LINESCROLL, 0, 200 - SendMessageW(view, EM_GETFIRSTVISIBLELINE, 0, 0));
        }
        Unsettle(log.Hwnd(), alerts::LogControls());
        log.Check1_Click();
        Walk(log, {"log_form", alerts::LogControls(), alerts::kLogWidthTwips, alerts::kLogHeightTwips});
        EXPECT_EQ(log.Log().Text().size(), static_cast<std::size_t>(GetWindowTextLengthW(
                                               GetDlgItem(log.Hwnd(), alerts::IDC_LOG_TEXT1))));
        break;
    }
    case 4: { // the pop-up, while its question waits and counts down
        alerts::Frm_Outputbox box;
        std::int16_t leftBefore = 0, leftAfter = 0;
        bool acted = false;
        {
        test::Answerer user(L"Korimo.Frm_Outputbox", nullptr, [&](HWND popup) {
            leftBefore = box.Ot;
            ExpectEveryFigureWholeInItsLabel(popup, 96);
            Walk(box, {"Frm_Outputbox", alerts::OutputboxControls(), alerts::kOutputboxWidthTwips,
                       alerts::kOutputboxHeightTwips},
                 [&](int dpi) { ExpectEveryFigureWholeInItsLabel(popup, dpi); });
            test::TellDpi(popup, 96, 192);
            ExpectEveryFigureWholeInItsLabel(popup, 192);
            test::TellDpi(popup, 192, 96);
            leftAfter = box.Ot;
            EXPECT_EQ(box.Ovalue, 0) << "a change of scaling answered the question";
            test::ClickWindow(GetDlgItem(popup, alerts::IDC_OUT_COMMAND3));
            acted = true;
        });
        ASSERT_TRUE(box.outputbox(L"Korimo进程监视系统发现C:\\x.exe正在启动或正在被调用", L"放过", L"", L"强制关闭", 100, 1));
        } // the user's thread has ended: what it saw can be read
        EXPECT_TRUE(acted);
        EXPECT_EQ(box.Ovalue, 3) << "the answer button is not where the click landed";
        EXPECT_GE(leftAfter, leftBefore - 2) << "the countdown started again";
        EXPECT_LE(leftAfter, leftBefore);
        break;
    }
    case 5: {
        app::frm_maker about;
        ASSERT_TRUE(about.Show(96));
        Walk(about, {"frm_maker", {}, 9600, 7200});
        break;
    }
    default:
        FAIL();
    }
}

INSTANTIATE_TEST_SUITE_P(SixWindows, DpiChange, testing::Range(0, 6));
