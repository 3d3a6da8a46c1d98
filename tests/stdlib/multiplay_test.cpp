// The multiplay commands in one process: the session-state errors, players and their
// names, what sending refuses, the send buffer, and a session that ends with the module.
#include <cstdlib>
#include <string>

#include "free_ports.h"
#include "stdlib/multiplay/multiplay.h"
#include "stdlib/multiplay/multiplay_commands.h"
#include "stdlib_fixture.h"

namespace korvo::cmd {
namespace {

class Multiplay : public testing::StdlibTest {
 protected:
  void SetUp() override {
    StdlibTest::SetUp();
    // A range of our own, so that tests running beside this one are never found.
    ::setenv("KORVO_NET_PORT", std::to_string(testing::freePortRange(16)).c_str(), 1);
    ::setenv("KORVO_NET_SEARCH", "127.0.0.1", 1);
    ASSERT_TRUE(createMultiplayModule());
  }
  void TearDown() override {
    destroyMultiplayModule();
    StdlibTest::TearDown();
  }
  // Expects the error in and out of debug mode alike.
  template <typename F>
  void expectAlways(F&& f, const char* message) {
    try {
      f();
      ADD_FAILURE() << "no error, expected: " << message;
    } catch (const KvEx& e) {
      EXPECT_STREQ(e.message, message);
    }
  }
};

TEST_F(Multiplay, SessionCommandsNeedASessionAndStartingNeedsNone) {
  expectAlways([] { CreateNetPlayer(str("x")); }, "Multiplayer game not started");
  expectAlways([] { RecvNetMsg(); }, "Multiplayer game not started");
  expectAlways([] { SendNetMsg(1, str("x"), 1, 0, 1); }, "Multiplayer game not started");
  expectAlways([] { DeleteNetPlayer(1); }, "Multiplayer game not started");
  StopNetGame();
  ASSERT_EQ(HostNetGame(str("one")), 2);
  expectAlways([] { HostNetGame(str("two")); }, "Multiplayer game already started");
  expectAlways([] { JoinNetGame(str("two"), str("127.0.0.1")); }, "Multiplayer game already started");
  expectAlways([] { StartNetGame(); }, "Multiplayer game already started");
  StopNetGame();
  expectAlways([] { RecvNetMsg(); }, "Multiplayer game not started");
  EXPECT_EQ(HostNetGame(str("again")), 2);
}

TEST_F(Multiplay, PlayersHaveNamesAndLocalPlayersHearNothingOfEachOther) {
  ASSERT_EQ(HostNetGame(str("names")), 2);
  EXPECT_EQ(text(NetPlayerName(0)), "<all>");
  EXPECT_EQ(text(NetPlayerName(12345)), "<unknown>");
  const std::int32_t alice = CreateNetPlayer(str("alice"));
  const std::int32_t bob = CreateNetPlayer(str(std::string(300, 'b')));
  ASSERT_NE(alice, 0);
  ASSERT_NE(bob, 0);
  EXPECT_EQ(text(NetPlayerName(alice)), "alice");
  EXPECT_EQ(text(NetPlayerName(bob)), std::string(255, 'b'));
  EXPECT_EQ(NetPlayerLocal(alice), 1);
  EXPECT_EQ(NetPlayerLocal(0), 0);
  EXPECT_EQ(SendNetMsg(5, str("hi"), alice, 0, 1), 1);
  EXPECT_EQ(SendNetMsg(5, str("hi"), alice, bob, 1), 1);
  EXPECT_EQ(RecvNetMsg(), 0);
  EXPECT_EQ(NetMsgType(), 0);
  EXPECT_EQ(NetMsgFrom(), -1);
  EXPECT_EQ(NetMsgTo(), 0);
  EXPECT_EQ(text(NetMsgData()), "");
  DeleteNetPlayer(alice);
  EXPECT_EQ(text(NetPlayerName(alice)), "<unknown>");
  EXPECT_EQ(SendNetMsg(5, str("hi"), alice, 0, 1), 0);
  StopNetGame();
  EXPECT_EQ(text(NetPlayerName(bob)), "<unknown>");
}

TEST_F(Multiplay, SendingRefusesStrangersAndHugeMessagesAndGrowsTheBufferByHalf) {
  ASSERT_EQ(HostNetGame(str("sizes")), 2);
  const std::int32_t me = CreateNetPlayer(str("me"));
  auto& buffer = stdlib::multiplay().sendBuffer;
  EXPECT_EQ(buffer.size(), 1024u);
  EXPECT_EQ(SendNetMsg(1, str(std::string(2000, 'x')), me, 0, 1), 1);
  EXPECT_EQ(buffer.size(), (9u + 2000u) * 3 / 2);
  EXPECT_EQ(SendNetMsg(1, str("short"), me, 0, 0), 1);
  EXPECT_EQ(buffer.size(), (9u + 2000u) * 3 / 2);
  EXPECT_EQ(SendNetMsg(1, str(std::string(1 << 20, 'm')), me, 0, 1), 1);
  EXPECT_EQ(SendNetMsg(1, str(std::string((1 << 20) + 1, 'm')), me, 0, 1), 0);
  EXPECT_EQ(SendNetMsg(1, str("x"), me + 1, 0, 1), 0);
  EXPECT_EQ(SendNetMsg(1, str("x"), me, 0x7FFF0001, 1), 0);
  EXPECT_EQ(stdlib::multiplay().receiveBuffer.size(), 1024u);
}

TEST_F(Multiplay, JoiningWhereNoGameIsGivesZero) {
  EXPECT_EQ(JoinNetGame(str("nobody"), str("127.0.0.1")), 0);
  expectAlways([] { RecvNetMsg(); }, "Multiplayer game not started");
}

TEST_F(Multiplay, TheModuleEndsTheSession) {
  ASSERT_EQ(HostNetGame(str("ending")), 2);
  CreateNetPlayer(str("p"));
  destroyMultiplayModule();
  EXPECT_EQ(stdlib::multiplay().session, nullptr);
  EXPECT_TRUE(stdlib::multiplay().players.empty());
  ASSERT_TRUE(createMultiplayModule());
  EXPECT_EQ(HostNetGame(str("ending")), 2);
}

}  // namespace
}  // namespace korvo::cmd
