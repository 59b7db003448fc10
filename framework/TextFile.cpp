#include "framework/TextFile.h"

#include <cerrno>
#include <cstring>

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

bool TextFileReader::Fill() {
    buffer_.resize(kMaxLineBytes);
    pos_ = 0;
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (end_ == 0 && std::ferror(file_)) error_ = errno ? errno : EIO;
    return end_ > 0;
}

bool TextFileReader::ReadLine(std::string& line) {
    line.clear();
    cut_ = false;
    if (!file_ || error_) return false;
    // One byte over the limit is kept so that a CR before the line end can
    // still be told from line content.
    constexpr std::size_t kKept = kMaxLineBytes + 1;
    bool any = false, ended = false;
    while (!ended && (pos_ < end_ || Fill())) {
        any = true;
        const char* start = buffer_.data() + pos_;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_));
        const std::size_t n = lf ? static_cast<std::size_t>(lf - start) : end_ - pos_;
        const std::size_t room = kKept - line.size();
        line.append(start, n < room ? n : room);
        if (n > room) cut_ = true;
        pos_ += n + (lf ? 1 : 0);
        ended = lf != nullptr;
    }
    if (error_) return false;
    if (!cut_ && !line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kMaxLineBytes) {
        line.resize(kMaxLineBytes);
        cut_ = true;
    }
    return any;
}

void TextFileReader::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    pos_ = end_ = 0;
    cut_ = false;
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
