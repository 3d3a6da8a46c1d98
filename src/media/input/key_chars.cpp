// The US layout as a table by scan code: the plain, shifted and control characters.
#include "media/input/key_chars.h"

#include <array>
#include <utility>

namespace korvo::platform {
namespace {

struct KeyChars {
  std::uint8_t plain;
  std::uint8_t shifted;
  std::uint8_t control;  // with Control held (and Alt not): control codes
};

// Indexed by scan code 0..127; zero entries give no character.
constexpr std::array<KeyChars, 128> kLayout = [] {
  std::array<KeyChars, 128> t{};
  constexpr std::pair<int, KeyChars> kEntries[] = {
      {0x01, {27, 27, 27}},    {0x02, {'1', '!', 0}},  {0x03, {'2', '@', 0}},  {0x04, {'3', '#', 0}},
      {0x05, {'4', '$', 0}},   {0x06, {'5', '%', 0}},  {0x07, {'6', '^', 30}}, {0x08, {'7', '&', 0}},
      {0x09, {'8', '*', 0}},   {0x0A, {'9', '(', 0}},  {0x0B, {'0', ')', 0}},  {0x0C, {'-', '_', 31}},
      {0x0D, {'=', '+', 0}},   {0x0E, {8, 8, 127}},    {0x0F, {9, 9, 0}},      {0x10, {'q', 'Q', 17}},
      {0x11, {'w', 'W', 23}},  {0x12, {'e', 'E', 5}},  {0x13, {'r', 'R', 18}}, {0x14, {'t', 'T', 20}},
      {0x15, {'y', 'Y', 25}},  {0x16, {'u', 'U', 21}}, {0x17, {'i', 'I', 9}},  {0x18, {'o', 'O', 15}},
      {0x19, {'p', 'P', 16}},  {0x1A, {'[', '{', 27}}, {0x1B, {']', '}', 29}}, {0x1C, {13, 13, 10}},
      {0x1E, {'a', 'A', 1}},   {0x1F, {'s', 'S', 19}}, {0x20, {'d', 'D', 4}},  {0x21, {'f', 'F', 6}},
      {0x22, {'g', 'G', 7}},   {0x23, {'h', 'H', 8}},  {0x24, {'j', 'J', 10}}, {0x25, {'k', 'K', 11}},
      {0x26, {'l', 'L', 12}},  {0x27, {';', ':', 0}},  {0x28, {'\'', '"', 0}}, {0x29, {'`', '~', 0}},
      {0x2B, {'\\', '|', 28}}, {0x2C, {'z', 'Z', 26}}, {0x2D, {'x', 'X', 24}}, {0x2E, {'c', 'C', 3}},
      {0x2F, {'v', 'V', 22}},  {0x30, {'b', 'B', 2}},  {0x31, {'n', 'N', 14}}, {0x32, {'m', 'M', 13}},
      {0x33, {',', '<', 0}},   {0x34, {'.', '>', 0}},  {0x35, {'/', '?', 0}},  {0x37, {'*', '*', 0}},
      {0x39, {' ', ' ', ' '}}, {0x4A, {'-', '-', 0}},  {0x4E, {'+', '+', 0}},
  };
  for (const auto& [scan, chars] : kEntries) t[scan] = chars;
  return t;
}();

// Keys with fixed codes, checked before the layout: editing and cursor keys.
constexpr std::pair<std::int32_t, std::int32_t> kFixedCodes[] = {
    {kKeyHome, 1},     {kKeyEnd, 2}, {kKeyInsert, 3}, {kKeyDelete, 4}, {kKeyPageUp, 5},
    {kKeyPageDown, 6}, {kKeyUp, 28}, {kKeyDown, 29},  {kKeyRight, 30}, {kKeyLeft, 31},
};

}  // namespace

std::int32_t keyToChar(std::int32_t k, KeyModifiers modifiers) {
  for (const auto& [key, code] : kFixedCodes) {
    if (key == k) return code;
  }
  if (k <= 0 || k > 255) return 0;
  const KeyChars& chars = kLayout[k & 0x7F];
  // The US layout has no characters on Control with Alt.
  if (modifiers.control && modifiers.alt) return 0;
  if (modifiers.control) return chars.control;
  return modifiers.shift ? chars.shifted : chars.plain;
}

}  // namespace korvo::platform
