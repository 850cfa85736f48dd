#include <gtest/gtest.h>

#include "app/app_folder.h"

using namespace korimo::app;

TEST(AppFolder, EndsInExactlyOneBackslashAfterTrimmingBlanks) {
    EXPECT_EQ(NormaliseAppFolder(L"C:\\Tools"), L"C:\\Tools\\");
    EXPECT_EQ(NormaliseAppFolder(L"D:\\"), L"D:\\");
    EXPECT_EQ(NormaliseAppFolder(L"  C:\\Tools  "), L"C:\\Tools\\");
    EXPECT_EQ(NormaliseAppFolder(L" D:\\ "), L"D:\\"); // the blank after the root is trimmed before the test
    EXPECT_EQ(NormaliseAppFolder(L"C:\\程序\\监视"), L"C:\\程序\\监视\\");
}

TEST(AppFolder, FolderOfProgramPathKeepsDriveRoots) {
    EXPECT_EQ(FolderOfPath(L"C:\\Tools\\korimo.exe"), L"C:\\Tools");
    EXPECT_EQ(FolderOfPath(L"D:\\korimo.exe"), L"D:\\");
    EXPECT_EQ(FolderOfPath(L"\\\\server\\share\\korimo.exe"), L"\\\\server\\share");
    EXPECT_EQ(NormaliseAppFolder(FolderOfPath(L"D:\\korimo.exe")), L"D:\\");
}

TEST(InstanceKey, SameFileInAnySpellingDifferentFileApart) {
    const std::wstring key = InstanceKey(L"C:\\Tools\\korimo.exe");
    EXPECT_EQ(key, InstanceKey(L"c:\\TOOLS\\KORIMO.EXE"));
    EXPECT_EQ(key, InstanceKey(L"C:/Tools/korimo.exe"));
    EXPECT_NE(key, InstanceKey(L"C:\\Other\\korimo.exe"));
    EXPECT_EQ(key.find(L'\\'), std::wstring::npos); // kernel object names may not hold a backslash
    EXPECT_LT(key.size(), 64u);
}

TEST(RunValue, FolderFileNameWithoutExtensionAndUpperCaseExe) {
    EXPECT_EQ(RunValueFor(L"C:\\Tools", BaseNameWithoutExtension(L"C:\\Tools\\guard.exe")), L"C:\\Tools\\guard.EXE");
    EXPECT_EQ(RunValueFor(L"D:\\", L"guard"), L"D:\\guard.EXE");
    EXPECT_EQ(BaseNameWithoutExtension(L"C:\\a.b\\korimo.v2.exe"), L"korimo.v2");
    EXPECT_EQ(BaseNameWithoutExtension(L"C:\\程序\\监视"), L"监视");
}

TEST(RunValue, EveryBoxRewritesItButOnlyTickingStartWithWindowsTellsAFailure) {
    EXPECT_EQ(RunValueToWrite(true, L"C:\\Tools\\guard.exe"), L"C:\\Tools\\guard.EXE");
    EXPECT_EQ(RunValueToWrite(false, L"C:\\Tools\\guard.exe"), L"");
    EXPECT_TRUE(TellRunValueFailure(1, true));
    EXPECT_FALSE(TellRunValueFailure(1, false)) << "an untick stays silent";
    EXPECT_FALSE(TellRunValueFailure(0, true)) << "a rewrite caused by another box stays silent";
    EXPECT_FALSE(TellRunValueFailure(2, true));
}
