#pragma once
// A UDP socket of this host at a loopback address, for the tests, the bench
// and the soak run to talk OSC to the board. Loopback only: nothing here
// sends anywhere else.
#include <string>

namespace e2e {

class Udp {
 public:
  // Bound to `address` (127.0.0.0/8) on a port of the system's choice.
  explicit Udp(const std::string& address = "127.0.0.1");
  ~Udp();
  Udp(const Udp&) = delete;
  Udp& operator=(const Udp&) = delete;
  // To 127.0.0.1:port; whether the whole datagram went.
  bool Send(const std::string& bytes, int port) const;
  // The datagrams waiting, read and counted without waiting for more.
  int Drain() const;
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

// Whether some process has a UDP socket bound to `port`.
bool UdpPortBound(int port);

}  // namespace e2e
