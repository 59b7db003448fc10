#pragma once
// Open Sound Control 1.0 over UDP: the messages a controller sends and the
// feedback the board sends back. Window-free, and nothing here trusts a
// byte of a datagram: anything malformed reads as no message at all.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace remote {

struct OscArgument {
    char type = 0;            // its type tag: 'i', 'f', 's', ...
    double number = 0;        // i, h, f, d; T and F as 1 and 0
    std::string text;         // s, S, and a blob's bytes
    bool IsNumber() const { return type == 'i' || type == 'h' || type == 'f' || type == 'd'; }
    bool IsText() const { return type == 's' || type == 'S'; }
};

struct OscMessage {
    std::string address;
    std::vector<OscArgument> arguments;
};

// Larger datagrams are ignored whole: no command needs a tenth of this.
constexpr std::size_t kMaxOscDatagram = 4096;

// Every message of a datagram: one, or those of a bundle and of the bundles
// in it, in order. Empty when anything in it is malformed.
std::vector<OscMessage> ReadOsc(const void* data, std::size_t size);

// A message as a datagram's bytes: its address, the type tags and the
// arguments ('i', 'f' and 's' are written; others are left out).
std::string WriteOsc(const OscMessage& message);
// Packets already written (messages or bundles) as one bundle, to be acted on at once.
std::string WriteOscBundle(const std::vector<std::string>& packets);

}  // namespace remote
