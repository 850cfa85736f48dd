// korimo.exe is one portable file: small, and importing nothing but DLLs that every Windows has.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "../support/desktop.h"
#include "korimo_process.h"

namespace {

template <class T> T At(const std::vector<unsigned char>& image, size_t offset) {
    T value{};
    if (offset + sizeof(T) <= image.size()) std::memcpy(&value, image.data() + offset, sizeof(T));
    return value;
}

// The names in the import directory of a PE32+ file.
std::vector<std::string> ImportedDlls(const std::vector<unsigned char>& image) {
    const auto pe = At<uint32_t>(image, 0x3c);
    const auto sections = At<uint16_t>(image, pe + 6);
    const auto optionalSize = At<uint16_t>(image, pe + 20);
    const size_t optional = pe + 24;
    const auto importRva = At<uint32_t>(image, optional + 112 + 8); // data directory 1 of PE32+
    auto fileOffset = [&](uint32_t rva) -> size_t {
        for (uint16_t i = 0; i < sections; ++i) {
            const size_t header = optional + optionalSize + i * 40u;
            const auto virtualAddress = At<uint32_t>(image, header + 12);
            const auto rawSize = At<uint32_t>(image, header + 16);
            if (rva >= virtualAddress && rva < virtualAddress + rawSize)
                return rva - virtualAddress + At<uint32_t>(image, header + 20);
        }
        return 0;
    };
    std::vector<std::string> names;
    for (size_t entry = fileOffset(importRva); entry && At<uint32_t>(image, entry + 12); entry += 20) {
        const size_t name = fileOffset(At<uint32_t>(image, entry + 12));
        std::string dll(reinterpret_cast<const char*>(image.data() + name));
        std::transform(dll.begin(), dll.end(), dll.begin(), [](unsigned char c) { return std::tolower(c); });
        names.push_back(dll);
    }
    return names;
}

} // namespace

TEST(Package, KorimoExeIsOneSmallFileImportingOnlySystemDlls) {
    const std::string whole = korimo::test::ReadBytes(korimo::e2e::ProgramPath());
    const std::vector<unsigned char> image(whole.begin(), whole.end());
    ASSERT_GT(image.size(), 1024u) << "cannot read the program file";
    EXPECT_LT(image.size(), 1024u * 1024u) << "korimo.exe is 1 MiB or more";
    ASSERT_EQ(At<uint16_t>(image, 0), 0x5A4D);
    EXPECT_EQ(At<uint16_t>(image, At<uint32_t>(image, 0x3c) + 24), 0x20b) << "not a 64-bit image";
    EXPECT_EQ(At<uint16_t>(image, At<uint32_t>(image, 0x3c) + 24 + 68), IMAGE_SUBSYSTEM_WINDOWS_GUI);

    const std::set<std::string> system = {"kernel32.dll", "user32.dll",  "gdi32.dll",    "shell32.dll",
                                          "comctl32.dll", "advapi32.dll", "ole32.dll",   "comdlg32.dll",
                                          "psapi.dll",    "msvcrt.dll",  "shlwapi.dll",  "oleacc.dll", "oleaut32.dll"};
    const std::vector<std::string> imports = ImportedDlls(image);
    ASSERT_FALSE(imports.empty()) << "import table not found";
    for (const std::string& dll : imports) EXPECT_TRUE(system.count(dll)) << dll << " is not a system DLL";
}
