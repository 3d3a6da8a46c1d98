// Data statements and the integer and float helpers compiled code does not expand inline.
#pragma once

#include <cstdint>

#include "core/kv_string.h"
#include "korvo_layout.h"

namespace korvo::core {

// Forgets the data pointer (basic module create and destroy).
void resetDataPointer();

// Internal routines of compiled code.
void kvRestore(const KvDataEntry* entry);
std::int32_t kvReadInt();
float kvReadFloat();
KvString* kvReadStr();

std::int32_t kvAbs(std::int32_t a);
std::int32_t kvSgn(std::int32_t a);
std::int32_t kvMod(std::int32_t a, std::int32_t b);
float kvFAbs(float x);
float kvFSgn(float x);
float kvFMod(float a, float b);
float kvFPow(float a, float b);

}  // namespace korvo::core
