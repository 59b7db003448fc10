#pragma once
// Which computers may control the board over the network: IPv4 addresses
// ("192.168.1.20") and blocks ("192.168.1.0/24"), separated by spaces or
// commas. Programs on this computer (127.0.0.1) are always let in; an empty
// list lets in any address.
#include <cstdint>
#include <string>
#include <vector>

namespace remote {

class AllowList {
public:
    // Reads a list as the user wrote it. False, with the first entry that is
    // not an address or a block in `bad`, when any is malformed: a list is
    // never read wider than it was written. A block must name its first
    // address ("192.168.1.0/24", not "192.168.1.5/24").
    bool Parse(const std::string& text, std::string& bad);
    // Only this computer, whatever the list said.
    void AllowOnlyThisComputer();
    // Addresses in host byte order.
    bool Allows(std::uint32_t address) const;
    bool empty() const { return m_blocks.empty() && !m_onlyThisComputer; }

private:
    struct Block {
        std::uint32_t first, mask;
    };
    std::vector<Block> m_blocks;
    bool m_onlyThisComputer = false;
};

constexpr std::uint32_t kThisComputer = 0x7F000001;  // 127.0.0.1

}  // namespace remote
