// The levels' run-length code: a count letter ("A" to "Z" for 1 to 26, "a" to "z" for 27 to
// 52) before each character, with a space after every tenth pair of the scan.
#include "tobrix.hpp"

using namespace korvo;

namespace {

String pair(int32_t count, const String& ch) { return Chr(count <= 26 ? count + 64 : count + 70) + ch; }

}  // namespace

String mezrunch(const String& s) {
  const int32_t length = Len(s);
  if (length < 1) return "";
  String out;
  String current = Mid(s, 1, 1);
  int32_t count = 1;
  int32_t pairs = 0;
  auto emit = [&](int32_t n) {
    out += pair(n, current);
    if (++pairs % 10 == 0) out += " ";
  };
  for (int32_t i = 2; i <= length; ++i) {
    String ch = Mid(s, i, 1);
    if (ch == current) {
      if (++count > 52) {
        emit(52);
        count = 1;
      }
    } else {
      emit(count);
      current = static_cast<String&&>(ch);
      count = 1;
    }
  }
  return out + pair(count, current);
}

// Unpacks s, stopping once the result holds at least limit characters.
String mezorunch(const String& s, int32_t limit) {
  const int32_t length = Len(s);
  String out;
  int32_t at = 1;
  do {
    const int32_t code = Asc(Mid(s, at, 1));
    if (code < 65 || code > 122) {
      at += 1;
    } else {
      out += String_(Mid(s, at + 1, 1), code > 90 ? code - 70 : code - 64);
      at += 2;
    }
  } while (at < length && Len(out) < limit);
  return out;
}
