#include "level_pack.h"

namespace tobrix::gamedata {
namespace {

constexpr std::string_view kHeader = "Tobrix Level Data - v0.1";
constexpr std::string_view kTrailer = "End of Tobrix Level Data - v0.1";
constexpr int kLongestRun = 52;

void appendPair(std::string& out, int count, char c) {
  out += static_cast<char>(count <= 26 ? count + 64 : count + 70);
  out += c;
}

// Lines split the way the game's line reader does: at LF, with a CR before it dropped.
std::vector<std::string> splitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t end = bytes.find('\n', at);
    if (end == std::string_view::npos) end = bytes.size();
    std::string line(bytes.substr(at, end - at));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    at = end + 1;
  }
  return lines;
}

// The language's string-to-integer conversion: leading digits, 0 when there are none.
int leadingNumber(const std::string& s) {
  int n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

std::string compressLevel(std::string_view text) {
  std::string out;
  if (text.empty()) return out;
  char current = text[0];
  int count = 1;
  int pairs = 0;
  auto emit = [&](int n, char c) {
    appendPair(out, n, c);
    if (++pairs % 10 == 0) out += ' ';
  };
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] == current) {
      if (++count > kLongestRun) {
        emit(kLongestRun, current);
        count = 1;
      }
    } else {
      emit(count, current);
      current = text[i];
      count = 1;
    }
  }
  appendPair(out, count, current);
  return out;
}

std::string decompressLevel(std::string_view code) {
  std::string out;
  const std::size_t length = code.size();
  std::size_t p = 0;  // zero-based: the game's position p+1
  while (p + 1 < length) {
    const unsigned char c = static_cast<unsigned char>(code[p]);
    if (c < 'A' || c > 'z') {
      p += 1;
      continue;
    }
    const int count = c > 90 ? c - 70 : c - 64;
    out.append(static_cast<std::size_t>(count), code[p + 1]);
    p += 2;
  }
  return out;
}

std::string writePack(const std::vector<LevelText>& levels) {
  std::string out;
  const std::string empty(kMapSize * kMapSize, '0');
  auto line = [&out](std::string_view s) {
    out += s;
    out += "\r\n";
  };
  for (int i = 0; i < kPackLevels; ++i) {
    const bool used = static_cast<std::size_t>(i) < levels.size();
    const std::string code = compressLevel(used ? levels[static_cast<std::size_t>(i)].joined() : empty);
    line(kHeader);
    line(used ? levels[static_cast<std::size_t>(i)].line1 : "");
    line(used ? levels[static_cast<std::size_t>(i)].line2 : "");
    line(std::to_string(code.size()));
    line(code);
    line(kTrailer);
  }
  return out;
}

std::vector<PackSlot> readPack(std::string_view bytes) {
  const std::vector<std::string> lines = splitLines(bytes);
  std::size_t next = 0;
  auto readLine = [&]() { return next < lines.size() ? lines[next++] : std::string(); };
  std::vector<PackSlot> slots;
  for (int i = 0; i < kPackLevels; ++i) {
    PackSlot slot;
    const std::string header = readLine();
    slot.line1 = readLine();
    slot.line2 = readLine();
    const std::size_t length = static_cast<std::size_t>(leadingNumber(readLine()));
    std::string data = readLine();
    while (data.size() < length && next < lines.size()) data += readLine();
    const std::string cells = decompressLevel(data);
    slot.valid = cells.find('s') != std::string::npos && cells.size() >= kMapSize * kMapSize;
    if (slot.valid) slot.cells = cells.substr(0, kMapSize * kMapSize);
    slot.trailerOk = readLine() == "End of " + header;
    slots.push_back(std::move(slot));
  }
  return slots;
}

}  // namespace tobrix::gamedata
