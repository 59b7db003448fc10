#include "Udp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

#include "Harness.h"

namespace e2e {

Udp::Udp(const std::string& address) {
  fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  if (inet_pton(AF_INET, address.c_str(), &at.sin_addr) != 1 || (ntohl(at.sin_addr.s_addr) >> 24) != 127)
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at);
}

Udp::~Udp() { close(fd_); }

bool Udp::Send(const std::string& bytes, int port) const {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
         static_cast<ssize_t>(bytes.size());
}

int Udp::Drain() const {
  char datagram[8192];
  int n = 0;
  while (recv(fd_, datagram, sizeof datagram, MSG_DONTWAIT) >= 0) ++n;
  return n;
}

bool UdpPortBound(int port) {
  char local[16];
  std::snprintf(local, sizeof local, ":%04X ", port);
  return ReadWholeFile("/proc/net/udp").find(local) != std::string::npos;
}

}  // namespace e2e
