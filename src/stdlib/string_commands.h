// The string module's commands. String arguments are consumed; most transforming commands
// hand back the argument object itself, changed in place.
#pragma once

#include <cstdint>

#include "core/kv_string.h"

namespace korvo::cmd {

KvString* String(KvString* string, std::int32_t repeat);
KvString* Left(KvString* string, std::int32_t count);
KvString* Right(KvString* string, std::int32_t count);
KvString* Replace(KvString* string, KvString* from, KvString* to);
// 1-based position of find at or after from, 0 when absent.
std::int32_t Instr(KvString* string, KvString* find, std::int32_t from);
KvString* Mid(KvString* string, std::int32_t start, std::int32_t count);
KvString* Upper(KvString* string);
KvString* Lower(KvString* string);
// Strips every byte that is not a letter, digit or punctuation from both ends.
KvString* Trim(KvString* string);
KvString* LSet(KvString* string, std::int32_t size);
KvString* RSet(KvString* string, std::int32_t size);
KvString* Chr(std::int32_t ascii);
// First byte as 0 ... 255, -1 for an empty string.
std::int32_t Asc(KvString* string);
std::int32_t Len(KvString* string);
KvString* Hex(std::int32_t value);
KvString* Bin(std::int32_t value);
KvString* CurrentDate();
KvString* CurrentTime();

}  // namespace korvo::cmd
