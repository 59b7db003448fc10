#include "framework/TextFile.h"

#include <cerrno>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fw {

TextFileReader::~TextFileReader() { Close(); }

bool TextFileReader::Open(const std::string& path) {
    Close();
    errno = 0;
    // Binary mode: line ends are handled here so CR LF and LF read alike everywhere.
    file_ = std::fopen(path.c_str(), "rb");
    error_ = file_ ? 0 : (errno ? errno : ENOENT);
    return file_ != nullptr;
}

bool TextFileReader::ReadLine(std::string& line) {
    line.clear();
    if (!file_) return false;
    int c;
    bool any = false;
    while ((c = std::fgetc(file_)) != EOF) {
        any = true;
        if (c == '\n') break;
        line.push_back(static_cast<char>(c));
    }
    if (c == EOF && std::ferror(file_)) {
        error_ = errno ? errno : EIO;
        return false;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}

void TextFileReader::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

namespace {
bool SyncToDisk(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}
}  // namespace

TextFileWriter::~TextFileWriter() { Close(); }

bool TextFileWriter::Create(const std::string& path) {
    Close();
    errno = 0;
    file_ = std::fopen(path.c_str(), "wb");
    error_ = file_ ? 0 : (errno ? errno : EACCES);
    return file_ != nullptr;
}

bool TextFileWriter::WriteLine(const std::string& line) {
    if (!file_ || error_) return false;
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() ||
        std::fwrite("\r\n", 1, 2, file_) != 2) {
        error_ = errno ? errno : EIO;
        return false;
    }
    return true;
}

bool TextFileWriter::Close() {
    if (!file_) return error_ == 0;
    errno = 0;
    // On the disk before the file may take another's place.
    const bool flushed = std::fflush(file_) == 0 && SyncToDisk(file_);
    if (!flushed && !error_) error_ = errno ? errno : EIO;
    if (std::fclose(file_) != 0 && !error_) error_ = errno ? errno : EIO;
    file_ = nullptr;
    return error_ == 0;
}

}  // namespace fw
