// The sockets module's sets of streams and servers.
#include "stdlib/sockets/sockets.h"

#include "host/host_record.h"

namespace korvo::stdlib {

Sockets& sockets() { return *platform::RecordOf<Sockets>::find(); }

Sockets::~Sockets() { closeAll(); }

UdpStream* Sockets::findUdp(std::int32_t handle) const { return udp_.find(handle); }

TcpStream* Sockets::findTcp(std::int32_t handle) const { return tcp_.find(handle); }

std::int32_t Sockets::addUdp(std::unique_ptr<UdpStream> stream) {
  const std::int32_t handle = stream->handle();
  udp_.insert(handle, std::move(stream));
  return handle;
}

std::int32_t Sockets::addTcp(std::unique_ptr<TcpStream> stream) {
  const std::int32_t handle = stream->handle();
  if (TcpServer* server = stream->server()) server->accepted().insert(handle, stream.get());
  tcp_.insert(handle, std::move(stream));
  return handle;
}

void Sockets::closeUdp(std::int32_t handle) { udp_.erase(handle); }

void Sockets::closeTcp(std::int32_t handle) {
  TcpStream* stream = tcp_.find(handle);
  if (!stream) return;
  if (TcpServer* server = stream->server()) server->accepted().erase(handle);
  tcp_.erase(handle);
}

void Sockets::closeServer(std::int32_t handle) {
  std::unique_ptr<TcpServer> server = servers_.take(handle);
  if (!server) return;
  while (server->accepted().size() != 0) closeTcp(server->accepted().begin()->first);
}

bool Sockets::ownsTcpEndpoint(const Endpoint& endpoint) const {
  // A socket bound to any address answers on the loopback addresses too.
  const auto matches = [&endpoint](const Endpoint& local) {
    return local.port == endpoint.port && (local.ip == endpoint.ip || (local.ip == 0 && endpoint.ip >> 24 == 127));
  };
  for (const auto& [handle, stream] : tcp_) {
    if (matches(stream->local())) return true;
  }
  for (const auto& [handle, server] : servers_) {
    if (matches(server->local())) return true;
  }
  return false;
}

void Sockets::closeAll() {
  udp_.clear();
  while (tcp_.size() != 0) closeTcp(tcp_.begin()->first);
  servers_.clear();
}

}  // namespace korvo::stdlib
