// Sockets: the sockets module's state. The three time-outs, the address list of the last
// lookup, and the live UDP streams, TCP streams and TCP servers (the handles of streams are
// their stream handles; servers have their own).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/handle_registry.h"
#include "stdlib/sockets/tcp_stream.h"
#include "stdlib/sockets/udp_stream.h"

namespace korvo::stdlib {

class Sockets {
 public:
  std::uint32_t tcpReadTimeoutMs = 10000;
  std::uint32_t tcpAcceptTimeoutMs = 0;
  std::uint32_t udpReceiveTimeoutMs = 0;
  std::vector<std::uint32_t> hostAddresses;

  Sockets() = default;
  // Closes what the module's destroy routine left, in closeAll's order.
  ~Sockets();
  Sockets(const Sockets&) = delete;
  Sockets& operator=(const Sockets&) = delete;

  UdpStream* findUdp(std::int32_t handle) const;
  TcpStream* findTcp(std::int32_t handle) const;
  std::int32_t addUdp(std::unique_ptr<UdpStream> stream);
  std::int32_t addTcp(std::unique_ptr<TcpStream> stream);
  void closeUdp(std::int32_t handle);
  // Removes the stream from its server's set too.
  void closeTcp(std::int32_t handle);
  HandleRegistry<TcpServer>& servers() { return servers_; }
  // Closes the server's accepted streams, then the server.
  void closeServer(std::int32_t handle);

  // True when the endpoint is one of this process's TCP sockets: then nothing can come
  // from it while the program waits.
  bool ownsTcpEndpoint(const Endpoint& endpoint) const;

  // Closes every UDP stream, every TCP stream and every server, in that order.
  void closeAll();

 private:
  // Under their stream handles.
  HandleRegistry<UdpStream> udp_;
  HandleRegistry<TcpStream> tcp_;
  HandleRegistry<TcpServer> servers_;
};

// The module's state: a record of the running host, which the commands run on (one must be
// running).
Sockets& sockets();

}  // namespace korvo::stdlib
