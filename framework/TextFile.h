#pragma once
// Line-by-line text files. Lines are read with CR LF or a bare LF as their
// end and written with CR LF, the same on every platform.
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace fw {

// The longest line a reader returns: far beyond any path, so only a damaged
// or hostile file reaches it.
constexpr std::size_t kMaxLineBytes = 64 * 1024;

class TextFileReader {
public:
    TextFileReader() = default;
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    // On failure returns false and leaves the errno value in error().
    bool Open(const std::string& path);
    // Reads the next line without its line end. At the end of the file returns
    // false with error() 0; a read error returns false with error() set.
    // A line longer than kMaxLineBytes gives its first kMaxLineBytes bytes and
    // the rest of it is skipped unread into memory; lineCut() then says so.
    bool ReadLine(std::string& line);
    void Close();
    int error() const { return error_; }
    bool lineCut() const { return cut_; }

private:
    bool Fill();

    std::FILE* file_ = nullptr;
    int error_ = 0;
    bool cut_ = false;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, end_ = 0;  // the unread part of buffer_
};

class TextFileWriter {
public:
    TextFileWriter() = default;
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Creates the file or empties an existing one.
    bool Create(const std::string& path);
    bool WriteLine(const std::string& line);
    // Flushes and closes; false when anything could not be written.
    bool Close();
    int error() const { return error_; }

private:
    std::FILE* file_ = nullptr;
    int error_ = 0;
};

}  // namespace fw
