// UDP streams: whole datagrams. Reads come from the last datagram received, writes gather
// in the outgoing buffer until it is sent as one datagram. After a failure the stream does
// nothing and its end-of-stream reports -1.
#pragma once

#include <cstdint>
#include <vector>

#include "stdlib/kv_stream.h"
#include "stdlib/sockets/socket_address.h"

namespace korvo::stdlib {

class UdpStream : public KvStream {
 public:
  // Takes a bound datagram socket.
  explicit UdpStream(int fd);
  ~UdpStream() override;

  std::int32_t read(void* buffer, std::int32_t size) override;
  std::int32_t write(const void* buffer, std::int32_t size) override;
  std::int32_t avail() override;
  std::int32_t eof() override;

  // Waits up to timeoutMs for a datagram; the sender's address, or 0 when none came.
  std::uint32_t receive(std::uint32_t timeoutMs);
  // Sends the outgoing buffer to ip:port (port 0: our own port number) as one datagram.
  void send(std::uint32_t ip, std::uint16_t port);

  const Endpoint& local() const { return local_; }
  const Endpoint& sender() const { return sender_; }

 private:
  int fd_;
  std::vector<std::uint8_t> incoming_;
  std::size_t readAt_ = 0;
  std::vector<std::uint8_t> outgoing_;
  Endpoint local_;
  Endpoint sender_;
  Endpoint destination_;
  bool failed_ = false;
};

// A datagram socket bound to any local address and port (0: one the system picks); -1 on
// failure.
int bindUdp(std::uint16_t port);

}  // namespace korvo::stdlib
