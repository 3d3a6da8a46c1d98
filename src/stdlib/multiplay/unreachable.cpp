// Port-unreachable reports from the socket's error queue.
#include "stdlib/multiplay/unreachable.h"

#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace korvo::stdlib::net {
namespace {

constexpr std::uint8_t kIcmpUnreachable = 3;
constexpr std::uint8_t kIcmpPortUnreachable = 3;

}  // namespace

bool keepErrorReports(int fd) {
  const int on = 1;
  return ::setsockopt(fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on) == 0;
}

std::vector<Refusal> takeRefusals(int fd) {
  std::vector<Refusal> refusals;
  for (;;) {
    sockaddr_in offender{};
    char payload[64];
    alignas(cmsghdr) char control[256];
    iovec io{payload, sizeof payload};
    msghdr message{};
    message.msg_name = &offender;
    message.msg_namelen = sizeof offender;
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    if (::recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) return refusals;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
      if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR) continue;
      const auto* error = reinterpret_cast<const sock_extended_err*>(CMSG_DATA(c));
      // The name is the address the refused datagram was sent to.
      if (error->ee_origin == SO_EE_ORIGIN_ICMP && error->ee_type == kIcmpUnreachable &&
          error->ee_code == kIcmpPortUnreachable && message.msg_namelen >= sizeof offender) {
        refusals.push_back({ntohl(offender.sin_addr.s_addr), ntohs(offender.sin_port)});
      }
    }
  }
}

}  // namespace korvo::stdlib::net
