// Multiplayer sessions between processes on loopback: a joiner hears every player before
// any message, a soak of reliable messages among three peers, a host that dies and a
// session that ends when every other peer is gone.
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include <gtest/gtest.h>

#include "free_ports.h"
#include "peer_process.h"

namespace korvo {
namespace {

using testing::PeerProcess;

// A directory of the test's own, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvo-net-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : "";
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

class NetSessions : public ::testing::Test {
 protected:
  // The real clock: the peers wait on each other, not on time they could skip. A run of the
  // dialog, driven by an input script, keeps the virtual clock.
  std::unique_ptr<PeerProcess> start(const std::string& commandLine, const std::string& player = "",
                                     const std::string& inputScript = "") {
    std::map<std::string, std::string> environment{
        {"KORVO_VIDEO", "headless"},
        {"KORVO_AUDIO", "none"},
        {"KORVO_CLOCK", inputScript.empty() ? "real" : "virtual"},
        {"KORVO_DEBUG", "1"},
        {"KORVO_NET_PORT", std::to_string(basePort_)},
        {"KORVO_NET_SEARCH", "127.0.0.1"},
        {"NET_PLAYER", player},
        // Under the leak checker the transcripts stay free of its report of suppressed leaks.
        {"LSAN_OPTIONS",
         std::string(std::getenv("LSAN_OPTIONS") ? std::getenv("LSAN_OPTIONS") : "") + ":print_suppressions=0"},
    };
    if (!inputScript.empty()) {
      const std::string script = dir_.file("input" + std::to_string(++scripts_) + ".txt");
      std::ofstream(script) << inputScript;
      environment["KORVO_INPUT"] = script;
      environment["KORVO_SNAPSHOT"] = dir_.file("last.bmp");
    }
    return std::make_unique<PeerProcess>(KORVO_NET_PEER, commandLine, environment);
  }

  // True when the last picture of a dialog run is all one colour (BGR bytes).
  bool lastPictureIs(std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    std::ifstream in(dir_.file("last.bmp"), std::ios::binary);
    const std::string bmp((std::istreambuf_iterator<char>(in)), {});
    if (bmp.size() < 54 + 3) return false;
    for (std::size_t at = 54; at + 3 <= bmp.size(); at += 3) {
      if (static_cast<std::uint8_t>(bmp[at]) != b || static_cast<std::uint8_t>(bmp[at + 1]) != g ||
          static_cast<std::uint8_t>(bmp[at + 2]) != r) {
        return false;
      }
    }
    return true;
  }

  // Three peers that stay until the test ends them, all ready: the host henry, then olga
  // and yuri joining in that order.
  void startStaySession() {
    henry_ = start("stay-host", "henry");
    ASSERT_TRUE(henry_->waitFor("hosting")) << henry_->transcript();
    olga_ = start("stay-join", "olga");
    ASSERT_TRUE(olga_->waitFor("joined")) << olga_->transcript();
    yuri_ = start("stay-join", "yuri");
    for (PeerProcess* p : {henry_.get(), olga_.get(), yuri_.get()}) ASSERT_TRUE(p->waitFor("ready")) << p->transcript();
  }

  static std::size_t indexOf(const PeerProcess& p, const std::string& line) {
    const auto& lines = p.lines();
    return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
  }

  int basePort_ = testing::freePortRange(16);
  ScratchDir dir_;
  int scripts_ = 0;
  std::unique_ptr<PeerProcess> henry_, olga_, yuri_;
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
  ASSERT_NO_FATAL_FAILURE(startStaySession());

  henry_->kill();
  ASSERT_TRUE(olga_->waitFor("became host")) << olga_->transcript();
  EXPECT_LT(indexOf(*olga_, "left henry"), indexOf(*olga_, "became host"));
  ASSERT_TRUE(yuri_->waitFor("left henry")) << yuri_->transcript();
  // The session goes on between the two that are left.
  ASSERT_TRUE(olga_->waitFor("reply from yuri")) << olga_->transcript();

  yuri_->kill();
  ASSERT_TRUE(olga_->waitFor("session lost")) << olga_->transcript();
  EXPECT_LT(indexOf(*olga_, "left yuri"), indexOf(*olga_, "session lost"));
  EXPECT_EQ(olga_->finish(), 0) << olga_->transcript();
  EXPECT_EQ(yuri_->transcript().find("became host"), std::string::npos);
}

TEST_F(NetSessions, APeerThatReadsNothingForSecondsStaysInTheSession) {
  ASSERT_NO_FATAL_FAILURE(startStaySession());

  // Longer than the transport's own give-up time of five seconds.
  yuri_->pause();
  EXPECT_FALSE(olga_->waitFor("left yuri", 8000)) << olga_->transcript();
  yuri_->resume();
  // Still a member: when the host goes, it answers the new host.
  henry_->kill();
  ASSERT_TRUE(olga_->waitFor("became host")) << olga_->transcript();
  EXPECT_TRUE(olga_->waitFor("reply from yuri")) << olga_->transcript();
  EXPECT_EQ(indexOf(*olga_, "left yuri"), olga_->lines().size()) << olga_->transcript();
}

// The dialog on the default 400 × 300 window, scaled to fit: its games list's first row is
// at (109, 100) and the Cancel button at (280, 278) in display pixels.
TEST_F(NetSessions, TheDialogCreatesAGameByKeyboardAndAsksForAName) {
  auto p = start("dialog", "", R"(# Down: TCP/IP; Tab to the name (no games to list); Enter with no name
100 key press 208
+40 key press 15
+40 key press 28
# k, v, then Enter creates the game
+40 key press 37
+40 key press 47
+40 key press 28
)");
  ASSERT_EQ(p->finish(), 0) << p->transcript();
  EXPECT_EQ(p->transcript(),
            "DirectPlay Request: Please enter a name for the new game\ndialog 2\nhost 1\nProgram has ended\n");
  // The program's picture is back.
  EXPECT_TRUE(lastPictureIs(0, 0, 200));
}

TEST_F(NetSessions, TheDialogListsGamesAndJoinsOneOnADoubleClick) {
  auto host = start("dialog-host");
  ASSERT_TRUE(host->waitFor("hosting")) << host->transcript();
  auto p = start("dialog", "", R"(100 key press 208
1500 mouse move 109 100
+10 mouse press 1
+100 mouse press 1
)");
  ASSERT_EQ(p->finish(), 0) << p->transcript();
  EXPECT_EQ(p->transcript(), "dialog 1\nhost 0\njoined henry\nProgram has ended\n");
  EXPECT_EQ(host->finish(), 0) << host->transcript();
  EXPECT_TRUE(host->waitFor("joined dee", 0)) << host->transcript();
}

TEST_F(NetSessions, TheDialogCancels) {
  auto byMouse = start("dialog", "", "100 mouse move 280 278\n+10 mouse press 1\n");
  ASSERT_EQ(byMouse->finish(), 0) << byMouse->transcript();
  EXPECT_EQ(byMouse->transcript(), "dialog 0\nProgram has ended\n");
  auto byKey = start("dialog", "", "100 key press 208\n+100 key press 1\n");
  ASSERT_EQ(byKey->finish(), 0) << byKey->transcript();
  EXPECT_EQ(byKey->transcript(), "dialog 0\nProgram has ended\n");
  EXPECT_TRUE(lastPictureIs(0, 0, 200));
}

}  // namespace
}  // namespace korvo
