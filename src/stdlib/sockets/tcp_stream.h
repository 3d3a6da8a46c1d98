// TCP streams and servers. A stream is open (state 0) until the peer closes it (1) or it
// fails (-1); from then on it does nothing and reads as ended. A server keeps the set of
// streams it accepted that are still open, and closes them when it closes.
#pragma once

#include <cstdint>
#include <memory>

#include "base/handle_registry.h"
#include "stdlib/kv_stream.h"
#include "stdlib/sockets/socket_address.h"

namespace korvo::stdlib {

class Sockets;
class TcpServer;

class TcpStream : public KvStream {
 public:
  // Takes a connected socket; server is the one that accepted it, if any.
  TcpStream(Sockets& owner, int fd, TcpServer* server);
  ~TcpStream() override;

  // Waits up to the read time-out for all size bytes; fewer when the peer closes or the
  // time runs out (which fails the stream).
  std::int32_t read(void* buffer, std::int32_t size) override;
  std::int32_t write(const void* buffer, std::int32_t size) override;
  std::int32_t avail() override;
  std::int32_t eof() override;

  std::int32_t state() const { return state_; }
  const Endpoint& remote() const { return remote_; }
  const Endpoint& local() const { return local_; }
  TcpServer* server() const { return server_; }

 private:
  Sockets& owner_;
  int fd_;
  TcpServer* server_;
  std::int32_t state_ = 0;
  Endpoint remote_;
  Endpoint local_;
};

class TcpServer {
 public:
  // Takes a listening socket.
  explicit TcpServer(int fd);
  ~TcpServer();
  TcpServer(const TcpServer&) = delete;
  TcpServer& operator=(const TcpServer&) = delete;

  // A new connected socket within the time-out, or -1 (a failing wait fails the server).
  int accept(std::uint32_t timeoutMs);
  bool failed() const { return failed_; }
  const Endpoint& local() const { return local_; }

  // The streams it accepted that are still open, by stream handle.
  HandleTable<TcpStream>& accepted() { return accepted_; }

 private:
  int fd_;
  bool failed_ = false;
  Endpoint local_;
  HandleTable<TcpStream> accepted_;
};

// A stream socket connected to server within the connect bound, bound first to localPort
// when it is not 0; -1 on failure.
int connectTcp(Endpoint server, std::uint16_t localPort);
// A stream socket listening on port with a backlog of 5; -1 on failure.
int listenTcp(std::uint16_t port);

}  // namespace korvo::stdlib
