#pragma once
// Line-by-line text files. Lines are read with CR LF or a bare LF as their
// end and written with CR LF, the same on every platform.
#include <cstdio>
#include <string>

namespace fw {

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
    bool ReadLine(std::string& line);
    void Close();
    int error() const { return error_; }

private:
    std::FILE* file_ = nullptr;
    int error_ = 0;
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
