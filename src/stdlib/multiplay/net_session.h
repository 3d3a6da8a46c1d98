// NetSession: a session on ENet. Every peer keeps one ENet host (bound to the first free
// port of the session range) with a reliable ordered channel for the session layer and
// reliable messages, and a second channel for unreliable ones. The host also answers
// session queries on that port. ENet is read only when the program asks: there is no
// thread, as there are no callbacks.
#pragma once

#include <enet/enet.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "stdlib/multiplay/session_core.h"
#include "stdlib/multiplay/session_finder.h"
#include "stdlib/multiplay/unreachable.h"

namespace korvo::stdlib::net {

class NetSession : private Links {
 public:
  // Starts ENet for the process (false when it cannot), and stops it.
  static bool startTransport();
  static void stopTransport();

  // A new session under name; null when no port could be had.
  static std::unique_ptr<NetSession> create(const std::string& name);
  // Joins the first session named exactly name that answers at one of the addresses; null
  // when none answers or the session cannot be entered (each connection is given the
  // connect bound).
  static std::unique_ptr<NetSession> join(const std::string& name, const std::vector<std::uint32_t>& addresses);
  // Joins a session that was found.
  static std::unique_ptr<NetSession> join(const FoundSession& found);
  // Says goodbye to every peer.
  ~NetSession() override;

  SessionCore& core() { return core_; }
  // Reads the transport until the session has an event or nothing more has come.
  void pump();
  // Sends everything queued now.
  void flush();
  // The port this peer's ENet host took.
  std::uint16_t port() const;

 private:
  NetSession(ENetHost* host, std::uint32_t sessionId, const std::string& name, bool create);
  static ENetHost* openHost();
  static int ENET_CALLBACK intercept(ENetHost* host, ENetEvent* event);

  void send(Link link, ByteView frame, bool reliable) override;
  void drop(Link link) override;
  void handle(const ENetEvent& event);
  // Serves the transport once, waiting up to ms; what enet_host_service says.
  int serve(ENetEvent& event, std::uint32_t ms);
  // Takes the reports of ports found unreachable.
  void noticeRefusals();
  // Peers whose port was reported unreachable have gone: their process has ended. Applied
  // only once what has come in is read, as a goodbye may still wait behind the report.
  void applyRefusals();
  // Serves the transport until done() or the connect bound runs out; done()'s last answer.
  template <typename Done>
  bool serveUntil(Done done);
  // Connects to address and waits for the link; null when it does not come up.
  ENetPeer* connectTo(std::uint32_t ip, std::uint16_t port);

  ENetHost* host_;
  SessionCore core_;
  std::vector<Refusal> refusals_;
};

}  // namespace korvo::stdlib::net
