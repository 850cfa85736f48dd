// korimo_e2e --exe PATH [gtest flags]: drives the real korimo.exe through its windows.
#include <gtest/gtest.h>

#include <cwchar>

#include "korimo_process.h"

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; ++i)
        if (std::wcscmp(argv[i], L"--exe") == 0) korimo::e2e::SetProgramPath(argv[i + 1]);
        else if (std::wcscmp(argv[i], L"--titled-window") == 0) korimo::e2e::SetTitledWindowPath(argv[i + 1]);
    if (korimo::e2e::ProgramPath().empty()) {
        std::fputws(L"usage: korimo_e2e --exe PATH-TO-korimo.exe\n", stderr);
        return 2;
    }
    if (!korimo::e2e::PlaceProgramCopy()) {
        std::fputws(L"cannot copy the program into a folder of its own\n", stderr);
        return 2;
    }
    return RUN_ALL_TESTS();
}
