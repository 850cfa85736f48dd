// The event log and the main settings in the real korimo.exe: the automatic save at the end, Save As from the
// log panel, word wrap, and "开机时启动" writing the Run value.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "../support/desktop.h"
#include "../support/tray_probe.h"
#include "alerts/log_form_layout.h"
#include "app/frmmain_layout.h"
#include "filemon/dir_form_layout.h"
#include "korimo_process.h"

using namespace korimo;
using namespace korimo::e2e;

namespace {

std::string HeaderGbk() {
    std::string rule;
    for (int i = 0; i < 30; ++i) rule += "\xA1\xAA";
    return rule + "\r\nKorimo\xC8\xD5\xD6\xBE\r\n" + rule + "\r\n";
}

// The same header on a Western system (code page 1252), which has no Chinese: UTF-8 after a byte-order mark.
std::string HeaderUtf8() {
    std::string rule;
    for (int i = 0; i < 30; ++i) rule += "\xE2\x80\x94";
    return "\xEF\xBB\xBF" + rule + "\r\nKorimo\xE6\x97\xA5\xE5\xBF\x97\r\n" + rule + "\r\n";
}

std::filesystem::path LogFolder() { return std::filesystem::path(ProgramFolder()) / L"log"; }

std::vector<std::filesystem::path> LogFiles() {
    std::vector<std::filesystem::path> files;
    if (std::filesystem::exists(LogFolder()))
        for (const auto& entry : std::filesystem::directory_iterator(LogFolder())) files.push_back(entry.path());
    return files;
}

class SettingsTest : public testing::Test {
protected:
    void SetUp() override {
        std::error_code ignored;
        std::filesystem::remove_all(LogFolder(), ignored);
        ASSERT_TRUE(korimo.Start());
        ASSERT_TRUE(korimo.BringUpMainWindow());
    }

    HWND MainControl(int id) const { return GetDlgItem(korimo.Main(), id); }
    HWND OpenLogPanel() {
        test::ClickWindow(MainControl(app::IDC_COMMAND3));
        HWND panel = korimo.Panel(L"Korimo.log_form");
        EXPECT_TRUE(test::WaitFor([&] { return IsWindowVisible(panel); }, 8000));
        return panel;
    }
    void ClickCloseMark() { test::LeftClickAt(MainPointFromTwips(korimo.Main(), 9120 + 127, 127)); }

    KorimoProcess korimo;
};

} // namespace

// scripts/test.sh runs this one under code page 1252 too, and names the page it meant in KORIMO_CODE_PAGE.
TEST_F(SettingsTest, ClosingSavesTheLogBesideTheProgramInGbkOrOnAWesternSystemInUtf8AndSaysSo) {
    if (const char* meant = std::getenv("KORIMO_CODE_PAGE"))
        ASSERT_EQ(std::to_string(GetACP()), meant) << "the Wine prefix did not take the locale";
    ASSERT_TRUE(GetACP() == 936 || GetACP() == 1252) << "code page " << GetACP();
    SYSTEMTIME before{};
    GetLocalTime(&before);
    ClickCloseMark();
    HWND box = korimo.WaitForMessageBox(10000);
    ASSERT_TRUE(box);
    EXPECT_EQ(test::WindowText(box), L"Korimo");
    EXPECT_TRUE(test::FindChildByText(box, L"程序正在结束，日志已保存"));
    test::ClickWindow(GetDlgItem(box, IDOK));
    ASSERT_TRUE(korimo.HasExited(10000));

    const auto files = LogFiles();
    ASSERT_EQ(files.size(), 1u);
    const std::wstring name = files[0].filename().wstring();
    std::wsmatch parts;
    ASSERT_TRUE(std::regex_match(name, parts, std::wregex(LR"(([^\\/:*?"<>|]+)# (\d{1,2})# (\d{1,2})\.log)")))
        << std::string(name.begin(), name.end());
    EXPECT_EQ(std::stoi(parts[2].str()), before.wHour); // (a save across the hour would fail once: harmless)
    EXPECT_EQ(test::ReadBytes(files[0]), (GetACP() == 936 ? HeaderGbk() : HeaderUtf8()) + "\r\n");
}

// A restart in the same minute writes beside the earlier run's log. A log folder that cannot be made (a plain
// file named "log" stands in its place) when the user's own folder cannot take the log either (a plain file
// stands at %LOCALAPPDATA%\Korimo) is told with its path at the end, and the log can go elsewhere.
TEST_F(SettingsTest, NoRestartReplacesAnEarlierLogAndABlockedFolderOffersSaveAs) {
    const auto closeAndConfirm = [&](KorimoProcess& run) {
        PostMessageW(run.Main(), WM_CLOSE, 0, 0);
        HWND box = run.WaitForMessageBox(10000);
        ASSERT_TRUE(box);
        test::ClickWindow(GetDlgItem(box, IDOK));
        ASSERT_TRUE(run.HasExited(10000));
    };
    closeAndConfirm(korimo);
    ASSERT_EQ(LogFiles().size(), 1u);
    const std::filesystem::path first = LogFiles()[0];
    const std::string firstBytes = test::ReadBytes(first);
    {
        KorimoProcess second;
        ASSERT_TRUE(second.Start());
        closeAndConfirm(second);
    }
    EXPECT_EQ(LogFiles().size(), 2u) << "the second run replaced the first run's log";
    EXPECT_EQ(test::ReadBytes(first), firstBytes);

    std::filesystem::remove_all(LogFolder());
    std::ofstream(LogFolder()) << "not a folder";
    PWSTR local = nullptr;
    ASSERT_EQ(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local), S_OK);
    const std::filesystem::path user = std::filesystem::path(local) / L"Korimo";
    CoTaskMemFree(local);
    std::filesystem::remove_all(user);
    std::ofstream(user) << "not a folder either";
    const std::filesystem::path elsewhere = std::filesystem::temp_directory_path() / L"korimo-elsewhere.log";
    std::filesystem::remove(elsewhere);
    KorimoProcess blocked;
    ASSERT_TRUE(blocked.Start());
    PostMessageW(blocked.Main(), WM_CLOSE, 0, 0);
    HWND box = blocked.WaitForMessageBox(10000);
    ASSERT_TRUE(box);
    const std::wstring said = test::ControlText(GetDlgItem(box, 0xFFFF));
    EXPECT_NE(said.find(LogFolder().wstring() + L"\\"), std::wstring::npos) << "the message names no path";
    test::ClickWindow(GetDlgItem(box, IDYES));
    HWND dialog = nullptr;
    ASSERT_TRUE(test::WaitFor([&] { return IsWindowVisible(dialog = test::FindTopLevel(blocked.Pid(), L"#32770", L"保存日志")); }, 5000));
    SetDlgItemTextW(dialog, 0x47c, elsewhere.wstring().c_str());
    test::ClickWindow(GetDlgItem(dialog, IDOK));
    ASSERT_TRUE(test::WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000));
    ASSERT_TRUE(box = blocked.WaitForMessageBox(10000));
    EXPECT_TRUE(test::FindChildByText(box, L"程序正在结束，日志已保存"));
    test::ClickWindow(GetDlgItem(box, IDOK));
    EXPECT_TRUE(blocked.HasExited(10000));
    EXPECT_EQ(test::ReadBytes(elsewhere).substr(0, HeaderGbk().size()), HeaderGbk());
    std::filesystem::remove(LogFolder());
    std::filesystem::remove(user);
    std::filesystem::remove(elsewhere);
}

TEST_F(SettingsTest, WithAutomaticSaveUntickedClosingWritesNothingAndSaysNothing) {
    test::ClickWindow(MainControl(app::IDC_CHECK1_2));
    ASSERT_TRUE(test::WaitFor([&] { return SendMessageW(MainControl(app::IDC_CHECK1_2), BM_GETCHECK, 0, 0) == 0; },
                              2000));
    ClickCloseMark();
    EXPECT_TRUE(korimo.HasExited(10000)) << "the program waited for something";
    EXPECT_TRUE(LogFiles().empty());
}

TEST_F(SettingsTest, SaveAsWritesTheChosenFileAndCancelWritesNothing) {
    HWND panel = OpenLogPanel();
    HWND saveAs = GetDlgItem(panel, alerts::IDC_LOG_COMMAND1);

    test::ClickWindow(saveAs);
    HWND dialog = nullptr;
    ASSERT_TRUE(test::WaitFor([&] { return IsWindowVisible(dialog = test::FindTopLevel(korimo.Pid(), L"#32770", L"保存日志")); }, 5000));
    test::ClickWindow(GetDlgItem(dialog, IDCANCEL));
    ASSERT_TRUE(test::WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000));
    EXPECT_TRUE(LogFiles().empty()) << "cancelling wrote a file";

    const std::filesystem::path chosen = LogFolder() / L"保存的日志.log";
    test::ClickWindow(saveAs);
    ASSERT_TRUE(test::WaitFor([&] { return IsWindowVisible(dialog = test::FindTopLevel(korimo.Pid(), L"#32770", L"保存日志")); }, 5000));
    SetDlgItemTextW(dialog, 0x47c, chosen.wstring().c_str()); // typed into the file name box
    test::ClickWindow(GetDlgItem(dialog, IDOK));
    EXPECT_TRUE(test::WaitFor([&] { return std::filesystem::exists(chosen); }, 5000));
    EXPECT_EQ(test::ReadBytes(chosen), HeaderGbk() + "\r\n");
}

TEST_F(SettingsTest, WordWrapShowsTheOtherViewWithTheSameText) {
    HWND panel = OpenLogPanel();
    HWND wrapped = GetDlgItem(panel, alerts::IDC_LOG_TEXT1), plain = GetDlgItem(panel, alerts::IDC_LOG_TEXT);
    EXPECT_TRUE(IsWindowVisible(wrapped));
    test::ClickWindow(GetDlgItem(panel, alerts::IDC_LOG_CHECK1));
    EXPECT_TRUE(test::WaitFor([&] { return !IsWindowVisible(wrapped); }, 8000));
    EXPECT_TRUE(IsWindowVisible(plain));
    EXPECT_EQ(test::ControlText(plain), test::ControlText(wrapped));
    EXPECT_NE(test::ControlText(plain).find(L"Korimo日志"), std::wstring::npos);
}

TEST_F(SettingsTest, StartWithWindowsWritesTheProgramPathAndUntickingEmptiesIt) {
    const std::wstring program = ProgramPath();
    const std::wstring expected = program.substr(0, program.find_last_of(L'.')) + L".EXE";
    HWND box = MainControl(app::IDC_CHECK1_1);
    test::ClickWindow(box);
    EXPECT_TRUE(test::WaitFor([&] { return test::RunValue() == expected; }, 8000));
    test::ClickWindow(box);
    EXPECT_TRUE(test::WaitFor([&] { return test::RunValue().empty(); }, 8000));
}

TEST_F(SettingsTest, TheFileMonitorPanelShowsItsSwitchesAndTheDetailsBoxHidesTheOptions) {
    test::ClickWindow(MainControl(app::IDC_COMMAND2));
    HWND panel = korimo.Panel(L"Korimo.dir_form");
    ASSERT_TRUE(test::WaitFor([&] { return IsWindowVisible(panel); }, 8000));
    for (int i = 0; i < 25; ++i) EXPECT_TRUE(IsWindowVisible(GetDlgItem(panel, filemon::IDC_DIR_CHECK2_0 + i))) << i;
    EXPECT_EQ(test::WindowText(GetDlgItem(panel, filemon::IDC_DIR_CHECK2_0 + 6)), L"移去可移动存储介质");
    HWND byName = GetDlgItem(panel, filemon::IDC_DIR_OPTION1_0), byPath = GetDlgItem(panel, filemon::IDC_DIR_OPTION1_1);
    EXPECT_TRUE(IsWindowVisible(byName) && IsWindowVisible(byPath));
    test::ClickWindow(GetDlgItem(panel, filemon::IDC_DIR_CHECK1_0));
    EXPECT_TRUE(test::WaitFor([&] { return !IsWindowVisible(byName) && !IsWindowVisible(byPath); }, 8000));
    test::ClickWindow(GetDlgItem(panel, filemon::IDC_DIR_CHECK1_0));
    EXPECT_TRUE(test::WaitFor([&] { return IsWindowVisible(byName) && IsWindowVisible(byPath); }, 8000));
}
