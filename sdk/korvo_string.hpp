// korvo::String: a string value that owns one runtime string, so that C++ programs keep the
// runtime's ownership rule (arguments belong to the callee, results to the caller) without
// counting references by hand. korvo::StringVar is a string variable that can be a global:
// constant-initialised and trivially destructible, holding null (read as "") or an owned
// string. Part of the C++ face of the SDK (korvo.hpp).
#ifndef KORVO_STRING_HPP
#define KORVO_STRING_HPP

#include "korvo.h"

namespace korvo {

class String {
 public:
  constexpr String() = default;
  String(const char* text) : s_(__kvStrConst(text)) {}  // NOLINT: literals convert, as in the language
  explicit String(int32_t value) : s_(__kvStrFromInt(value)) {}
  explicit String(float value) : s_(__kvStrFromFloat(value)) {}
  String(const String& other) : s_(other.copy()) {}
  String(String&& other) : s_(other.s_) { other.s_ = nullptr; }
  ~String() { __kvStrRelease(s_); }
  String& operator=(String other) {
    KvString* old = s_;
    s_ = other.s_;
    other.s_ = old;
    return *this;
  }

  // Takes ownership of a string a routine returned.
  static String adopt(KvString* s) {
    String result;
    result.s_ = s;
    return result;
  }
  // A new runtime string with the same text, owned by the caller (for passing on).
  KvString* copy() const { return s_ ? __kvStrLoad(const_cast<KvString**>(&s_)) : __kvStrConst(""); }
  // Hands the string to the caller, leaving this empty.
  KvString* release() {
    KvString* s = s_ ? s_ : __kvStrConst("");
    s_ = nullptr;
    return s;
  }

  int32_t toInt() const { return __kvStrToInt(copy()); }
  float toFloat() const { return __kvStrToFloat(copy()); }

  String& operator+=(const String& other) {
    s_ = __kvStrConcat(release(), other.copy());
    return *this;
  }
  String& operator+=(int32_t value) {
    s_ = __kvStrConcat(release(), __kvStrFromInt(value));
    return *this;
  }
  String& operator+=(float value) {
    s_ = __kvStrConcat(release(), __kvStrFromFloat(value));
    return *this;
  }
  String& operator+=(const char* text) {
    s_ = __kvStrConcat(release(), __kvStrConst(text));
    return *this;
  }

  // Byte-wise comparison, the language's: negative, 0 or positive.
  int32_t compare(const String& other) const { return __kvStrCompare(copy(), other.copy()); }

 private:
  KvString* s_ = nullptr;
};

inline String operator+(String a, const String& b) { return a += b; }
inline String operator+(String a, const char* b) { return a += b; }
inline String operator+(const char* a, const String& b) { return String(a) += b; }
inline String operator+(String a, int32_t b) { return a += b; }
inline String operator+(String a, float b) { return a += b; }
inline bool operator==(const String& a, const String& b) { return a.compare(b) == 0; }
inline bool operator!=(const String& a, const String& b) { return a.compare(b) != 0; }
inline bool operator<(const String& a, const String& b) { return a.compare(b) < 0; }
inline bool operator>(const String& a, const String& b) { return a.compare(b) > 0; }

// A reference to a string held in a variable or slot: reads give a copy, writes store.
class StringRef {
 public:
  explicit StringRef(KvString** slot) : slot_(slot) {}
  operator String() const { return String::adopt(__kvStrLoad(slot_)); }  // NOLINT: reads like a variable
  String get() const { return *this; }
  StringRef& operator=(String value) {
    __kvStrStore(slot_, value.release());
    return *this;
  }
  StringRef& operator=(const StringRef& other) { return *this = other.get(); }

 private:
  KvString** slot_;
};

// A string variable with static storage: never released by a destructor (the runtime frees
// every string at the program's end), so globals of this type need no static constructors.
class StringVar {
 public:
  constexpr StringVar() = default;
  StringVar(const StringVar&) = delete;
  String get() const { return String::adopt(__kvStrLoad(const_cast<KvString**>(&s_))); }
  operator String() const { return get(); }  // NOLINT: reads like a variable
  StringVar& operator=(String value) {
    __kvStrStore(&s_, value.release());
    return *this;
  }
  StringRef ref() { return StringRef(&s_); }

 private:
  KvString* s_ = nullptr;
};

}  // namespace korvo

#endif  // KORVO_STRING_HPP
