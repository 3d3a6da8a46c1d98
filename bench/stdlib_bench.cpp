// Standard library speed: the random generator and bank peeks and pokes, called as
// compiled programs call them (through the command boundary).
#include <benchmark/benchmark.h>

#include "base/command_registry.h"
#include "host/runtime_host.h"
#include "startup/runtime_modules.h"
#include "stdlib/bank_commands.h"
#include "stdlib/math_commands.h"

namespace korvo {
namespace {

constexpr std::int32_t kBankSize = 4096;

void Rnd(benchmark::State& state) {
  createMathModule();
  auto* rnd = &CommandEntry<&cmd::Rnd>::call;
  float sum = 0;
  for (auto _ : state) sum += rnd(0.0f, 100.0f);
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(Rnd);

void Rand(benchmark::State& state) {
  createMathModule();
  auto* rand = &CommandEntry<&cmd::Rand>::call;
  std::int64_t sum = 0;
  for (auto _ : state) sum += rand(1, 6);
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(Rand);

// A host that keeps the banks for the length of a benchmark.
struct Host {
  Host() : host(platform::RuntimeHost::create("", nullptr)) { createBankModule(); }
  ~Host() {
    destroyBankModule();
    platform::RuntimeHost::destroy(host);
  }
  platform::RuntimeHost* host;
};

// A bank among others, so that handle lookup does real work.
struct BankSet {
  BankSet() {
    for (int i = 0; i < 100; ++i) others[i] = cmd::CreateBank(16);
    bank = cmd::CreateBank(kBankSize);
  }
  Host host;
  std::int32_t others[100];
  std::int32_t bank;
};

void PeekByte(benchmark::State& state) {
  BankSet banks;
  auto* peek = &CommandEntry<&cmd::PeekByte>::call;
  std::int32_t offset = 0, sum = 0;
  for (auto _ : state) {
    sum += peek(banks.bank, offset);
    offset = (offset + 1) & (kBankSize - 1);
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(PeekByte);

void PeekInt(benchmark::State& state) {
  BankSet banks;
  auto* peek = &CommandEntry<&cmd::PeekInt>::call;
  std::int32_t offset = 0, sum = 0;
  for (auto _ : state) {
    sum += peek(banks.bank, offset);
    offset = (offset + 3) & (kBankSize / 2 - 1);  // unaligned on purpose
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(PeekInt);

void PokeInt(benchmark::State& state) {
  BankSet banks;
  auto* poke = &CommandEntry<&cmd::PokeInt>::call;
  std::int32_t offset = 0;
  for (auto _ : state) {
    poke(banks.bank, offset, offset);
    offset = (offset + 3) & (kBankSize / 2 - 1);
  }
}
BENCHMARK(PokeInt);

void ResizeBankByOneByte(benchmark::State& state) {
  Host host;
  for (auto _ : state) {
    const std::int32_t bank = cmd::CreateBank(0);
    for (std::int32_t size = 1; size <= 65536; ++size) cmd::ResizeBank(bank, size);
    cmd::FreeBank(bank);
  }
  state.SetItemsProcessed(state.iterations() * 65536);
}
BENCHMARK(ResizeBankByOneByte);

}  // namespace
}  // namespace korvo
BENCHMARK_MAIN();
