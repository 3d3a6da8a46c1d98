// The string module: nothing to set up; the string commands. Characters are bytes;
// classification and case mapping use the C library in the "C" locale, on the byte value
// (never a negative char).
#include <algorithm>
#include <cctype>
#include <ctime>

#include "base/kv_ex.h"
#include "stdlib/stdlib_modules.h"
#include "stdlib/string_commands.h"

namespace korvo::cmd {
namespace {

constexpr const char* kMustBePositive = "parameter must be positive";
constexpr const char* kMustBeAboveZero = "parameter must be greater than 0";

// The argument as an object to change in place (a null argument is the empty string).
KvString* editable(KvString* s) { return s ? s : core::newString(""); }

// Releases the argument and raises: parameter errors must not leak the string.
[[noreturn]] void reject(KvString* s, const char* message) {
  core::kvStrRelease(s);
  raiseError(message);
}

std::size_t clampedCount(std::int32_t count, std::size_t length) {
  return static_cast<std::size_t>(count) < length ? static_cast<std::size_t>(count) : length;
}

// Bytes kept by Trim: letters, digits and punctuation.
bool visible(char c) { return std::isgraph(static_cast<unsigned char>(c)) != 0; }

KvString* formatNow(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[64] = {};
  if (localtime_r(&now, &local)) std::strftime(text, sizeof text, format, &local);
  return core::newString(text);
}

}  // namespace

KvString* String(KvString* string, std::int32_t repeat) {
  core::StringArg piece(string);
  std::string text;
  if (repeat > 0 && !piece.view().empty()) {
    // Both factors are below 2^31: the product cannot overflow.
    const std::size_t length = piece.view().size() * static_cast<std::size_t>(repeat);
    core::requireStringLength(length);
    text.reserve(length);
    text = piece.view();
    // Doubling what is there; the reserve keeps the text in place while it copies itself.
    while (text.size() < length) text.append(text.data(), std::min(text.size(), length - text.size()));
  }
  return core::newString(std::move(text));
}

KvString* Left(KvString* string, std::int32_t count) {
  if (count < 0) reject(string, kMustBePositive);
  KvString* s = editable(string);
  s->text.resize(clampedCount(count, s->text.size()));
  return s;
}

KvString* Right(KvString* string, std::int32_t count) {
  if (count < 0) reject(string, kMustBePositive);
  KvString* s = editable(string);
  s->text.erase(0, s->text.size() - clampedCount(count, s->text.size()));
  return s;
}

KvString* Replace(KvString* string, KvString* from, KvString* to) {
  core::StringArg find(from), with(to);
  KvString* s = editable(string);
  const std::string_view pattern = find.view(), replacement = with.view();
  // An empty pattern would match forever; the string stays as it is.
  if (pattern.empty()) return s;
  // Each match is replaced and the search goes on after it: the matches are those of the
  // original text, left to right, so the result's length is known before it is built.
  const std::string& text = s->text;
  std::size_t matches = 0;
  for (std::size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, at + pattern.size()))
    ++matches;
  if (matches == 0) return s;
  const std::size_t length = text.size() - matches * pattern.size() + matches * replacement.size();
  if (length > core::kMaxStringLength) reject(s, kOutOfMemory);
  std::string result;
  result.reserve(length);
  std::size_t pos = 0;
  for (std::size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, pos)) {
    result.append(text, pos, at - pos).append(replacement);
    pos = at + pattern.size();
  }
  result.append(text, pos);
  s->text = std::move(result);
  return s;
}

std::int32_t Instr(KvString* string, KvString* find, std::int32_t from) {
  core::StringArg haystack(string), needle(find);
  if (from < 1) raiseError(kMustBeAboveZero);
  const std::size_t start = static_cast<std::size_t>(from) - 1;
  if (start > haystack.view().size()) return 0;
  const std::size_t at = haystack.view().find(needle.view(), start);
  return at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

KvString* Mid(KvString* string, std::int32_t start, std::int32_t count) {
  if (start < 1) reject(string, kMustBeAboveZero);
  KvString* s = editable(string);
  const std::size_t first = static_cast<std::size_t>(start) - 1;
  if (first >= s->text.size()) {
    s->text.clear();
  } else {
    const std::size_t rest = s->text.size() - first;
    s->text = s->text.substr(first, count < 0 ? rest : clampedCount(count, rest));
  }
  return s;
}

KvString* Upper(KvString* string) {
  KvString* s = editable(string);
  for (char& c : s->text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

KvString* Lower(KvString* string) {
  KvString* s = editable(string);
  for (char& c : s->text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

KvString* Trim(KvString* string) {
  KvString* s = editable(string);
  std::string& t = s->text;
  std::size_t end = t.size();
  while (end > 0 && !visible(t[end - 1])) --end;
  std::size_t begin = 0;
  while (begin < end && !visible(t[begin])) ++begin;
  t = t.substr(begin, end - begin);
  return s;
}

KvString* LSet(KvString* string, std::int32_t size) {
  if (size < 0) reject(string, kMustBePositive);
  KvString* s = editable(string);
  s->text.resize(static_cast<std::size_t>(size), ' ');
  return s;
}

KvString* RSet(KvString* string, std::int32_t size) {
  if (size < 0) reject(string, kMustBePositive);
  KvString* s = editable(string);
  const std::size_t want = static_cast<std::size_t>(size);
  if (s->text.size() >= want) {
    s->text.erase(0, s->text.size() - want);
  } else {
    s->text.insert(0, want - s->text.size(), ' ');
  }
  return s;
}

KvString* Chr(std::int32_t ascii) { return core::newString(std::string(1, static_cast<char>(ascii & 0xff))); }

std::int32_t Asc(KvString* string) {
  core::StringArg s(string);
  return s.view().empty() ? -1 : static_cast<unsigned char>(s.view()[0]);
}

std::int32_t Len(KvString* string) {
  core::StringArg s(string);
  return static_cast<std::int32_t>(s.view().size());
}

KvString* Hex(std::int32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const auto bits = static_cast<std::uint32_t>(value);
  std::string text(8, '0');
  for (int i = 0; i < 8; ++i) text[7 - i] = kDigits[(bits >> (4 * i)) & 0xf];
  return core::newString(text);
}

KvString* Bin(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  std::string text(32, '0');
  for (int i = 0; i < 32; ++i) text[31 - i] = static_cast<char>('0' + ((bits >> i) & 1));
  return core::newString(text);
}

KvString* CurrentDate() { return formatNow("%d %b %Y"); }

KvString* CurrentTime() { return formatNow("%H:%M:%S"); }

}  // namespace korvo::cmd

namespace korvo {

bool createStringModule() { return true; }

void destroyStringModule() {}

void registerStringCommands(Registrar& r) {
  using namespace cmd;
  r.add("$String$string%repeat", entry<&String>());
  r.add("$Left$string%count", entry<&Left>());
  r.add("$Right$string%count", entry<&Right>());
  r.add("$Replace$string$from$to", entry<&Replace>());
  r.add("%Instr$string$find%from=1", entry<&Instr>());
  r.add("$Mid$string%start%count=-1", entry<&Mid>());
  r.add("$Upper$string", entry<&Upper>());
  r.add("$Lower$string", entry<&Lower>());
  r.add("$Trim$string", entry<&Trim>());
  r.add("$LSet$string%size", entry<&LSet>());
  r.add("$RSet$string%size", entry<&RSet>());
  r.add("$Chr%ascii", entry<&Chr>());
  r.add("%Asc$string", entry<&Asc>());
  r.add("%Len$string", entry<&Len>());
  r.add("$Hex%value", entry<&Hex>());
  r.add("$Bin%value", entry<&Bin>());
  r.add("$CurrentDate", entry<&CurrentDate>());
  r.add("$CurrentTime", entry<&CurrentTime>());
}

}  // namespace korvo
