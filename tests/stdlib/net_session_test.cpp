// Multiplayer sessions between processes on loopback: a joiner hears every player before
// any message, a soak of reliable messages among three peers, a host that dies and a
// session that ends when every other peer is gone.
#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "free_ports.h"
#include "peer_process.h"

namespace korvo {
namespace {

using testing::PeerProcess;

class NetSessions : public ::testing::Test {
 protected:
  std::unique_ptr<PeerProcess> start(const std::string& commandLine, const std::string& player = "") {
    // The real clock: the peers wait on each other, not on time they could skip.
    return std::make_unique<PeerProcess>(KORVO_NET_PEER, commandLine,
                                         std::map<std::string, std::string>{
                                             {"KORVO_VIDEO", "headless"},
                                             {"KORVO_AUDIO", "none"},
                                             {"KORVO_CLOCK", "real"},
                                             {"KORVO_DEBUG", "1"},
                                             {"KORVO_NET_PORT", std::to_string(basePort_)},
                                             {"KORVO_NET_SEARCH", "127.0.0.1"},
                                             {"NET_PLAYER", player},
                                         });
  }

  static std::size_t indexOf(const PeerProcess& p, const std::string& line) {
    const auto& lines = p.lines();
    return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
  }

  int basePort_ = testing::freePortRange(16);
};

TEST_F(NetSessions, AJoinerHearsEveryPlayerBeforeAnyMessage) {
  auto host = start("pair-host");
  ASSERT_TRUE(host->waitFor("hosting")) << host->transcript();
  auto joiner = start("pair-join");
  ASSERT_EQ(joiner->finish(), 0) << joiner->transcript();
  ASSERT_EQ(host->finish(), 0) << host->transcript();

  const auto& heard = joiner->lines();
  ASSERT_GE(heard.size(), 4u) << joiner->transcript();
  EXPECT_EQ(heard[0], "100 alice to <all>: ");
  EXPECT_EQ(heard[1], "100 bob to <all>: ");
  EXPECT_LT(indexOf(*joiner, "7 alice to <all>: hello all"), heard.size()) << joiner->transcript();
  EXPECT_LT(indexOf(*joiner, "-3 bob to carol: just you"), heard.size()) << joiner->transcript();
  EXPECT_EQ(heard[heard.size() - 2], "left");
  EXPECT_EQ(host->transcript(), "hosting\njoined carol\nbye from carol\nProgram has ended\n");
}

TEST_F(NetSessions, ReliableMessagesArriveOnceAndInOrderAmongThreePeers) {
  // 3 × 33334 messages, each to both other peers.
  const std::string perPeer = "33334";
  auto host = start("soak-host " + perPeer);
  ASSERT_TRUE(host->waitFor("hosting")) << host->transcript();
  auto second = start("soak-join " + perPeer);
  ASSERT_TRUE(second->waitFor("joined")) << second->transcript();
  auto third = start("soak-join " + perPeer);
  for (PeerProcess* p : {third.get(), second.get(), host.get()}) {
    EXPECT_EQ(p->finish(120000), 0) << p->transcript();
    EXPECT_TRUE(p->waitFor("soak ok 66668", 0)) << p->transcript();
  }
}

TEST_F(NetSessions, TheOldestPeerTakesOverFromADeadHostAndTheLastOneLosesTheSession) {
  auto host = start("stay-host", "henry");
  ASSERT_TRUE(host->waitFor("hosting")) << host->transcript();
  auto older = start("stay-join", "olga");
  ASSERT_TRUE(older->waitFor("joined")) << older->transcript();
  auto younger = start("stay-join", "yuri");
  for (PeerProcess* p : {host.get(), older.get(), younger.get()}) ASSERT_TRUE(p->waitFor("ready")) << p->transcript();

  host->kill();
  ASSERT_TRUE(older->waitFor("became host")) << older->transcript();
  EXPECT_LT(indexOf(*older, "left henry"), indexOf(*older, "became host"));
  ASSERT_TRUE(younger->waitFor("left henry")) << younger->transcript();
  // The session goes on between the two that are left.
  ASSERT_TRUE(older->waitFor("reply from yuri")) << older->transcript();

  younger->kill();
  ASSERT_TRUE(older->waitFor("session lost")) << older->transcript();
  EXPECT_LT(indexOf(*older, "left yuri"), indexOf(*older, "session lost"));
  EXPECT_EQ(older->finish(), 0) << older->transcript();
  EXPECT_EQ(younger->transcript().find("became host"), std::string::npos);
}

}  // namespace
}  // namespace korvo
