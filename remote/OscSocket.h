#pragma once
// The board's UDP socket for OSC, the one Win32 part of remote control. It
// never blocks: the system posts a message to the board's window whenever
// datagrams wait, and the window reads them on its own thread, where the
// actions they ask for run with nothing locked.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "remote/Feedback.h"

namespace remote {

class OscSocket {
public:
    OscSocket() = default;
    ~OscSocket();  // closes the socket, and ends Winsock if it was started
    OscSocket(const OscSocket&) = delete;
    OscSocket& operator=(const OscSocket&) = delete;

    // Listens on UDP `port`: at 127.0.0.1 only, or at every address of the
    // machine when fromNetwork. `message` goes to `window` (its wParam the
    // socket) while datagrams wait. Empty when listening, else why not.
    std::string Open(HWND window, UINT message, int port, bool fromNetwork);
    void Close();
    bool IsOpen() const { return socket_.IsOpen(); }

    using Take = std::function<void(const char* bytes, std::size_t size, const Endpoint& from)>;
    // For the posted message: every datagram waiting, each handed to `take`.
    // Datagrams over kMaxOscDatagram are dropped unread.
    void ReadAll(WPARAM socket, const Take& take);
    // Without waiting: a datagram the system cannot take at once is dropped.
    void Send(const Datagram& datagram);

private:
    // A socket, closed when it goes.
    class UniqueSocket {
    public:
        static constexpr std::uintptr_t kNone = ~std::uintptr_t{0};  // INVALID_SOCKET
        UniqueSocket() = default;
        ~UniqueSocket() { reset(); }
        UniqueSocket(const UniqueSocket&) = delete;
        UniqueSocket& operator=(const UniqueSocket&) = delete;
        void reset(std::uintptr_t s = kNone);
        std::uintptr_t release() {
            const std::uintptr_t s = s_;
            s_ = kNone;
            return s;
        }
        std::uintptr_t get() const { return s_; }
        bool IsOpen() const { return s_ != kNone; }

    private:
        std::uintptr_t s_ = kNone;
    };
    bool started_ = false;  // Winsock, from the first Open to the destructor
    UniqueSocket socket_;   // after started_: closed before Winsock ends
};

// Milliseconds of a clock that never runs backwards, for subscriptions.
std::uint64_t NowMs();

// The board's text (the system's ANSI code page) as OSC's UTF-8, and back:
// exactly, without the system's best-fit look-alikes ("Ł" is not "L"); nothing
// when the code page lacks a character. Text that is not UTF-8 (a controller
// sending the board's own code page) is taken as it came.
std::string AnsiToUtf8(const std::string& text);
std::optional<std::string> Utf8ToAnsi(const std::string& text);

}  // namespace remote
