// The session layer on a simulated network: admitting joiners, announcing players, the
// checks every frame passes, host migration, loss of the session and the limits.
#include <map>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "stdlib/multiplay/session_core.h"

namespace korvo::stdlib::net {
namespace {

constexpr std::uint32_t kSession = 0x5E55;

// Peers as nodes of a network whose links deliver frames in order when the test says so.
class Mesh {
 public:
  struct Sent {
    Link link;
    Bytes frame;
    bool reliable;
  };
  class Outbox : public Links {
   public:
    void send(Link link, ByteView frame, bool reliable) override {
      sent.push_back({link, Bytes(frame.begin(), frame.end()), reliable});
    }
    void drop(Link link) override { dropped.push_back(link); }
    std::vector<Sent> sent;
    std::vector<Link> dropped;
  };
  struct Node {
    Outbox out;
    std::unique_ptr<SessionCore> core;
  };

  // A new peer: the first creates the session, the others are about to join it.
  int add(bool create = false) {
    nodes_.push_back(std::make_unique<Node>());
    Node& n = *nodes_.back();
    n.core = std::make_unique<SessionCore>(n.out, kSession, "game", create);
    return static_cast<int>(nodes_.size()) - 1;
  }
  SessionCore& core(int node) { return *nodes_[node]->core; }
  Outbox& out(int node) { return nodes_[node]->out; }

  // Opens a link between two nodes; the link's name at a.
  Link connect(int a, int b) {
    const Link la = nextLink_++, lb = nextLink_++;
    ends_[{a, la}] = {b, lb};
    ends_[{b, lb}] = {a, la};
    core(a).connected(la, address(b), 0);
    core(b).connected(lb, address(a), 0);
    return la;
  }
  // Breaks the link at both ends.
  void cut(int a, Link la, bool lost) {
    const auto [b, lb] = ends_.at({a, la});
    core(a).disconnected(la, lost);
    core(b).disconnected(lb, lost);
  }
  // Delivers every frame sent until nothing more is sent; dropped links go down at the other end.
  void settle() {
    for (bool moved = true; moved;) {
      moved = false;
      for (int n = 0; n < static_cast<int>(nodes_.size()); ++n) {
        std::vector<Sent> sent = std::move(out(n).sent);
        std::vector<Link> dropped = std::move(out(n).dropped);
        out(n).sent.clear();
        out(n).dropped.clear();
        for (const Sent& s : sent) {
          const auto [b, lb] = ends_.at({n, s.link});
          core(b).received(lb, s.frame);
          moved = true;
        }
        for (Link l : dropped) {
          const auto [b, lb] = ends_.at({n, l});
          core(b).disconnected(lb, false);
          moved = true;
        }
      }
    }
  }
  // Joins node j to the session through node host, and greets every member named.
  bool join(int j, int host) {
    const Link toHost = connect(j, host);
    core(j).requestJoin(toHost);
    settle();
    if (!core(j).welcomed()) return false;
    for (const MemberAddress& m : core(j).welcome().members) {
      core(j).greet(connect(j, m.port), m.peerId);
    }
    settle();
    return true;
  }
  // The link at a that leads to b.
  Link linkTo(int a, int b) const {
    for (const auto& [end, other] : ends_) {
      if (end.first == a && other.first == b) return end.second;
    }
    return 0;
  }
  static MemberAddress address(int node) { return {0, 0x7F000001, static_cast<std::uint16_t>(node)}; }
  // Every event of a node, as "kind from" words.
  std::vector<std::string> events(int node) {
    std::vector<std::string> seen;
    Event e;
    static const char* kKinds[] = {"joined", "left", "message", "host", "lost"};
    while (core(node).nextEvent(e)) seen.push_back(kKinds[static_cast<int>(e.kind)] + (" " + std::to_string(e.from)));
    return seen;
  }

 private:
  std::vector<std::unique_ptr<Node>> nodes_;
  std::map<std::pair<int, Link>, std::pair<int, Link>> ends_;
  Link nextLink_ = 1;
};

Bytes frame(std::int32_t from, std::int32_t to, std::int32_t type, const Bytes& data) {
  Bytes f(kFrameHeaderBytes + data.size());
  writeFrame(f.data(), from, to, type, data);
  return f;
}

Bytes control(Control type, const Bytes& data) { return frame(0, 0, static_cast<std::int32_t>(type), data); }

class SessionCoreTest : public ::testing::Test {
 protected:
  Mesh mesh;
  int a = mesh.add(SessionCore::kCreate);
};

TEST_F(SessionCoreTest, JoinersMeetEveryMemberAndHearOfEveryPlayer) {
  const std::int32_t alice = mesh.core(a).addLocalPlayer("alice");
  EXPECT_EQ(alice, 0x10001);
  const int b = mesh.add();
  ASSERT_TRUE(mesh.join(b, a));
  EXPECT_FALSE(mesh.core(b).isHost());
  EXPECT_EQ(mesh.events(b), std::vector<std::string>{"joined 65537"});
  const std::int32_t bob = mesh.core(b).addLocalPlayer("bob");
  EXPECT_EQ(bob, 0x20001);
  mesh.settle();
  EXPECT_EQ(mesh.events(a), std::vector<std::string>{"joined 131073"});

  const int c = mesh.add();
  ASSERT_TRUE(mesh.join(c, a));
  ASSERT_EQ(mesh.core(c).welcome().members.size(), 1u);
  EXPECT_EQ(mesh.core(c).welcome().members[0].port, b);
  EXPECT_EQ(mesh.events(c), (std::vector<std::string>{"joined 65537", "joined 131073"}));
  const auto remote = mesh.core(c).remotePlayers();
  ASSERT_EQ(remote.size(), 2u);
  EXPECT_EQ(remote[1].name, "bob");
  EXPECT_EQ(mesh.core(a).advert().peers, 3);
  EXPECT_EQ(mesh.core(c).memberCount(), 2u);
}

TEST_F(SessionCoreTest, MessagesGoToTheirReceiverOnlyAndLocalPlayersHearNothing) {
  const std::int32_t alice = mesh.core(a).addLocalPlayer("alice");
  const std::int32_t anne = mesh.core(a).addLocalPlayer("anne");
  const int b = mesh.add();
  const int c = mesh.add();
  ASSERT_TRUE(mesh.join(b, a));
  ASSERT_TRUE(mesh.join(c, a));
  const std::int32_t bob = mesh.core(b).addLocalPlayer("bob");
  mesh.settle();
  for (int n : {a, b, c}) mesh.events(n);

  EXPECT_TRUE(mesh.core(a).sendFrame(frame(alice, bob, 1, {'x'}), alice, bob, true));
  EXPECT_TRUE(mesh.core(a).sendFrame(frame(alice, anne, 1, {}), alice, anne, true));
  EXPECT_TRUE(mesh.core(a).sendFrame(frame(alice, 0, 2, {}), alice, 0, false));
  EXPECT_FALSE(mesh.core(a).sendFrame(frame(bob, 0, 2, {}), bob, 0, true));
  EXPECT_FALSE(mesh.core(a).sendFrame(frame(alice, 0x70001, 2, {}), alice, 0x70001, true));
  EXPECT_EQ(mesh.out(a).sent.size(), 3u);  // one to bob, and the broadcast to both members
  EXPECT_FALSE(mesh.out(a).sent[1].reliable);
  mesh.settle();
  // c has no player of its own: nobody there reads messages to all.
  EXPECT_EQ(mesh.events(c), std::vector<std::string>{});
  EXPECT_EQ(mesh.events(b), (std::vector<std::string>{"message 65537", "message 65537"}));
  EXPECT_EQ(mesh.core(c).droppedFrames(), 0u);
}

TEST_F(SessionCoreTest, FramesThatDoNotFitAreDroppedAndCounted) {
  const int b = mesh.add();
  ASSERT_TRUE(mesh.join(b, a));
  mesh.core(b).addLocalPlayer("bob");
  mesh.settle();
  mesh.events(a);
  const Link fromB = mesh.linkTo(a, b);
  SessionCore& host = mesh.core(a);
  const auto feed = [&](const Bytes& bytes) { host.received(fromB, bytes); };

  feed({1, 2, 3, 4, 5, 6, 7, 8});                                             // shorter than a frame
  feed(frame(0x10001, 0, 1, {}));                                             // from a player of the host's own
  feed(frame(0x20002, 0, 1, {}));                                             // from a player never announced
  feed(frame(0x20001, 0x20001, 1, {}));                                       // to a player that is not here
  feed(control(Control::kPlayerAdded, encodePlayerAdded(0x30001, "eve")));    // a player of another peer
  feed(control(Control::kPlayerAdded, encodePlayerAdded(0x20000, "zero")));   // no player number
  feed(control(Control::kPlayerAdded, encodePlayerAdded(0x20001, "again")));  // known already
  Bytes longName = encodePlayerAdded(0x20002, "");
  longName.resize(4 + 256, 'n');
  feed(control(Control::kPlayerAdded, longName));                        // a name of 256 bytes
  feed(control(Control::kPlayerRemoved, {1, 0}));                        // wrong size
  feed(control(Control::kPlayerRemoved, encodePlayerRemoved(0x10001)));  // not the sender's
  feed(control(Control::kReady, {0}));                                   // ready carries nothing
  feed(control(Control::kWelcome, encodeWelcome({5, 1, {}})));           // not joining
  feed(control(static_cast<Control>(77), {}));                           // no such control
  Bytes huge(kFrameHeaderBytes + kMaxMessageBytes + 1);
  writeFrame(huge.data(), 0x20001, 0, 1, {});
  feed(huge);  // more than a message may carry
  EXPECT_EQ(host.droppedFrames(), 14u);
  EXPECT_EQ(mesh.events(a), std::vector<std::string>{});
  EXPECT_TRUE(mesh.out(a).dropped.empty());

  Bytes name255 = encodePlayerAdded(0x20002, "");
  name255.resize(4 + 255, 'n');
  feed(control(Control::kPlayerAdded, name255));
  EXPECT_EQ(mesh.events(a), std::vector<std::string>{"joined 131074"});
}

TEST_F(SessionCoreTest, LinksMustIntroduceThemselvesFirst) {
  const int b = mesh.add();
  const auto refused = [&](const Bytes& first) {
    const Link link = mesh.connect(a, b);
    mesh.core(a).received(link, first);
    const bool dropped = !mesh.out(a).dropped.empty() && mesh.out(a).dropped.back() == link;
    return dropped && mesh.core(a).memberCount() == 0;
  };
  EXPECT_TRUE(refused(frame(0x20001, 0, 1, {})));
  EXPECT_TRUE(refused(control(Control::kJoin, encodeJoin(kSession + 1))));
  EXPECT_TRUE(refused(control(Control::kHello, encodeHello(kSession, 1))));  // the host's own id
  EXPECT_TRUE(refused(control(Control::kHello, encodeHello(kSession, 0x8000))));
  EXPECT_TRUE(refused(control(Control::kPlayerAdded, encodePlayerAdded(0x20001, "x"))));
  EXPECT_TRUE(refused({0, 0}));
  EXPECT_EQ(mesh.core(a).refusedLinks(), 6u);

  // One that says nothing is let go after the limit.
  const Link silent = mesh.connect(a, b);
  mesh.core(a).expirePending(9999, 10000);
  EXPECT_NE(mesh.out(a).dropped.back(), silent);
  mesh.core(a).expirePending(10000, 10000);
  EXPECT_EQ(mesh.out(a).dropped.back(), silent);
}

TEST_F(SessionCoreTest, TheOldestPeerLeftTakesOverFromTheHost) {
  const int b = mesh.add();
  const int c = mesh.add();
  ASSERT_TRUE(mesh.join(b, a));
  ASSERT_TRUE(mesh.join(c, a));
  const std::int32_t alice = mesh.core(a).addLocalPlayer("alice");
  mesh.core(c).addLocalPlayer("carol");
  mesh.settle();
  for (int n : {a, b, c}) mesh.events(n);

  mesh.cut(b, mesh.linkTo(b, a), true);
  mesh.cut(c, mesh.linkTo(c, a), true);
  EXPECT_EQ(mesh.events(b), (std::vector<std::string>{"left " + std::to_string(alice), "host -1"}));
  EXPECT_EQ(mesh.events(c), std::vector<std::string>{"left " + std::to_string(alice)});
  EXPECT_TRUE(mesh.core(b).isHost());
  EXPECT_FALSE(mesh.core(c).isHost());

  // The new host admits a joiner with a number never given before.
  const int d = mesh.add();
  ASSERT_TRUE(mesh.join(d, b));
  EXPECT_EQ(mesh.core(d).addLocalPlayer("dan"), 0x40001);
  EXPECT_EQ(mesh.core(d).memberCount(), 2u);
}

TEST_F(SessionCoreTest, LosingEveryPeerLosesTheSessionButGoodbyesDoNot) {
  const int b = mesh.add();
  ASSERT_TRUE(mesh.join(b, a));
  const std::int32_t bob = mesh.core(b).addLocalPlayer("bob");
  mesh.settle();
  mesh.events(a);
  mesh.cut(a, mesh.linkTo(a, b), true);
  EXPECT_EQ(mesh.events(a), (std::vector<std::string>{"left " + std::to_string(bob), "lost -1"}));
  EXPECT_TRUE(mesh.core(a).lost());
  EXPECT_EQ(mesh.core(a).addLocalPlayer("late"), 0);
}

TEST_F(SessionCoreTest, AGoodbyeFromTheHostMakesTheLastPeerHost) {
  const int b = mesh.add();
  ASSERT_TRUE(mesh.join(b, a));
  mesh.cut(b, mesh.linkTo(b, a), false);
  EXPECT_EQ(mesh.events(b), std::vector<std::string>{"host -1"});
  EXPECT_FALSE(mesh.core(b).lost());
  EXPECT_NE(mesh.core(b).addLocalPlayer("still"), 0);
}

TEST_F(SessionCoreTest, SessionsHoldAtMost64PeersAnd256Players) {
  std::vector<int> joiners;
  for (int i = 0; i < 63; ++i) {
    joiners.push_back(mesh.add());
    const Link toHost = mesh.connect(joiners.back(), a);
    mesh.core(joiners.back()).requestJoin(toHost);
  }
  mesh.settle();
  EXPECT_EQ(mesh.core(a).memberCount(), 63u);
  const int late = mesh.add();
  const Link toHost = mesh.connect(late, a);
  mesh.core(late).requestJoin(toHost);
  mesh.settle();
  EXPECT_FALSE(mesh.core(late).welcomed());
  EXPECT_EQ(mesh.core(a).refusedLinks(), 1u);

  for (int i = 0; i < 256; ++i) EXPECT_NE(mesh.core(a).addLocalPlayer("p"), 0);
  EXPECT_EQ(mesh.core(a).addLocalPlayer("one too many"), 0);
  // The 63 members all heard of the 256 players.
  mesh.settle();
  EXPECT_EQ(mesh.core(joiners.back()).remotePlayers().size(), 256u);
}

}  // namespace
}  // namespace korvo::stdlib::net
