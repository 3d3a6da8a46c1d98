// The sockets module: its commands, its life in the runtime and its registrations. Network
// failures never raise: they give 0 or fail the stream. In debug mode a dead handle raises.
#include <cstdio>

#include "base/kv_ex.h"
#include "stdlib/stdlib_modules.h"
#include "host/runtime_host.h"
#include "stdlib/sockets/host_lookup.h"
#include "stdlib/sockets/sockets.h"
#include "stdlib/sockets/sockets_commands.h"

namespace korvo::cmd {
namespace {

using stdlib::sockets;
using stdlib::TcpServer;
using stdlib::TcpStream;
using stdlib::UdpStream;

UdpStream* requireUdp(std::int32_t handle) {
  UdpStream* stream = sockets().findUdp(handle);
  if (!stream && debugMode()) raiseError("UDP Stream does not exist");
  return stream;
}

TcpStream* requireTcp(std::int32_t handle) {
  TcpStream* stream = sockets().findTcp(handle);
  if (!stream && debugMode()) raiseError("TCP Stream does not exist");
  return stream;
}

TcpServer* requireServer(std::int32_t handle) {
  return sockets().servers().require(handle, "TCP Server does not exist");
}

bool validPort(std::int32_t port) { return port >= 0 && port <= 65535; }

// Time-outs below 0 mean no waiting.
std::uint32_t millis(std::int32_t ms) { return ms > 0 ? static_cast<std::uint32_t>(ms) : 0; }

std::int32_t asInt(std::uint32_t ip) { return static_cast<std::int32_t>(ip); }

}  // namespace

KvString* DottedIP(std::int32_t ip) {
  const auto v = static_cast<std::uint32_t>(ip);
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", v >> 24, (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  return core::newString(text);
}

std::int32_t CountHostIPs(KvString* hostName) {
  core::StringArg name(hostName);
  sockets().hostAddresses = stdlib::lookUpHost(name.str());
  return static_cast<std::int32_t>(sockets().hostAddresses.size());
}

std::int32_t HostIP(std::int32_t index) {
  const auto& list = sockets().hostAddresses;
  if (index >= 1 && static_cast<std::size_t>(index) <= list.size())
    return asInt(list[static_cast<std::size_t>(index - 1)]);
  if (debugMode()) raiseError("Host index out of range");
  return 0;
}

std::int32_t CreateUDPStream(std::int32_t port) {
  if (!validPort(port)) return 0;
  const int fd = stdlib::bindUdp(static_cast<std::uint16_t>(port));
  return fd < 0 ? 0 : sockets().addUdp(std::make_unique<UdpStream>(fd));
}

void CloseUDPStream(std::int32_t stream) {
  if (requireUdp(stream)) sockets().closeUdp(stream);
}

void SendUDPMsg(std::int32_t stream, std::int32_t ip, std::int32_t port) {
  UdpStream* s = requireUdp(stream);
  if (s) s->send(static_cast<std::uint32_t>(ip), static_cast<std::uint16_t>(port));
}

std::int32_t RecvUDPMsg(std::int32_t stream) {
  UdpStream* s = requireUdp(stream);
  return s ? asInt(s->receive(sockets().udpReceiveTimeoutMs)) : 0;
}

std::int32_t UDPStreamIP(std::int32_t stream) {
  UdpStream* s = requireUdp(stream);
  return s ? asInt(s->local().ip) : 0;
}

std::int32_t UDPStreamPort(std::int32_t stream) {
  UdpStream* s = requireUdp(stream);
  return s ? s->local().port : 0;
}

std::int32_t UDPMsgIP(std::int32_t stream) {
  UdpStream* s = requireUdp(stream);
  return s ? asInt(s->sender().ip) : 0;
}

std::int32_t UDPMsgPort(std::int32_t stream) {
  UdpStream* s = requireUdp(stream);
  return s ? s->sender().port : 0;
}

void UDPTimeouts(std::int32_t receiveMillis) { sockets().udpReceiveTimeoutMs = millis(receiveMillis); }

std::int32_t OpenTCPStream(KvString* server, std::int32_t serverPort, std::int32_t localPort) {
  core::StringArg name(server);
  std::uint32_t ip = 0;
  if (!validPort(serverPort) || !validPort(localPort) || !stdlib::resolveAddress(name.str(), ip)) return 0;
  const int fd =
      stdlib::connectTcp({ip, static_cast<std::uint16_t>(serverPort)}, static_cast<std::uint16_t>(localPort));
  return fd < 0 ? 0 : sockets().addTcp(std::make_unique<TcpStream>(sockets(), fd, nullptr));
}

void CloseTCPStream(std::int32_t stream) {
  if (requireTcp(stream)) sockets().closeTcp(stream);
}

std::int32_t CreateTCPServer(std::int32_t port) {
  if (!validPort(port)) return 0;
  const int fd = stdlib::listenTcp(static_cast<std::uint16_t>(port));
  return fd < 0 ? 0 : sockets().servers().add(std::make_unique<TcpServer>(fd));
}

void CloseTCPServer(std::int32_t server) {
  if (requireServer(server)) sockets().closeServer(server);
}

std::int32_t AcceptTCPStream(std::int32_t server) {
  TcpServer* s = requireServer(server);
  if (platform::RuntimeHost* host = platform::RuntimeHost::current(); host && !host->idle()) endQuietly();
  if (!s) return 0;
  const int fd = s->accept(sockets().tcpAcceptTimeoutMs);
  return fd < 0 ? 0 : sockets().addTcp(std::make_unique<TcpStream>(sockets(), fd, s));
}

std::int32_t TCPStreamIP(std::int32_t stream) {
  TcpStream* s = requireTcp(stream);
  return s ? asInt(s->remote().ip) : 0;
}

std::int32_t TCPStreamPort(std::int32_t stream) {
  TcpStream* s = requireTcp(stream);
  return s ? s->remote().port : 0;
}

void TCPTimeouts(std::int32_t readMillis, std::int32_t acceptMillis) {
  sockets().tcpReadTimeoutMs = millis(readMillis);
  sockets().tcpAcceptTimeoutMs = millis(acceptMillis);
}

}  // namespace korvo::cmd

namespace korvo {

bool createSocketsModule() {
  stdlib::Sockets& s = stdlib::sockets();
  s.tcpReadTimeoutMs = 10000;
  s.tcpAcceptTimeoutMs = 0;
  s.udpReceiveTimeoutMs = 0;
  s.hostAddresses.clear();
  return true;
}

void destroySocketsModule() { stdlib::sockets().closeAll(); }

void registerSocketsCommands(Registrar& r) {
  using namespace cmd;
  r.add("$DottedIP%IP", entry<&DottedIP>());
  r.add("%CountHostIPs$host_name", entry<&CountHostIPs>());
  r.add("%HostIP%host_index", entry<&HostIP>());
  r.add("%CreateUDPStream%port=0", entry<&CreateUDPStream>());
  r.add("CloseUDPStream%udp_stream", entry<&CloseUDPStream>());
  r.add("SendUDPMsg%udp_stream%dest_ip%dest_port=0", entry<&SendUDPMsg>());
  r.add("%RecvUDPMsg%udp_stream", entry<&RecvUDPMsg>());
  r.add("%UDPStreamIP%udp_stream", entry<&UDPStreamIP>());
  r.add("%UDPStreamPort%udp_stream", entry<&UDPStreamPort>());
  r.add("%UDPMsgIP%udp_stream", entry<&UDPMsgIP>());
  r.add("%UDPMsgPort%udp_stream", entry<&UDPMsgPort>());
  r.add("UDPTimeouts%recv_timeout", entry<&UDPTimeouts>());
  r.add("%OpenTCPStream$server%server_port%local_port=0", entry<&OpenTCPStream>());
  r.add("CloseTCPStream%tcp_stream", entry<&CloseTCPStream>());
  r.add("%CreateTCPServer%port", entry<&CreateTCPServer>());
  r.add("CloseTCPServer%tcp_server", entry<&CloseTCPServer>());
  r.add("%AcceptTCPStream%tcp_server", entry<&AcceptTCPStream>());
  r.add("%TCPStreamIP%tcp_stream", entry<&TCPStreamIP>());
  r.add("%TCPStreamPort%tcp_stream", entry<&TCPStreamPort>());
  r.add("TCPTimeouts%read_millis%accept_millis", entry<&TCPTimeouts>());
}

}  // namespace korvo
