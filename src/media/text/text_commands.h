// The font and text commands, and the console (Print, Write, Input, Locate) that writes on
// the front buffer with a text cursor, scrolling and, in Input, a blinking caret.
#pragma once

#include <cstdint>

#include "core/kv_string.h"

namespace korvo::cmd {

std::int32_t LoadFont(KvString* name, std::int32_t height, std::int32_t bold, std::int32_t italic,
                      std::int32_t underline);
void FreeFont(std::int32_t font);
void SetFont(std::int32_t font);
std::int32_t FontWidth();
std::int32_t FontHeight();
std::int32_t StringWidth(KvString* text);
std::int32_t StringHeight(KvString* text);
void Text(std::int32_t x, std::int32_t y, KvString* text, std::int32_t centreX, std::int32_t centreY);

void Write(KvString* text);
void Print(KvString* text);
KvString* Input(KvString* prompt);
void Locate(std::int32_t x, std::int32_t y);

}  // namespace korvo::cmd
