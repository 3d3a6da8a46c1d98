// The bank module's commands: banks, peeks and pokes, copies, stream transfers and calls
// into shared libraries. Values are little-endian at any offset.
#pragma once

#include <cstdint>

#include "core/kv_string.h"

namespace korvo {

namespace stdlib {
// How many banks are alive.
std::size_t liveBankCount();
}  // namespace stdlib

namespace cmd {

std::int32_t CreateBank(std::int32_t size);
void FreeBank(std::int32_t bank);
std::int32_t BankSize(std::int32_t bank);
void ResizeBank(std::int32_t bank, std::int32_t size);
// Overlapping ranges, also within one bank, copy as if through a temporary buffer.
void CopyBank(std::int32_t srcBank, std::int32_t srcOffset, std::int32_t destBank, std::int32_t destOffset,
              std::int32_t count);
std::int32_t PeekByte(std::int32_t bank, std::int32_t offset);
std::int32_t PeekShort(std::int32_t bank, std::int32_t offset);
std::int32_t PeekInt(std::int32_t bank, std::int32_t offset);
float PeekFloat(std::int32_t bank, std::int32_t offset);
void PokeByte(std::int32_t bank, std::int32_t offset, std::int32_t value);
void PokeShort(std::int32_t bank, std::int32_t offset, std::int32_t value);
void PokeInt(std::int32_t bank, std::int32_t offset, std::int32_t value);
void PokeFloat(std::int32_t bank, std::int32_t offset, float value);
// Stream bytes into the bank; how many arrived.
std::int32_t ReadBytes(std::int32_t bank, std::int32_t stream, std::int32_t offset, std::int32_t count);
// Bank bytes into the stream; how many were written.
std::int32_t WriteBytes(std::int32_t bank, std::int32_t stream, std::int32_t offset, std::int32_t count);
// Calls func of the shared library with (in data, in size, out data, out size); 0 when
// the library or function cannot be found.
std::int32_t CallDLL(KvString* dllName, KvString* funcName, std::int32_t inBank, std::int32_t outBank);

}  // namespace cmd
}  // namespace korvo
