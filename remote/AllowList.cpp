#include "remote/AllowList.h"

#include <optional>

namespace remote {

namespace {

// A decimal number 0..max, without sign or leading zeros (which some
// readers take for octal: "010" must not quietly mean 8 or 10).
std::optional<std::uint32_t> Decimal(const std::string& text, std::uint32_t max) {
    if (text.empty() || text.size() > 3 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
    std::uint32_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (n > max) return std::nullopt;
    return n;
}

std::optional<std::uint32_t> Address(const std::string& text) {
    std::uint32_t address = 0;
    std::size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = part < 3 ? text.find('.', at) : text.size();
        if (dot == std::string::npos) return std::nullopt;
        const auto octet = Decimal(text.substr(at, dot - at), 255);
        if (!octet) return std::nullopt;
        address = address << 8 | *octet;
        at = dot + 1;
    }
    return address;
}

}  // namespace

bool AllowList::Parse(const std::string& text, std::string& bad) {
    std::vector<Block> blocks;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find_first_of(" ,\t", at);
        const std::string entry = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (entry.empty()) continue;
        const std::size_t slash = entry.find('/');
        const auto address = Address(entry.substr(0, slash));
        const auto bits =
            slash == std::string::npos ? std::optional<std::uint32_t>(32) : Decimal(entry.substr(slash + 1), 32);
        const std::uint32_t mask = bits && *bits ? ~std::uint32_t{0} << (32 - *bits) : 0;
        if (!address || !bits || (*address & ~mask) != 0) {
            bad = entry;
            return false;
        }
        blocks.push_back({*address, mask});
    }
    m_blocks = std::move(blocks);
    m_onlyThisComputer = false;
    return true;
}

void AllowList::AllowOnlyThisComputer() {
    m_blocks.clear();
    m_onlyThisComputer = true;
}

bool AllowList::Allows(std::uint32_t address) const {
    if (address == kThisComputer || (m_blocks.empty() && !m_onlyThisComputer)) return true;
    for (const Block& b : m_blocks)
        if ((address & b.mask) == b.first) return true;
    return false;
}

}  // namespace remote
