#include "remote/Osc.h"

#include <cmath>
#include <cstring>

namespace remote {

namespace {

constexpr int kMaxBundleDepth = 8;
constexpr char kBundleTag[] = "#bundle";  // 8 bytes with its zero

// A cursor over the datagram that fails, rather than reads past the end.
class Reader {
public:
    Reader(const unsigned char* data, std::size_t size) : p_(data), end_(data + size) {}
    bool AtEnd() const { return p_ == end_; }
    std::size_t Left() const { return static_cast<std::size_t>(end_ - p_); }
    bool StartsWith(const char* bytes, std::size_t n) const { return n <= Left() && std::memcmp(p_, bytes, n) == 0; }

    bool Bytes(std::size_t n, const unsigned char*& at) {
        if (n > Left()) return false;
        at = p_;
        p_ += n;
        return true;
    }
    bool U32(std::uint32_t& v) {
        const unsigned char* b;
        if (!Bytes(4, b)) return false;
        v = std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
        return true;
    }
    bool U64(std::uint64_t& v) {
        std::uint32_t hi, lo;
        if (!U32(hi) || !U32(lo)) return false;
        v = std::uint64_t{hi} << 32 | lo;
        return true;
    }
    // A zero-terminated string padded with zeros to a multiple of four bytes.
    bool String(std::string& s) {
        const void* zero = std::memchr(p_, 0, Left());
        if (!zero) return false;
        const std::size_t n = static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - p_);
        const std::size_t padded = (n + 4) & ~std::size_t{3};
        const unsigned char* b;
        if (!Bytes(padded, b)) return false;
        for (std::size_t i = n; i < padded; ++i)
            if (b[i] != 0) return false;
        s.assign(reinterpret_cast<const char*>(b), n);
        return true;
    }
    bool Blob(std::string& s) {
        std::uint32_t n;
        const unsigned char* b;
        if (!U32(n) || n > Left()) return false;
        const std::size_t padded = (std::size_t{n} + 3) & ~std::size_t{3};
        if (!Bytes(padded, b)) return false;
        s.assign(reinterpret_cast<const char*>(b), n);
        return true;
    }

private:
    const unsigned char* p_;
    const unsigned char* end_;
};

bool ReadArgument(Reader& in, char type, OscArgument& a) {
    a.type = type;
    std::uint32_t u32;
    std::uint64_t u64;
    switch (type) {
    case 'i':
        if (!in.U32(u32)) return false;
        a.number = static_cast<std::int32_t>(u32);
        return true;
    case 'f': {
        if (!in.U32(u32)) return false;
        float f;
        std::memcpy(&f, &u32, sizeof f);
        a.number = f;
        return true;
    }
    case 'h':
        if (!in.U64(u64)) return false;
        a.number = static_cast<double>(static_cast<std::int64_t>(u64));
        return true;
    case 'd':
        if (!in.U64(u64)) return false;
        std::memcpy(&a.number, &u64, sizeof a.number);
        return true;
    case 's': case 'S': return in.String(a.text);
    case 'b': return in.Blob(a.text);
    case 't': return in.U64(u64);
    case 'c': case 'r': case 'm': return in.U32(u32);
    case 'T': a.number = 1; return true;
    case 'F': case 'N': case 'I': return true;
    default: return false;  // arrays and unknown tags: the rest could not be told apart
    }
}

bool ReadMessage(Reader& in, std::vector<OscMessage>& out) {
    OscMessage m;
    std::string tags;
    if (!in.String(m.address) || m.address.empty() || m.address[0] != '/') return false;
    // A message without type tags is an old form with no arguments.
    if (!in.AtEnd() && (!in.String(tags) || tags.empty() || tags[0] != ',')) return false;
    for (std::size_t i = 1; i < tags.size(); ++i) {
        OscArgument a;
        if (!ReadArgument(in, tags[i], a)) return false;
        m.arguments.push_back(std::move(a));
    }
    if (!in.AtEnd()) return false;
    out.push_back(std::move(m));
    return true;
}

bool ReadPacket(Reader& in, std::vector<OscMessage>& out, int depth) {
    if (in.StartsWith(kBundleTag, sizeof kBundleTag)) {
        const unsigned char* tag;
        std::uint64_t time;
        if (depth >= kMaxBundleDepth || !in.Bytes(sizeof kBundleTag, tag) || !in.U64(time)) return false;
        while (!in.AtEnd()) {
            std::uint32_t size;
            const unsigned char* element;
            if (!in.U32(size) || size % 4 != 0 || !in.Bytes(size, element)) return false;
            Reader inner(element, size);
            if (!ReadPacket(inner, out, depth + 1)) return false;
        }
        return true;
    }
    return ReadMessage(in, out);
}

void PutU32(std::string& out, std::uint32_t v) {
    const char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
    out.append(b, 4);
}

void PutString(std::string& out, const std::string& s) {
    out.append(s.c_str());  // up to a zero inside, which the format cannot carry
    out.append(4 - (std::strlen(s.c_str()) % 4), '\0');
}

}  // namespace

std::vector<OscMessage> ReadOsc(const void* data, std::size_t size) {
    std::vector<OscMessage> out;
    if (!data || size == 0 || size > kMaxOscDatagram || size % 4 != 0) return out;
    Reader in(static_cast<const unsigned char*>(data), size);
    if (!ReadPacket(in, out, 0)) out.clear();
    return out;
}

std::string WriteOsc(const OscMessage& message) {
    std::string out, tags = ",";
    for (const OscArgument& a : message.arguments)
        if (a.type == 'i' || a.type == 'f' || a.type == 's') tags += a.type;
    PutString(out, message.address);
    PutString(out, tags);
    for (const OscArgument& a : message.arguments) {
        if (a.type == 'i') {
            // Clamped first: a number past 32 bits has no int32 (NaN gives the lowest).
            const double n = std::fmin(2147483647.0, std::fmax(-2147483648.0, a.number));
            PutU32(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(n)));
        } else if (a.type == 'f') {
            const float f = static_cast<float>(a.number);
            std::uint32_t u;
            std::memcpy(&u, &f, sizeof u);
            PutU32(out, u);
        } else if (a.type == 's') {
            PutString(out, a.text);
        }
    }
    return out;
}

std::string WriteOscBundle(const std::vector<std::string>& packets) {
    std::string out(kBundleTag, sizeof kBundleTag);
    PutU32(out, 0);
    PutU32(out, 1);  // the time tag meaning "immediately"
    for (const std::string& packet : packets) {
        PutU32(out, static_cast<std::uint32_t>(packet.size()));
        out += packet;
    }
    return out;
}

}  // namespace remote
