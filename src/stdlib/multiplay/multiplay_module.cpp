// The multiplay module: its commands, its life in the runtime and its registrations. Only
// the session-state checks raise; network failures give 0.
#include <algorithm>

#include "base/kv_ex.h"
#include "host/runtime_host.h"
#include "host/session_dialog.h"
#include "stdlib/multiplay/dialog_actions.h"
#include "stdlib/multiplay/multiplay.h"
#include "stdlib/multiplay/multiplay_commands.h"
#include "stdlib/multiplay/session_finder.h"
#include "stdlib/sockets/host_lookup.h"
#include "stdlib/stdlib_modules.h"

namespace korvo::cmd {
namespace {

using stdlib::multiplay;
using stdlib::Multiplay;
using stdlib::net::Event;

Multiplay& started() {
  Multiplay& m = multiplay();
  if (!m.session) raiseError("Multiplayer game not started");
  return m;
}

void notStarted() {
  if (multiplay().session) raiseError("Multiplayer game already started");
}

// Takes one event into the current message; true when it is one to report now.
bool take(Multiplay& m, Event& event) {
  switch (event.kind) {
    case Event::Kind::kPlayerJoined:
      if (!m.find(event.from)) {
        m.players.push_back({event.from, std::move(event.data), true});
        m.announcements.push_back(event.from);
      }
      return false;
    case Event::Kind::kPlayerLeft: {
      if (!m.find(event.from)) return false;
      // A player that leaves before it was announced is never mentioned.
      const bool announced =
          std::find(m.announcements.begin(), m.announcements.end(), event.from) == m.announcements.end();
      m.forget(event.from);
      if (announced) m.current = {101, event.from, 0, {}};
      return false;
    }
    case Event::Kind::kMessage: {
      // The frame passes through the receive buffer, as a message from the session does.
      stdlib::ensureCapacity(m.receiveBuffer, event.data.size());
      std::copy(event.data.begin(), event.data.end(), m.receiveBuffer.begin());
      stdlib::net::Frame frame;
      const stdlib::net::ByteView bytes(m.receiveBuffer.data(), event.data.size());
      const stdlib::NetPlayer* sender = m.find(event.from);
      // Local players do not hear each other.
      if (!stdlib::net::readFrame(bytes, frame) || (sender && !sender->remote)) return false;
      m.current = {frame.type, frame.from, frame.to, std::string(frame.data.begin(), frame.data.end())};
      return false;
    }
    case Event::Kind::kBecameHost:
      if (!m.host) {
        m.host = true;
        m.current = {102, -1, 0, {}};
      }
      return false;
    case Event::Kind::kSessionLost: m.current = {200, -1, 0, {}}; return true;
  }
  return false;
}

}  // namespace

std::int32_t StartNetGame() {
  notStarted();
  platform::RuntimeHost* host = platform::RuntimeHost::current();
  if (host && !host->idle()) endQuietly();
  stdlib::net::DialogActions actions;
  const std::int32_t result = platform::runSessionDialog(actions);
  // As after the dialog box: the program is told to go on, and the window's events are served.
  if (host) {
    host->requestResume();
    if (!host->idle()) endQuietly();
  }
  std::unique_ptr<stdlib::net::NetSession> session = actions.takeSession();
  if ((result != 1 && result != 2) || !session) return 0;
  multiplay().enter(std::move(session), result == 2);
  return result;
}

std::int32_t HostNetGame(KvString* gameName) {
  core::StringArg name(gameName);
  notStarted();
  auto session = stdlib::net::NetSession::create(name.str());
  if (!session) return 0;
  multiplay().enter(std::move(session), true);
  return 2;
}

std::int32_t JoinNetGame(KvString* gameName, KvString* ipAddress) {
  core::StringArg name(gameName), address(ipAddress);
  notStarted();
  std::vector<std::uint32_t> addresses;
  std::uint32_t ip = 0;
  if (address.view().empty()) {
    addresses = stdlib::net::searchAddresses();
  } else if (stdlib::resolveAddress(address.str(), ip)) {
    addresses.push_back(ip);
  } else {
    return 0;
  }
  auto session = stdlib::net::NetSession::join(name.str(), addresses);
  if (!session) return 0;
  multiplay().enter(std::move(session), false);
  return 1;
}

void StopNetGame() { multiplay().stop(); }

std::int32_t CreateNetPlayer(KvString* name) {
  core::StringArg text(name);
  Multiplay& m = started();
  const std::int32_t id = m.session->core().addLocalPlayer(text.view());
  if (id == 0) return 0;
  m.session->flush();
  m.players.push_back({id, std::string(text.view().substr(0, stdlib::net::kMaxNameBytes)), false});
  if (m.players.size() == 1) m.enumerate();
  return id;
}

void DeleteNetPlayer(std::int32_t player) {
  Multiplay& m = started();
  const stdlib::NetPlayer* p = m.find(player);
  if (!p) return;
  if (!p->remote) {
    m.session->core().removeLocalPlayer(player);
    m.session->flush();
  }
  m.forget(player);
}

KvString* NetPlayerName(std::int32_t player) {
  if (player == 0) return core::newString("<all>");
  const stdlib::NetPlayer* p = multiplay().find(player);
  return core::newString(p ? p->name : "<unknown>");
}

std::int32_t NetPlayerLocal(std::int32_t player) {
  const stdlib::NetPlayer* p = multiplay().find(player);
  return p && !p->remote ? 1 : 0;
}

std::int32_t SendNetMsg(std::int32_t type, KvString* msg, std::int32_t fromPlayer, std::int32_t toPlayer,
                        std::int32_t reliable) {
  core::StringArg text(msg);
  Multiplay& m = started();
  const std::string_view data = text.view();
  if (data.size() > stdlib::net::kMaxMessageBytes) return 0;
  const std::size_t size = stdlib::net::kFrameHeaderBytes + data.size();
  stdlib::ensureCapacity(m.sendBuffer, size);
  stdlib::net::writeFrame(m.sendBuffer.data(), fromPlayer, toPlayer, type,
                          stdlib::net::ByteView(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
  const bool sent = m.session->core().sendFrame(stdlib::net::ByteView(m.sendBuffer.data(), size), fromPlayer, toPlayer,
                                                reliable != 0);
  m.session->flush();
  return sent ? 1 : 0;
}

std::int32_t RecvNetMsg() {
  Multiplay& m = started();
  m.current = {};
  for (;;) {
    if (m.current.type != 0) return 1;
    if (!m.announcements.empty()) {
      m.current = {100, m.announcements.front(), 0, {}};
      m.announcements.pop_front();
      return 1;
    }
    Event event;
    stdlib::net::SessionCore& session = m.session->core();
    if (!session.nextEvent(event)) {
      m.session->pump();
      if (!session.nextEvent(event)) return 0;
    }
    if (take(m, event)) return 1;
  }
}

std::int32_t NetMsgType() { return multiplay().current.type; }

std::int32_t NetMsgFrom() { return multiplay().current.from; }

std::int32_t NetMsgTo() { return multiplay().current.to; }

KvString* NetMsgData() { return core::newString(multiplay().current.data); }

}  // namespace korvo::cmd

namespace korvo {

bool createMultiplayModule() {
  stdlib::multiplay().reset();
  return stdlib::net::NetSession::startTransport();
}

void destroyMultiplayModule() {
  stdlib::Multiplay& m = stdlib::multiplay();
  m.stop();
  m.sendBuffer = {};
  m.receiveBuffer = {};
  stdlib::net::NetSession::stopTransport();
}

void registerMultiplayCommands(Registrar& r) {
  using namespace cmd;
  r.add("%StartNetGame", entry<&StartNetGame>());
  r.add("%HostNetGame$game_name", entry<&HostNetGame>());
  r.add("%JoinNetGame$game_name$ip_address", entry<&JoinNetGame>());
  r.add("StopNetGame", entry<&StopNetGame>());
  r.add("%CreateNetPlayer$name", entry<&CreateNetPlayer>());
  r.add("DeleteNetPlayer%player", entry<&DeleteNetPlayer>());
  r.add("$NetPlayerName%player", entry<&NetPlayerName>());
  r.add("%NetPlayerLocal%player", entry<&NetPlayerLocal>());
  r.add("%SendNetMsg%type$msg%from_player%to_player=0%reliable=1", entry<&SendNetMsg>());
  r.add("%RecvNetMsg", entry<&RecvNetMsg>());
  r.add("%NetMsgType", entry<&NetMsgType>());
  r.add("%NetMsgFrom", entry<&NetMsgFrom>());
  r.add("%NetMsgTo", entry<&NetMsgTo>());
  r.add("$NetMsgData", entry<&NetMsgData>());
}

}  // namespace korvo
