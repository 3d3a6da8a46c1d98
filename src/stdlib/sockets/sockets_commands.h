// The sockets commands: host lookup, UDP streams, TCP streams and servers. Addresses are
// 32-bit IPv4 numbers in host order (the first dotted number in the top byte).
#pragma once

#include <cstdint>

#include "core/kv_string.h"

namespace korvo::cmd {

KvString* DottedIP(std::int32_t ip);
std::int32_t CountHostIPs(KvString* hostName);
std::int32_t HostIP(std::int32_t index);
std::int32_t CreateUDPStream(std::int32_t port);
void CloseUDPStream(std::int32_t stream);
void SendUDPMsg(std::int32_t stream, std::int32_t ip, std::int32_t port);
std::int32_t RecvUDPMsg(std::int32_t stream);
std::int32_t UDPStreamIP(std::int32_t stream);
std::int32_t UDPStreamPort(std::int32_t stream);
std::int32_t UDPMsgIP(std::int32_t stream);
std::int32_t UDPMsgPort(std::int32_t stream);
void UDPTimeouts(std::int32_t receiveMillis);
std::int32_t OpenTCPStream(KvString* server, std::int32_t serverPort, std::int32_t localPort);
void CloseTCPStream(std::int32_t stream);
std::int32_t CreateTCPServer(std::int32_t port);
void CloseTCPServer(std::int32_t server);
std::int32_t AcceptTCPStream(std::int32_t server);
std::int32_t TCPStreamIP(std::int32_t stream);
std::int32_t TCPStreamPort(std::int32_t stream);
void TCPTimeouts(std::int32_t readMillis, std::int32_t acceptMillis);

}  // namespace korvo::cmd
