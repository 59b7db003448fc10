// Files through the Windows C runtime and file system: the file status query
// counts only regular files, and a save's replace keeps what the old file was.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "WinTestSupport.h"
#include "framework/FileReplace.h"
#include "framework/FileStatus.h"

namespace {
std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

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

// A hidden file stays hidden; a link stays a link and the file it names
// takes the content; a read-only file and one another program holds stay as
// they were; nothing is left beside them. Links come from Linux, whose
// programs Wine starts without waiting for them.
TEST(FileReplaceWin, KeepsWhatTheOldFileWasOrLeavesIt) {
    const std::string name =
        "clangster-replace-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount());
    const std::string dir = "Z:\\tmp\\" + name + "\\";
    auto startLinux = [](std::string commandLine) {
        STARTUPINFOA startup = {sizeof startup};
        PROCESS_INFORMATION process;
        ASSERT_TRUE(::CreateProcessA(nullptr, &commandLine[0], 0, 0, FALSE, 0, 0, 0, &startup, &process));
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
    };
    ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr));
    const struct { const char* name; DWORD attributes; bool link, held; int error; } cases[] = {
        {"hidden.scheme", FILE_ATTRIBUTE_HIDDEN, false, false, 0}, {"link.scheme", 0, true, false, 0},
        {"read-only.scheme", FILE_ATTRIBUTE_READONLY, false, false, EACCES}, {"held.scheme", 0, false, true, EACCES}};
    for (const auto& c : cases) {
        const std::string path = dir + c.name, file = c.link ? dir + "target.scheme" : path;
        std::ofstream(file, std::ios::binary) << "old";
        if (c.link) startLinux("Z:\\bin\\ln -s target.scheme /tmp/" + name + "/" + c.name);
        ASSERT_TRUE(wintest::WaitUntil([&] { return Slurp(path) == "old"; })) << c.name;
        ::SetFileAttributesA(file.c_str(), c.attributes);
        const HANDLE held =
            c.held ? ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0) : nullptr;
        fw::FileReplacement replace;
        int error = replace.Begin(path);
        if (!error) std::ofstream(replace.writePath(), std::ios::binary) << "new";
        EXPECT_EQ(c.error, error ? error : replace.Commit()) << c.name;
        if (held) ::CloseHandle(held);
        EXPECT_EQ(c.error ? "old" : "new", Slurp(file)) << c.name;
        EXPECT_EQ(c.attributes, ::GetFileAttributesA(file.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
        ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    WIN32_FIND_DATAA found;
    const HANDLE find = ::FindFirstFileA((dir + "*.*").c_str(), &found);
    int files = 0;
    do files += found.cFileName[0] != '.';
    while (::FindNextFileA(find, &found));
    ::FindClose(find);
    EXPECT_EQ(5, files) << "a file left beside the saved ones";
    startLinux("Z:\\bin\\rm -rf /tmp/" + name);  // Wine would delete the file a link names, not the link
    EXPECT_TRUE(wintest::WaitUntil([&] { return ::GetFileAttributesA(dir.c_str()) == INVALID_FILE_ATTRIBUTES; }));
}
