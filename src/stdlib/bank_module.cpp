// The bank module: the bank set, the bank commands, and freeing every bank left at the
// end. In debug mode a dead handle or a range outside the bank raises; outside it such a
// command does nothing and reads 0, so no access ever leaves the bank.
#include <bit>
#include <cstring>

#include "base/handle_registry.h"
#include "stdlib/stdlib_modules.h"
#include "host/host_record.h"
#include "stdlib/bank.h"
#include "stdlib/bank_commands.h"
#include "stdlib/kv_stream.h"

namespace korvo {
namespace {

using stdlib::kvBank;

constexpr const char* kNoBank = "kvBank does not exist";

// The banks of the running host; null when none runs.
HandleRegistry<kvBank>* banks() { return platform::RecordOf<HandleRegistry<kvBank>>::find(); }

kvBank* requireBank(std::int32_t handle) {
  HandleRegistry<kvBank>* registry = banks();
  if (registry) return registry->require(handle, kNoBank);
  if (debugMode()) raiseError(kNoBank);
  return nullptr;
}

// The bytes [offset, offset + count) of a live bank, or null.
std::uint8_t* bytesAt(std::int32_t handle, std::int32_t offset, std::int32_t count) {
  kvBank* bank = requireBank(handle);
  return bank && bank->holds(offset, count) ? bank->data.get() + offset : nullptr;
}

std::uint32_t peek(std::int32_t bank, std::int32_t offset, std::int32_t width) {
  const std::uint8_t* p = bytesAt(bank, offset, width);
  if (!p) return 0;
  std::uint32_t value = 0;
  for (std::int32_t i = 0; i < width; ++i) value |= static_cast<std::uint32_t>(p[i]) << (8 * i);
  return value;
}

void poke(std::int32_t bank, std::int32_t offset, std::int32_t width, std::uint32_t value) {
  std::uint8_t* p = bytesAt(bank, offset, width);
  if (!p) return;
  for (std::int32_t i = 0; i < width; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The bank's bytes and the stream for a transfer, both checked; false when either is bad.
bool transfer(std::int32_t bank, std::int32_t stream, std::int32_t offset, std::int32_t count, std::uint8_t*& bytes,
              stdlib::KvStream*& s) {
  kvBank* b = requireBank(bank);
  if (!b || !b->holds(offset, count)) return false;
  s = stdlib::requireStream(stream);
  bytes = b->data.get() + offset;
  return s != nullptr;
}

}  // namespace

namespace stdlib {

std::size_t liveBankCount() {
  const HandleRegistry<kvBank>* registry = banks();
  return registry ? registry->size() : 0;
}

}  // namespace stdlib

namespace cmd {

std::int32_t CreateBank(std::int32_t size) {
  HandleRegistry<kvBank>* registry = banks();
  auto bank = registry ? kvBank::create(size) : nullptr;
  return bank ? registry->add(std::move(bank)) : 0;
}

void FreeBank(std::int32_t bank) {
  if (HandleRegistry<kvBank>* registry = banks()) registry->erase(bank);
}

std::int32_t BankSize(std::int32_t bank) {
  const kvBank* b = requireBank(bank);
  return b ? b->size : 0;
}

void ResizeBank(std::int32_t bank, std::int32_t size) {
  if (kvBank* b = requireBank(bank)) b->resize(size);
}

void CopyBank(std::int32_t srcBank, std::int32_t srcOffset, std::int32_t destBank, std::int32_t destOffset,
              std::int32_t count) {
  const std::uint8_t* from = bytesAt(srcBank, srcOffset, count);
  std::uint8_t* to = bytesAt(destBank, destOffset, count);
  if (from && to && count > 0) std::memmove(to, from, static_cast<std::size_t>(count));
}

std::int32_t PeekByte(std::int32_t bank, std::int32_t offset) {
  return static_cast<std::int32_t>(peek(bank, offset, 1));
}

std::int32_t PeekShort(std::int32_t bank, std::int32_t offset) {
  return static_cast<std::int32_t>(peek(bank, offset, 2));
}

std::int32_t PeekInt(std::int32_t bank, std::int32_t offset) {
  return static_cast<std::int32_t>(peek(bank, offset, 4));
}

float PeekFloat(std::int32_t bank, std::int32_t offset) { return std::bit_cast<float>(peek(bank, offset, 4)); }

void PokeByte(std::int32_t bank, std::int32_t offset, std::int32_t value) {
  poke(bank, offset, 1, static_cast<std::uint32_t>(value));
}

void PokeShort(std::int32_t bank, std::int32_t offset, std::int32_t value) {
  poke(bank, offset, 2, static_cast<std::uint32_t>(value));
}

void PokeInt(std::int32_t bank, std::int32_t offset, std::int32_t value) {
  poke(bank, offset, 4, static_cast<std::uint32_t>(value));
}

void PokeFloat(std::int32_t bank, std::int32_t offset, float value) {
  poke(bank, offset, 4, std::bit_cast<std::uint32_t>(value));
}

std::int32_t ReadBytes(std::int32_t bank, std::int32_t stream, std::int32_t offset, std::int32_t count) {
  std::uint8_t* bytes = nullptr;
  stdlib::KvStream* s = nullptr;
  if (!transfer(bank, stream, offset, count, bytes, s) || count == 0) return 0;
  return s->read(bytes, count);
}

std::int32_t WriteBytes(std::int32_t bank, std::int32_t stream, std::int32_t offset, std::int32_t count) {
  std::uint8_t* bytes = nullptr;
  stdlib::KvStream* s = nullptr;
  if (!transfer(bank, stream, offset, count, bytes, s) || count == 0) return 0;
  return s->write(bytes, count);
}

std::int32_t CallDLL(KvString* dllName, KvString* funcName, std::int32_t inBank, std::int32_t outBank) {
  core::StringArg library(dllName), function(funcName);
  kvBank* in = inBank ? requireBank(inBank) : nullptr;
  kvBank* out = outBank ? requireBank(outBank) : nullptr;
  // A dead bank handle never reaches the library: it could not tell it from a live one.
  if ((inBank && !in) || (outBank && !out)) return 0;
  platform::RuntimeHost* host = platform::RuntimeHost::current();
  if (!host) return 0;
  return host->callLibrary(library.str(), function.str(), in ? in->data.get() : nullptr, in ? in->size : 0,
                           out ? out->data.get() : nullptr, out ? out->size : 0);
}

}  // namespace cmd

// The host keeps the registry to its own end, so that handles are not reused by a module
// created again in the same run.
bool createBankModule() { return banks() != nullptr; }

void destroyBankModule() {
  if (HandleRegistry<kvBank>* registry = banks()) registry->clear();
}

void registerBankCommands(Registrar& r) {
  using namespace cmd;
  r.add("%CreateBank%size=0", entry<&CreateBank>());
  r.add("FreeBank%bank", entry<&FreeBank>());
  r.add("%BankSize%bank", entry<&BankSize>());
  r.add("ResizeBank%bank%size", entry<&ResizeBank>());
  r.add("CopyBank%src_bank%src_offset%dest_bank%dest_offset%count", entry<&CopyBank>());
  r.add("%PeekByte%bank%offset", entry<&PeekByte>());
  r.add("%PeekShort%bank%offset", entry<&PeekShort>());
  r.add("%PeekInt%bank%offset", entry<&PeekInt>());
  r.add("#PeekFloat%bank%offset", entry<&PeekFloat>());
  r.add("PokeByte%bank%offset%value", entry<&PokeByte>());
  r.add("PokeShort%bank%offset%value", entry<&PokeShort>());
  r.add("PokeInt%bank%offset%value", entry<&PokeInt>());
  r.add("PokeFloat%bank%offset#value", entry<&PokeFloat>());
  r.add("%ReadBytes%bank%file%offset%count", entry<&ReadBytes>());
  r.add("%WriteBytes%bank%file%offset%count", entry<&WriteBytes>());
  r.add("%CallDLL$dll_name$func_name%in_bank=0%out_bank=0", entry<&CallDLL>());
}

}  // namespace korvo
