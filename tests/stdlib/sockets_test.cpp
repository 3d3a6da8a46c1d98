// The sockets commands on loopback: lookups, TCP streams and servers with their time-outs,
// end states and handle checks, UDP datagrams, and what the module closes at the end.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>

#include "backend/clock.h"
#include "stdlib/bank_commands.h"
#include "stdlib/filesystem_commands.h"
#include "stdlib/kv_stream.h"
#include "stdlib/sockets/sockets_commands.h"
#include "stdlib/stream_commands.h"
#include "stdlib_fixture.h"

namespace korvo::cmd {
namespace {

constexpr std::int32_t kLoopback = 0x7F000001;

// A port nothing listens on right now (the system's pick for a socket closed again).
std::int32_t freePort(int type) {
  const int fd = ::socket(AF_INET, type, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

double realSecondsOf(const std::function<void()>& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class Sockets : public testing::StdlibTest {
 protected:
  void SetUp() override {
    platform::setClock(&clock_);
    StdlibTest::SetUp();
    ASSERT_TRUE(createSocketsModule());
  }
  void TearDown() override {
    destroySocketsModule();
    StdlibTest::TearDown();
    platform::setClock(nullptr);
  }

  // A server on a free port, a client connected to it and the stream the server accepted.
  void connectPair() {
    port_ = freePort(SOCK_STREAM);
    server_ = CreateTCPServer(port_);
    ASSERT_NE(server_, 0);
    client_ = OpenTCPStream(str("127.0.0.1"), port_, 0);
    ASSERT_NE(client_, 0);
    accepted_ = AcceptTCPStream(server_);
    ASSERT_NE(accepted_, 0);
  }

  platform::VirtualClock clock_{1000};
  std::int32_t port_ = 0;
  std::int32_t server_ = 0;
  std::int32_t client_ = 0;
  std::int32_t accepted_ = 0;
};

TEST_F(Sockets, AddressesAreDottedFromTheTopByteAndLookedUp) {
  EXPECT_EQ(text(DottedIP(kLoopback)), "127.0.0.1");
  EXPECT_EQ(text(DottedIP(static_cast<std::int32_t>(0xC0A80AFFu))), "192.168.10.255");
  ASSERT_GE(CountHostIPs(str("localhost")), 1);
  EXPECT_EQ(HostIP(1), kLoopback);
  EXPECT_EQ(HostIP(0), 0);
  EXPECT_EQ(HostIP(CountHostIPs(str("127.0.0.1")) + 1), 0);
  expectError([] { HostIP(2); }, "Host index out of range");
}

TEST_F(Sockets, TcpStreamsCarryEveryStreamFormatBothWays) {
  connectPair();
  EXPECT_EQ(TCPStreamIP(client_), kLoopback);
  EXPECT_EQ(TCPStreamPort(client_), port_);
  EXPECT_EQ(TCPStreamIP(accepted_), kLoopback);
  EXPECT_NE(TCPStreamPort(accepted_), 0);

  WriteInt(client_, -5);
  WriteString(client_, str("hello"));
  WriteLine(client_, str("line one"));
  WriteFloat(client_, 2.5f);
  EXPECT_EQ(ReadAvail(accepted_), 4 + 9 + 10 + 4);
  EXPECT_EQ(Eof(accepted_), 0);
  EXPECT_EQ(ReadInt(accepted_), -5);
  EXPECT_EQ(text(ReadString(accepted_)), "hello");
  EXPECT_EQ(text(ReadLine(accepted_)), "line one");
  EXPECT_EQ(ReadFloat(accepted_), 2.5f);
  EXPECT_EQ(Eof(accepted_), 0);

  WriteShort(accepted_, 65535);
  EXPECT_EQ(ReadShort(client_), 65535);
}

TEST_F(Sockets, ReadTimeOutZeroFailsAtOnce) {
  connectPair();
  TCPTimeouts(0, 0);
  EXPECT_EQ(ReadInt(accepted_), 0);
  EXPECT_EQ(Eof(accepted_), -1);
  // A failed stream does nothing any more.
  WriteInt(client_, 7);
  EXPECT_EQ(ReadInt(accepted_), 0);
  EXPECT_EQ(ReadAvail(accepted_), 0);
}

TEST_F(Sockets, ReadTimeOutPassesOnTheClockWhenThePeerIsThisProcess) {
  connectPair();
  const std::uint32_t before = clock_.now();
  // The default ten seconds, with the silent peer in this very process.
  const double seconds = realSecondsOf([this] { EXPECT_EQ(ReadByte(client_), 0); });
  EXPECT_EQ(clock_.now() - before, 10000u);
  EXPECT_LT(seconds, 2.0);
  EXPECT_EQ(Eof(client_), -1);

  TCPTimeouts(250, 0);
  const std::uint32_t again = clock_.now();
  WriteByte(client_, 1);  // written into a failed stream: goes nowhere
  EXPECT_EQ(ReadByte(accepted_), 0);
  EXPECT_EQ(clock_.now() - again, 250u);
}

TEST_F(Sockets, AfterThePeerClosesReadsGiveWhatArrivedAndEofIsOne) {
  connectPair();
  WriteShort(client_, 0x0201);
  CloseTCPStream(client_);
  EXPECT_EQ(ReadInt(accepted_), 0x0201);
  EXPECT_EQ(Eof(accepted_), 1);
  EXPECT_EQ(ReadByte(accepted_), 0);
  EXPECT_EQ(Eof(accepted_), 1);
}

TEST_F(Sockets, EofSeesAClosedPeerWithoutReading) {
  connectPair();
  CloseTCPStream(accepted_);
  EXPECT_EQ(Eof(client_), 1);
  EXPECT_EQ(ReadAvail(client_), 0);
}

TEST_F(Sockets, WritingToAGonePeerFailsTheStreamWithoutASignal) {
  connectPair();
  CloseTCPStream(accepted_);
  // The first bytes are still taken; the peer's reset fails the ones after them.
  for (int i = 0; i < 10; ++i) WriteInt(client_, i);
  EXPECT_EQ(Eof(client_), -1);
}

TEST_F(Sockets, ClosingAServerClosesWhatItAccepted) {
  connectPair();
  const std::int32_t secondClient = OpenTCPStream(str("localhost"), port_, 0);
  ASSERT_NE(secondClient, 0);
  const std::int32_t secondAccepted = AcceptTCPStream(server_);
  ASSERT_NE(secondAccepted, 0);
  // Closed before the server: it leaves the server's set.
  CloseTCPStream(secondAccepted);
  const std::size_t live = stdlib::liveStreamCount();
  CloseTCPServer(server_);
  EXPECT_EQ(stdlib::liveStreamCount(), live - 1);
  EXPECT_EQ(stdlib::findStream(accepted_), nullptr);
  EXPECT_EQ(Eof(client_), 1);
  EXPECT_EQ(AcceptTCPStream(server_), 0);
  expectError([this] { CloseTCPStream(accepted_); }, "TCP Stream does not exist");
  expectError([this] { CloseTCPServer(server_); }, "TCP Server does not exist");
}

TEST_F(Sockets, OpeningAndServingFailuresGiveZero) {
  EXPECT_EQ(OpenTCPStream(str("127.0.0.1"), freePort(SOCK_STREAM), 0), 0);
  EXPECT_EQ(OpenTCPStream(str("127.0.0.1"), 70000, 0), 0);
  connectPair();
  EXPECT_EQ(CreateTCPServer(port_), 0);
  // A local port in use cannot be bound.
  EXPECT_EQ(OpenTCPStream(str("127.0.0.1"), port_, port_), 0);
  // Nobody else is waiting: the accept time-out of 0 answers at once.
  EXPECT_EQ(AcceptTCPStream(server_), 0);
  const std::int32_t local = freePort(SOCK_STREAM);
  const std::int32_t bound = OpenTCPStream(str("127.0.0.1"), port_, local);
  ASSERT_NE(bound, 0);
  const std::int32_t seen = AcceptTCPStream(server_);
  EXPECT_EQ(TCPStreamPort(seen), local);
}

TEST_F(Sockets, AcceptRunsTheEventPumpFirst) {
  connectPair();
  host_->requestEnd();
  try {
    AcceptTCPStream(server_);
    ADD_FAILURE() << "the program went on";
  } catch (const KvEx& e) {
    EXPECT_EQ(e.message, nullptr);
  }
}

TEST_F(Sockets, UdpDatagramsComeWholeFromTheirSender) {
  const std::int32_t portA = freePort(SOCK_DGRAM);
  const std::int32_t a = CreateUDPStream(portA);
  const std::int32_t b = CreateUDPStream(0);
  ASSERT_NE(a, 0);
  ASSERT_NE(b, 0);
  EXPECT_EQ(UDPStreamPort(a), portA);
  EXPECT_EQ(UDPStreamIP(a), 0);
  EXPECT_NE(UDPStreamPort(b), 0);

  // Nothing waiting: no sender, and the (empty) datagram is all read.
  EXPECT_EQ(RecvUDPMsg(b), 0);
  EXPECT_EQ(Eof(b), 1);

  WriteInt(a, 1234);
  WriteLine(a, str("text"));
  SendUDPMsg(a, kLoopback, UDPStreamPort(b));
  WriteByte(a, 9);
  SendUDPMsg(a, kLoopback, UDPStreamPort(b));
  ASSERT_EQ(RecvUDPMsg(b), kLoopback);
  EXPECT_EQ(UDPMsgIP(b), kLoopback);
  EXPECT_EQ(UDPMsgPort(b), portA);
  EXPECT_EQ(ReadAvail(b), 10);
  EXPECT_EQ(Eof(b), 0);
  EXPECT_EQ(ReadInt(b), 1234);
  EXPECT_EQ(text(ReadLine(b)), "text");
  EXPECT_EQ(Eof(b), 1);
  EXPECT_EQ(ReadByte(b), 0);
  ASSERT_EQ(RecvUDPMsg(b), kLoopback);
  EXPECT_EQ(ReadByte(b), 9);
}

TEST_F(Sockets, UdpWithoutAPortSendsToTheSendersOwnPortNumber) {
  const std::int32_t port = freePort(SOCK_DGRAM);
  const std::int32_t a = CreateUDPStream(port);
  ASSERT_NE(a, 0);
  WriteShort(a, 77);
  SendUDPMsg(a, kLoopback, 0);
  ASSERT_EQ(RecvUDPMsg(a), kLoopback);
  EXPECT_EQ(UDPMsgPort(a), port);
  EXPECT_EQ(ReadShort(a), 77);
}

TEST_F(Sockets, AnOversizedDatagramFailsTheStream) {
  const std::int32_t a = CreateUDPStream(0);
  const std::string big(70000, 'x');
  WriteString(a, str(big));
  SendUDPMsg(a, kLoopback, 0);
  EXPECT_EQ(Eof(a), -1);
  EXPECT_EQ(RecvUDPMsg(a), 0);
  EXPECT_EQ(ReadAvail(a), 0);
}

TEST_F(Sockets, DeadHandlesRaiseInDebugModeAndAreHarmlessOtherwise) {
  connectPair();
  expectError([] { CloseUDPStream(99); }, "UDP Stream does not exist");
  expectError([] { RecvUDPMsg(99); }, "UDP Stream does not exist");
  expectError([] { TCPStreamIP(99); }, "TCP Stream does not exist");
  expectError([] { CloseTCPServer(99); }, "TCP Server does not exist");
  CloseUDPStream(99);
  CloseTCPStream(99);
  CloseTCPServer(99);
  SendUDPMsg(99, kLoopback, 1);
  EXPECT_EQ(RecvUDPMsg(99), 0);
  EXPECT_EQ(UDPMsgPort(99), 0);
  EXPECT_EQ(TCPStreamPort(99), 0);
  // A server handle is not a stream handle.
  expectError([this] { TCPStreamIP(server_ + 1000); }, "TCP Stream does not exist");
}

TEST_F(Sockets, CopyStreamAndBanksMoveBytesOverTcp) {
  connectPair();
  putFile("in.bin", std::string(40000, 'k') + "end");
  const std::int32_t in = ReadFile(str("in.bin"));
  CopyStream(in, client_, 16384);
  CloseFile(in);
  const std::int32_t bank = CreateBank(40003);
  EXPECT_EQ(ReadBytes(bank, accepted_, 0, 40003), 40003);
  EXPECT_EQ(PeekByte(bank, 39999), 'k');
  EXPECT_EQ(PeekByte(bank, 40002), 'd');
  EXPECT_EQ(Eof(accepted_), 0);
}

TEST_F(Sockets, TheModuleClosesEverythingAtTheEnd) {
  const std::size_t before = stdlib::liveStreamCount();
  connectPair();
  CreateUDPStream(0);
  CreateUDPStream(0);
  EXPECT_EQ(stdlib::liveStreamCount(), before + 4);
  destroySocketsModule();
  EXPECT_EQ(stdlib::liveStreamCount(), before);
  // A new run starts with the time-outs of a fresh module.
  ASSERT_TRUE(createSocketsModule());
  connectPair();
  const std::uint32_t start = clock_.now();
  ReadByte(client_);
  EXPECT_EQ(clock_.now() - start, 10000u);
}

}  // namespace
}  // namespace korvo::cmd
