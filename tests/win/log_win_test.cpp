// The event log panel and the log files for real: edit controls under Wine, files in code page 936, the
// common dialogs answered as a user would, the automatic save with and without its message.
#include <gtest/gtest.h>

#include <windowsx.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "alerts/log_file_win.h"
#include "alerts/log_form.h"
#include "alerts/log_form_layout.h"
#include "answerer.h"

using namespace korimo;
using test::Answerer;
using test::PumpFor;

namespace {

const std::string kRuleGbk = [] {
    std::string rule;
    for (int i = 0; i < 30; ++i) rule += "\xA1\xAA"; // U+2014 in GBK
    return rule;
}();
const std::string kHeaderGbk = kRuleGbk + "\r\nKorimo\xC8\xD5\xD6\xBE\r\n" + kRuleGbk + "\r\n"; // 日志

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::wstring ViewText(HWND view) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(view)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(view, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::vector<std::filesystem::path> LogFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    if (std::filesystem::exists(folder / "log"))
        for (const auto& entry : std::filesystem::directory_iterator(folder / "log")) files.push_back(entry.path());
    return files;
}

class LogPanelTest : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder);
        ASSERT_TRUE(log.Load(96));
        ShowWindow(log.Hwnd(), SW_SHOWNOACTIVATE);
    }
    void TearDown() override {
        log.Unload(ui::UnloadMode::SessionEnding);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    HWND View(bool wrapped) const { return GetDlgItem(log.Hwnd(), wrapped ? alerts::IDC_LOG_TEXT1 : alerts::IDC_LOG_TEXT); }

    static std::filesystem::path NewFolder() {
        static int counter = 0;
        return std::filesystem::temp_directory_path() /
               (L"korimo-log-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
    }

    std::filesystem::path folder = NewFolder();
    bool autoSave = false;
    alerts::log_form log{folder.wstring() + L"\\", [this] { return autoSave; }};
};

} // namespace

TEST_F(LogPanelTest, ABurstOfEntriesReachesBothViewsAtTheBottomInOneUpdate) {
    EXPECT_EQ(ViewText(View(false)), alerts::LogModel::Header());
    for (int i = 0; i < 50; ++i) log.AppendLogEntry(L"【开启进程】" + std::to_wstring(i) + L"\r\n");
    EXPECT_EQ(log.Log().Size(), alerts::LogModel::Header().size() + 10 * 9 + 40 * 10) << "the model has them at once";
    EXPECT_EQ(ViewText(View(true)), alerts::LogModel::Header()) << "the views wait for the batch";
    PumpFor(3 * alerts::kViewUpdateMs);
    for (bool wrapped : {false, true}) {
        EXPECT_EQ(ViewText(View(wrapped)), log.Log().Text());
        DWORD start = 0, end = 0;
        SendMessageW(View(wrapped), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(end, log.Log().Size()) << "the view follows the newest entry";
    }
    log.AppendLogEntry(L"");
    PumpFor(2 * alerts::kViewUpdateMs);
    EXPECT_EQ(ViewText(View(false)), log.Log().Text()) << "an empty entry changes nothing";
}

TEST_F(LogPanelTest, AViewWhereTheUserSelectedTextKeepsItsSelection) {
    SendMessageW(View(false), EM_SETSEL, 2, 9);
    log.AppendLogEntry(L"【建立文件】x\r\n");
    log.FlushViews();
    DWORD start = 0, end = 0;
    SendMessageW(View(false), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 9u);
    EXPECT_EQ(ViewText(View(false)), log.Log().Text());
}

TEST_F(LogPanelTest, ATwoMegabyteLogIsWholeInBothViewsAndInTheSavedFile) {
    const std::wstring entry = L"【开启进程】" + std::wstring(86, L'x') + L"日志\r\n"; // 100 characters
    std::string expected = kHeaderGbk;
    for (int i = 0; i < 20000; ++i) {
        log.AppendLogEntry(entry);
        expected += "\xA1\xBE\xBF\xAA\xC6\xF4\xBD\xF8\xB3\xCC\xA1\xBF" + std::string(86, 'x') + "\xC8\xD5\xD6\xBE\r\n";
    }
    log.FlushViews();
    for (bool wrapped : {false, true}) {
        ASSERT_EQ(static_cast<size_t>(GetWindowTextLengthW(View(wrapped))), log.Log().Size()) << wrapped;
        EXPECT_TRUE(ViewText(View(wrapped)) == log.Log().Text());
    }
    const std::filesystem::path file = folder / L"big.log";
    ASSERT_TRUE(alerts::SaveLogFile(file.wstring(), log.Log().Text()).ok);
    EXPECT_TRUE(ReadBytes(file) == expected + "\r\n") << "the file is not the log in GBK with one more CR LF";
}

TEST_F(LogPanelTest, WordWrapSwitchesTheViewAndNeverTheText) {
    log.AppendLogEntry(L"【开启进程】a long line " + std::wstring(300, L'w') + L"\r\n");
    log.FlushViews();
    HWND box = GetDlgItem(log.Hwnd(), alerts::IDC_LOG_CHECK1);
    EXPECT_TRUE(IsWindowVisible(View(true)));
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(View(true)));
    EXPECT_TRUE(IsWindowVisible(View(false)));
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowVisible(View(true)));
    EXPECT_EQ(ViewText(View(true)), ViewText(View(false)));
    EXPECT_EQ(ViewText(View(true)), log.Log().Text());
}

TEST_F(LogPanelTest, SavedFileIsTheLogInTheAnsiCodePageWithoutAByteOrderMark) {
    ASSERT_EQ(GetACP(), 936u) << "the tests run with the Simplified-Chinese code page";
    const std::filesystem::path file = folder / L"log" / L"深层" / L"2026-12-8# 0# 5.log";
    ASSERT_TRUE(alerts::SaveLogFile(file.wstring(), log.Log().Text()).ok) << "missing folders are created";
    EXPECT_EQ(ReadBytes(file), kHeaderGbk + "\r\n");
    log.AppendLogEntry(L"【关闭进程】b\r\n");
    ASSERT_TRUE(alerts::SaveLogFile(file.wstring(), log.Log().Text()).ok);
    EXPECT_EQ(ReadBytes(file), kHeaderGbk + "\xA1\xBE\xB9\xD8\xB1\xD5\xBD\xF8\xB3\xCC\xA1\xBF" "b\r\n\r\n")
        << "a second save replaces the file";
}

TEST_F(LogPanelTest, AFailedSaveSaysSoAndKeepsTheFileItWouldHaveReplaced) {
    std::ofstream(folder / L"blocker") << "a file where the folder should be";
    const alerts::SaveResult result = alerts::SaveLogFile((folder / L"blocker" / L"x.log").wstring(), L"text");
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(ReadBytes(folder / L"blocker"), "a file where the folder should be");
}

TEST_F(LogPanelTest, AutomaticSaveAtTheEndWritesTheFileAndSaysSo) {
    autoSave = true;
    std::wstring said;
    {
        Answerer ok(L"#32770", L"Korimo", test::ReadAndConfirm(said));
        log.Unload();
    }
    EXPECT_EQ(said, L"程序正在结束，日志已保存");
    const auto files = LogFiles(folder);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(files[0].filename().wstring().ends_with(L".log"));
    EXPECT_NE(files[0].filename().wstring().find(L"# "), std::wstring::npos);
    EXPECT_EQ(ReadBytes(files[0]), kHeaderGbk + "\r\n");
}

TEST_F(LogPanelTest, AtTheEndOfASessionTheLogIsSavedWithoutAMessage) {
    autoSave = true;
    Answerer unexpected(L"#32770", nullptr, test::Confirm, 1500);
    log.Unload(ui::UnloadMode::SessionEnding);
    EXPECT_EQ(LogFiles(folder).size(), 1u);
    PumpFor(1600);
    EXPECT_FALSE(unexpected.Acted()) << "a message box would hold the shutdown up";
}

TEST_F(LogPanelTest, UntickedAutomaticSaveWritesNothingAndSaysNothing) {
    Answerer unexpected(L"#32770", nullptr, test::Confirm, 1500);
    log.Unload();
    PumpFor(1600);
    EXPECT_FALSE(unexpected.Acted());
    EXPECT_TRUE(LogFiles(folder).empty());
}

TEST_F(LogPanelTest, SaveAsWritesTheChosenFileAndACancelWritesNothing) {
    {
        Answerer cancel(L"#32770", L"保存日志", [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
        log.Command1_Click();
        EXPECT_TRUE(cancel.Acted());
    }
    EXPECT_TRUE(LogFiles(folder).empty()) << "cancelling wrote a file";

    const std::filesystem::path chosen = folder / L"log" / L"我的日志.log";
    {
        Answerer save(L"#32770", L"保存日志", [&](HWND dialog) {
            SetDlgItemTextW(dialog, 0x47c, chosen.wstring().c_str()); // the file name box
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        log.Command1_Click();
        EXPECT_TRUE(save.Acted());
    }
    EXPECT_EQ(ReadBytes(chosen), kHeaderGbk + "\r\n");
}

TEST_F(LogPanelTest, CancelledFontAndColourDialogsChangeNothing) {
    const LOGFONTW before = log.ViewFont();
    const COLORREF text = log.TextColour(), back = log.BackColour();
    {
        Answerer cancel(L"#32770", L"设置字体'", [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
        log.Command2_Click();
        EXPECT_TRUE(cancel.Acted()) << "no font dialog titled 设置字体'";
    }
    {
        Answerer cancel(L"#32770", L"字体颜色", [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
        log.Picture1_Click();
        EXPECT_TRUE(cancel.Acted());
    }
    {
        Answerer cancel(L"#32770", L"背景颜色", [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
        log.Picture2_Click();
        EXPECT_TRUE(cancel.Acted());
    }
    const LOGFONTW after = log.ViewFont();
    EXPECT_EQ(after.lfHeight, before.lfHeight);
    EXPECT_STREQ(after.lfFaceName, before.lfFaceName);
    EXPECT_EQ(log.TextColour(), text);
    EXPECT_EQ(log.BackColour(), back);
}

TEST_F(LogPanelTest, AColourChosenInTheDialogGoesToBothViewsAndTheSwatch) {
    {
        Answerer pick(L"#32770", L"背景颜色", [](HWND dialog) {
            SetDlgItemInt(dialog, 706, 250, FALSE); // red, green and blue of the full dialog
            SetDlgItemInt(dialog, 707, 240, FALSE);
            SetDlgItemInt(dialog, 708, 200, FALSE);
            Sleep(100);
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        log.Picture2_Click();
    }
    EXPECT_EQ(log.BackColour(), RGB(250, 240, 200));
    // The views and the swatch paint with it: read a pixel of each.
    SendMessageW(View(true), EM_SETSEL, 0, 0);
    UpdateWindow(log.Hwnd());
    for (int id : {alerts::IDC_LOG_TEXT1, alerts::IDC_LOG_PICTURE2}) {
        HWND control = GetDlgItem(log.Hwnd(), id);
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        RECT client{};
        GetClientRect(control, &client);
        HDC dc = GetDC(control);
        const COLORREF pixel = GetPixel(dc, client.right - 30, client.bottom - 6);
        ReleaseDC(control, dc);
        EXPECT_EQ(pixel, RGB(250, 240, 200)) << id;
    }
}
