// The stream commands: numbers, strings and lines on any stream handle (files, TCP, UDP).
// Numbers are little-endian; a string is a 32-bit byte count and the bytes; a line ends
// in CR LF when written and at LF when read, with every CR dropped.
#pragma once

#include <cstdint>

#include "core/kv_string.h"

namespace korvo::cmd {

std::int32_t Eof(std::int32_t stream);
std::int32_t ReadAvail(std::int32_t stream);
std::int32_t ReadByte(std::int32_t stream);
std::int32_t ReadShort(std::int32_t stream);
std::int32_t ReadInt(std::int32_t stream);
float ReadFloat(std::int32_t stream);
KvString* ReadString(std::int32_t stream);
KvString* ReadLine(std::int32_t stream);
void WriteByte(std::int32_t stream, std::int32_t value);
void WriteShort(std::int32_t stream, std::int32_t value);
void WriteInt(std::int32_t stream, std::int32_t value);
// A routine of its own: a float arrives in a different register from an int.
void WriteFloat(std::int32_t stream, float value);
void WriteString(std::int32_t stream, KvString* string);
void WriteLine(std::int32_t stream, KvString* string);
void CopyStream(std::int32_t source, std::int32_t destination, std::int32_t bufferSize);

}  // namespace korvo::cmd
