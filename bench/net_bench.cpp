// Multiplayer messages between two processes on loopback, as programs send and receive
// them through the commands: the round trip of one message (to an echoing peer and back)
// and the messages per second a peer takes in, reliable and unreliable.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include <benchmark/benchmark.h>

#include "core/basic_module.h"
#include "core/kv_string.h"
#include "stdlib/multiplay/multiplay_commands.h"
#include "stdlib/stdlib_modules.h"

namespace korvo {
namespace {

enum : std::int32_t { kPing = 1, kData = 2, kBatchEnd = 3, kBatchCount = 4, kQuit = 9 };
constexpr const char* kGame = "bench game";

KvString* text(const std::string& s) { return core::newString(s); }

// Waits for the next message of the session; its type.
std::int32_t nextMessage() {
  while (!cmd::RecvNetMsg()) {}
  return cmd::NetMsgType();
}

// Waits up to a second for a message of the type; false when none came (an unreliable
// message may be lost).
bool awaitType(std::int32_t type) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (std::chrono::steady_clock::now() < end) {
    if (cmd::RecvNetMsg() && cmd::NetMsgType() == type) return true;
  }
  return false;
}

// The other process: hosts the game, echoes pings, counts data and says how much came.
[[noreturn]] void echoPeer() {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (cmd::HostNetGame(text(kGame)) != 2) std::_Exit(1);
  const std::int32_t me = cmd::CreateNetPlayer(text("echo"));
  std::int32_t counted = 0;
  for (;;) {
    const std::int32_t type = nextMessage();
    const std::int32_t from = cmd::NetMsgFrom();
    if (type == kPing) {
      // Back the way it came: "r" reliable, "u" not.
      const bool reliable = core::takeString(cmd::NetMsgData()) == "r";
      cmd::SendNetMsg(kPing, text(reliable ? "r" : "u"), me, from, reliable ? 1 : 0);
    } else if (type == kData) {
      ++counted;
    } else if (type == kBatchEnd) {
      cmd::SendNetMsg(kBatchCount, text(std::to_string(counted)), me, from, 1);
      counted = 0;
    } else if (type == kQuit) {
      cmd::StopNetGame();
      std::_Exit(0);
    }
  }
}

struct Session {
  pid_t peer = -1;
  std::int32_t me = 0;
  std::int32_t echo = 0;
};

Session& session() {
  static Session s;
  return s;
}

void RoundTrip(benchmark::State& state) {
  const bool reliable = state.range(0) != 0;
  Session& s = session();
  std::int64_t lost = 0;
  for (auto _ : state) {
    cmd::SendNetMsg(kPing, text(reliable ? "r" : "u"), s.me, s.echo, reliable ? 1 : 0);
    if (!awaitType(kPing)) ++lost;
  }
  state.counters["lost"] = static_cast<double>(lost);
}
BENCHMARK(RoundTrip)->Arg(1)->Arg(0)->ArgName("reliable")->Unit(benchmark::kMicrosecond)->UseRealTime();

void MessagesPerSecond(benchmark::State& state) {
  const bool reliable = state.range(0) != 0;
  constexpr int kBatch = 1000;
  Session& s = session();
  std::int64_t delivered = 0;
  for (auto _ : state) {
    for (int i = 0; i < kBatch; ++i) cmd::SendNetMsg(kData, text("0123456789abcdef"), s.me, s.echo, reliable ? 1 : 0);
    cmd::SendNetMsg(kBatchEnd, text(""), s.me, s.echo, 1);
    if (!awaitType(kBatchCount)) continue;
    delivered += std::atoi(core::takeString(cmd::NetMsgData()).c_str());
  }
  state.counters["delivered/s"] = benchmark::Counter(static_cast<double>(delivered), benchmark::Counter::kIsRate);
  state.counters["delivered %"] =
      100.0 * static_cast<double>(delivered) / (static_cast<double>(state.iterations()) * kBatch);
}
BENCHMARK(MessagesPerSecond)->Arg(1)->Arg(0)->ArgName("reliable")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvo

int main(int argc, char** argv) {
  using namespace korvo;
  ::setenv("KORVO_CLOCK", "real", 1);
  if (!std::getenv("KORVO_NET_PORT")) ::setenv("KORVO_NET_PORT", "41000", 1);
  createBasicModule();
  createMultiplayModule();
  Session& s = session();
  s.peer = ::fork();
  if (s.peer == 0) echoPeer();
  for (int tries = 0; tries < 50 && !cmd::JoinNetGame(text(kGame), text("127.0.0.1")); ++tries) ::usleep(20000);
  s.me = cmd::CreateNetPlayer(text("bench"));
  while (nextMessage() != 100) {}
  s.echo = cmd::NetMsgFrom();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  cmd::SendNetMsg(kQuit, text(""), s.me, s.echo, 1);
  cmd::StopNetGame();
  ::waitpid(s.peer, nullptr, 0);
  destroyMultiplayModule();
  return 0;
}
