#include "remote/OscCommands.h"

#include <cmath>
#include <string>
#include <vector>

#include "board/Keys.h"

namespace remote {

namespace {

constexpr char kRoot[] = "clangster";

std::vector<std::string> PartsOf(const std::string& address) {
    std::vector<std::string> parts;
    std::size_t at = 1;  // past the leading '/'
    while (at <= address.size()) {
        const std::size_t slash = address.find('/', at);
        const std::size_t end = slash == std::string::npos ? address.size() : slash;
        parts.push_back(address.substr(at, end - at));
        at = end + 1;
    }
    return parts;
}

// A number 1..count written as plain digits; 0 otherwise.
int OneBased(const std::string& text, int count) {
    if (text.empty() || text.size() > 2 || text[0] == '0') return 0;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n <= count ? n : 0;
}

// The one argument of a message that takes a number.
std::optional<double> NumberOf(const OscMessage& m) {
    if (m.arguments.size() != 1 || !m.arguments[0].IsNumber() || !std::isfinite(m.arguments[0].number))
        return std::nullopt;
    return m.arguments[0].number;
}

std::optional<OscRequest> Do(board::Action::Kind kind, int index = 0, double value = 0, std::string name = {}) {
    OscRequest r;
    r.action = board::Action{kind, index, value, std::move(name)};
    return r;
}

std::optional<OscRequest> SlotRequest(int slot, const std::string& verb, const OscMessage& m) {
    const bool bare = m.arguments.empty();
    if (verb == "play" && bare) return Do(board::Action::Fire, slot);
    if (verb == "stop" && bare) return Do(board::Action::Stop, slot);
    if (verb == "prelisten" && bare) return Do(board::Action::Prelisten, slot);
    const auto number = NumberOf(m);
    if (!number) return std::nullopt;
    if (verb == "volume") return Do(board::Action::SetVolume, slot, *number);
    if (verb == "position" && *number >= 0) return Do(board::Action::Seek, slot, *number);
    return std::nullopt;
}

}  // namespace

std::optional<OscRequest> RequestFor(const OscMessage& m) {
    const std::vector<std::string> p = PartsOf(m.address);
    if (p.size() < 2 || p[0] != kRoot) return std::nullopt;
    const bool bare = m.arguments.empty();
    if (p.size() == 2) {
        if (p[1] == "stopall" && bare) return Do(board::Action::StopAll);
        if (p[1] == "fadeall" && bare) return Do(board::Action::FadeAll);
        if (p[1] == "subscribe" || p[1] == "unsubscribe") {
            OscRequest r;
            r.subscribe = p[1] == "subscribe";
            r.unsubscribe = !r.subscribe;
            if (bare) return r;
            const auto port = NumberOf(m);
            if (!port || m.arguments[0].type != 'i' || *port < 1 || *port > 65535) return std::nullopt;
            r.port = static_cast<int>(*port);
            return r;
        }
        return std::nullopt;
    }
    if (p.size() == 3 && p[1] == "favourite" && bare) {
        const int n = OneBased(p[2], board::kFavouriteCount);
        if (n) return Do(board::Action::OpenFavourite, n - 1);
        return std::nullopt;
    }
    if (p.size() == 3 && p[1] == "name" && p[2] == "play") {
        if (m.arguments.size() != 1 || !m.arguments[0].IsText()) return std::nullopt;
        return Do(board::Action::FireByName, 0, 0, m.arguments[0].text);
    }
    if (p.size() == 4 && p[1] == "slot") {
        const int n = OneBased(p[2], board::kSlotCount);
        if (n) return SlotRequest(n - 1, p[3], m);
    }
    return std::nullopt;
}

}  // namespace remote
