// KvString, the language's pooled string, its internal routines and the helpers every
// command uses to take string arguments and return string results.
//
// Ownership: a KvString returned by any routine is owned by the receiver; one passed as an
// argument is owned by the callee, which releases it before returning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvo {

struct KvString {
  std::string text;
  KvString* next;
  KvString* prev;
};

namespace core {

// Empties the pool's lists and the live-string counter (basic module create).
void resetStringPool();
// Releases every live string (basic module destroy; blocks are freed with the block set).
void releaseAllStrings();
// Constructions minus destructions of string texts.
std::int32_t liveStringCount();

// The longest string a program can hold: its length must fit the language's int.
inline constexpr std::size_t kMaxStringLength = 0x7FFFFFFF;
// Raises "Out of memory" when a string of length bytes cannot be held.
void requireStringLength(std::size_t length);

// A new string holding text; "Out of memory" when it is longer than kMaxStringLength.
KvString* newString(std::string_view text);
inline KvString* newString(const char* text) { return newString(std::string_view(text)); }
// The same, taking text's storage.
KvString* newString(std::string&& text);
// The text of s (empty for null), releasing s.
std::string takeString(KvString* s);
// The text of s without touching ownership (empty for null).
inline std::string_view viewString(const KvString* s) { return s ? std::string_view(s->text) : std::string_view(); }

// Owns a string argument for the length of a command and releases it even when the command
// raises an error.
class StringArg {
 public:
  explicit StringArg(KvString* s) : s_(s) {}
  ~StringArg();
  StringArg(const StringArg&) = delete;
  StringArg& operator=(const StringArg&) = delete;
  std::string_view view() const { return viewString(s_); }
  std::string str() const { return std::string(view()); }
  // Zero-terminated text as the platform sees it: up to the first zero byte.
  const char* c_str() const { return s_ ? s_->text.c_str() : ""; }

 private:
  KvString* s_;
};

// The text form of a float (six significant digits, the runtime's own format).
std::string floatText(float value);

// Internal routines of compiled code.
KvString* kvStrConst(const char* text);
KvString* kvStrLoad(KvString** variable);
void kvStrStore(KvString** variable, KvString* value);
void kvStrRelease(KvString* s);
KvString* kvStrConcat(KvString* a, KvString* b);
std::int32_t kvStrCompare(KvString* a, KvString* b);
std::int32_t kvStrToInt(KvString* s);
KvString* kvStrFromInt(std::int32_t value);
float kvStrToFloat(KvString* s);
KvString* kvStrFromFloat(float value);

}  // namespace core
}  // namespace korvo
