// The file status query through the Windows C runtime: only regular files.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "framework/FileStatus.h"

TEST(FileStatusWin, FoldersAndDevicesAreNoFiles) {
    wintest::TempWav wav("fs_regular.wav", wintest::FileBytes{{1, 2, 3}});
    std::uint64_t size = 0;
    EXPECT_TRUE(fw::QueryFileSize(wav.path(), size));
    EXPECT_EQ(3u, size);
    char windows[MAX_PATH];
    ::GetWindowsDirectoryA(windows, sizeof windows);
    for (const std::string& path : {std::string(windows), wintest::TempPath(""), std::string("NUL"),
                                    std::string("CON"), std::string("COM1"), wintest::TempPath("nul.wav"),
                                    std::string("\\\\.\\pipe\\clangster")}) {
        size = 7;
        EXPECT_FALSE(fw::QueryFileSize(path, size)) << path;
        EXPECT_EQ(7u, size);
    }
}
