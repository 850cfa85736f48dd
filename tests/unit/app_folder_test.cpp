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
    // From the file's identity: the volume and the index, whatever the path.
    EXPECT_EQ(InstanceKey(0x5a000000u, 0xa72556u), InstanceKey(0x5a000000u, 0xa72556u));
    EXPECT_NE(InstanceKey(0x5a000000u, 0xa72556u), InstanceKey(0x5a000000u, 0xa72557u));
    EXPECT_NE(InstanceKey(0x5a000001u, 0xa72556u), InstanceKey(0x5a000000u, 0xa72556u));
    EXPECT_EQ(InstanceKey(1, 2).find(L'\\'), std::wstring::npos);
}

// Beside the program when it can be written; else the user's folder when that can; else beside the program
// still, where every failure is told as it happens.
TEST(DataFolder, TheUsersOwnFolderOnlyWhenTheProgramFolderCannotBeWrittenAndItCan) {
    const std::wstring program = L"C:\\Program Files\\Korimo\\", user = L"C:\\Users\\a\\AppData\\Local\\Korimo\\";
    EXPECT_EQ(DataFolder(program, true, user, true), program);
    EXPECT_EQ(DataFolder(program, false, user, true), user);
    EXPECT_EQ(DataFolder(program, false, user, false), program);
    EXPECT_TRUE(DataFolderNotice(program, program).empty());
    EXPECT_NE(DataFolderNotice(program, user).find(user), std::wstring::npos);
}

TEST(RunValue, FolderFileNameWithoutExtensionAndUpperCaseExe) {
    EXPECT_EQ(RunValueFor(L"C:\\Tools", BaseNameWithoutExtension(L"C:\\Tools\\guard.exe")), L"C:\\Tools\\guard.EXE");
    EXPECT_EQ(RunValueFor(L"D:\\", L"guard"), L"D:\\guard.EXE");
    EXPECT_EQ(BaseNameWithoutExtension(L"C:\\a.b\\korimo.v2.exe"), L"korimo.v2");
    EXPECT_EQ(BaseNameWithoutExtension(L"C:\\程序\\监视"), L"监视");
    // A path with a space is a quoted command line; both forms name the same program.
    const std::wstring quoted = RunValueToWrite(true, L"C:\\Program Files\\Korimo\\korimo.exe");
    EXPECT_EQ(quoted, L"\"C:\\Program Files\\Korimo\\korimo.EXE\"");
    EXPECT_EQ(ProgramOfRunValue(quoted), L"C:\\Program Files\\Korimo\\korimo.EXE");
    EXPECT_EQ(ProgramOfRunValue(L"C:\\Tools\\guard.EXE"), L"C:\\Tools\\guard.EXE");
}

TEST(RunValue, EveryBoxRewritesItButOnlyTickingStartWithWindowsTellsAFailure) {
    EXPECT_EQ(RunValueToWrite(true, L"C:\\Tools\\guard.exe"), L"C:\\Tools\\guard.EXE");
    EXPECT_EQ(RunValueToWrite(false, L"C:\\Tools\\guard.exe"), L"");
    EXPECT_TRUE(TellRunValueFailure(1, true));
    EXPECT_FALSE(TellRunValueFailure(1, false)) << "an untick stays silent";
    EXPECT_FALSE(TellRunValueFailure(0, true)) << "a rewrite caused by another box stays silent";
    EXPECT_FALSE(TellRunValueFailure(2, true));
}
