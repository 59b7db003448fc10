#include "remote/OscSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <vector>

#include "framework/Trace.h"
#include "remote/Osc.h"

namespace remote {

namespace {

// Enough for a few seconds of a controller's fastest stream, for the
// moments the board's thread is busy (a scheme loading).
constexpr int kReceiveBuffer = 1 << 20;
// Read at most this many datagrams per message: a flood must not starve the
// board's timers. Reading re-arms the message while more wait.
constexpr int kReadsPerMessage = 512;

std::string WinsockText(int error) {
    switch (error) {
    case WSAEADDRINUSE: return "Another program is using this port.";
    case WSAEACCES: return "The system does not allow this program to use this port.";
    case WSAEADDRNOTAVAIL: return "This address is not available on this computer.";
    default: break;
    }
    char text[256] = {};
    if (!::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                          static_cast<DWORD>(error), 0, text, sizeof text, nullptr))
        return "Winsock error " + std::to_string(error) + ".";
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

// Text that is not valid in `from` is passed on as it came; nothing when
// `to` lacks one of its characters.
std::optional<std::string> Convert(const std::string& text, UINT from, UINT to) {
    if (text.empty()) return text;
    const int n = static_cast<int>(text.size());
    const int wide = ::MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), n, nullptr, 0);
    if (wide <= 0) return text;
    std::vector<wchar_t> w(static_cast<std::size_t>(wide));
    ::MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), n, w.data(), wide);
    // UTF-8 takes neither the flag nor the question (and lacks nothing).
    const bool exact = to != CP_UTF8;
    const DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL lacking = FALSE;
    const int bytes = ::WideCharToMultiByte(to, flags, w.data(), wide, nullptr, 0, nullptr, exact ? &lacking : nullptr);
    if (bytes <= 0 || lacking) return std::nullopt;
    std::string out(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(to, flags, w.data(), wide, &out[0], bytes, nullptr, exact ? &lacking : nullptr);
    if (lacking) return std::nullopt;
    return out;
}

}  // namespace

void OscSocket::UniqueSocket::reset(std::uintptr_t s) {
    if (s_ != kNone) ::closesocket(static_cast<SOCKET>(s_));
    s_ = s;
}

OscSocket::~OscSocket() {
    socket_.reset();
    if (started_) ::WSACleanup();
}

std::string OscSocket::Open(HWND window, UINT message, int port, bool fromNetwork) {
    Close();
    if (!started_) {
        WSADATA data;
        if (const int error = ::WSAStartup(MAKEWORD(2, 2), &data)) return WinsockText(error);
        started_ = true;
    }
    UniqueSocket owner;
    owner.reset(static_cast<std::uintptr_t>(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)));
    if (!owner.IsOpen()) return WinsockText(::WSAGetLastError());
    const SOCKET s = static_cast<SOCKET>(owner.get());
    // No other program may take the port over while the board holds it.
    BOOL exclusive = TRUE;
    ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
    ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&kReceiveBuffer), sizeof kReceiveBuffer);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = ::htons(static_cast<u_short>(port));
    at.sin_addr.s_addr = ::htonl(fromNetwork ? INADDR_ANY : INADDR_LOOPBACK);
    // Asking for the messages also makes the socket non-blocking.
    if (::bind(s, reinterpret_cast<const sockaddr*>(&at), sizeof at) == SOCKET_ERROR ||
        ::WSAAsyncSelect(s, window, message, FD_READ) == SOCKET_ERROR)
        return WinsockText(::WSAGetLastError());
    socket_.reset(owner.release());
    return {};
}

void OscSocket::Close() { socket_.reset(); }

void OscSocket::ReadAll(WPARAM socket, const Take& take) {
    // A message of a socket closed since it was posted finds nothing to read.
    if (!IsOpen() || static_cast<std::uintptr_t>(socket) != socket_.get()) return;
    const SOCKET s = static_cast<SOCKET>(socket_.get());
    char buffer[kMaxOscDatagram + 1];  // one byte more: a datagram that fills it is too large
    for (int n = 0; n < kReadsPerMessage; ++n) {
        sockaddr_in from{};
        int fromSize = sizeof from;
        const int got = ::recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (got == SOCKET_ERROR) {
            const int error = ::WSAGetLastError();
            // Too large for the buffer (dropped whole), or the system's report
            // that feedback found no listener: neither ends the reading.
            if (error == WSAEMSGSIZE || error == WSAECONNRESET) continue;
            return;  // WSAEWOULDBLOCK: nothing more waits
        }
        if (got > static_cast<int>(kMaxOscDatagram)) continue;
        fw::trace::Stamp("osc");
        take(buffer, static_cast<std::size_t>(got), {::ntohl(from.sin_addr.s_addr), ::ntohs(from.sin_port)});
        // What was asked may have closed or replaced the socket.
        if (socket_.get() != static_cast<std::uintptr_t>(s)) return;
        // Asking whether another datagram waits costs far less than a read
        // that finds none: under Wine every read is a request to its server.
        u_long waiting = 0;
        if (::ioctlsocket(s, FIONREAD, &waiting) == 0 && waiting == 0) return;
    }
}

void OscSocket::Send(const Datagram& datagram) {
    if (!IsOpen()) return;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = ::htons(datagram.to.port);
    to.sin_addr.s_addr = ::htonl(datagram.to.address);
    ::sendto(static_cast<SOCKET>(socket_.get()), datagram.bytes.data(), static_cast<int>(datagram.bytes.size()), 0,
             reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

std::uint64_t NowMs() {
    // GetTickCount wraps after 49 days; the board asks far more often than that.
    static DWORD last = 0;
    static std::uint64_t wraps = 0;
    const DWORD now = ::GetTickCount();
    if (now < last) wraps += std::uint64_t{1} << 32;
    last = now;
    return wraps + now;
}

std::string AnsiToUtf8(const std::string& text) { return Convert(text, CP_ACP, CP_UTF8).value_or(text); }
std::optional<std::string> Utf8ToAnsi(const std::string& text) { return Convert(text, CP_UTF8, CP_ACP); }

}  // namespace remote
