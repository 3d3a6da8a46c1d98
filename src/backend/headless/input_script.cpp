// Parsing of input scripts: one event per line, "<time> <what> <arguments>".
#include "backend/headless/input_script.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <sstream>

namespace korvo::platform {
namespace {

using Words = std::vector<std::string>;

// Joystick axis names in axis-index order.
constexpr const char* kAxisNames[] = {"x", "y", "z", "u", "v", "pitch", "yaw", "roll", "hat"};

bool toInt(const std::string& text, std::int64_t& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

bool toFloat(const std::string& text, float& value) {
  char* end = nullptr;
  value = std::strtof(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size();
}

// Parses words[at] as an integer within [lo, hi].
bool intArg(const Words& w, std::size_t at, std::int64_t lo, std::int64_t hi, std::int32_t& out) {
  std::int64_t v = 0;
  if (at >= w.size() || !toInt(w[at], v) || v < lo || v > hi) return false;
  out = static_cast<std::int32_t>(v);
  return true;
}

// "down", "up" or "press" (down then up) as event types; false for anything else.
bool upDown(const std::string& word, WindowEventType down, WindowEventType up, std::vector<WindowEventType>& out) {
  if (word == "down") out = {down};
  else if (word == "up") out = {up};
  else if (word == "press") out = {down, up};
  else return false;
  return true;
}

// Parses "joy <port> axis <name>=<value>" or "joy <port> down|up|press <button>".
std::string parseJoystick(const Words& w, std::vector<ScriptEvent>& out) {
  JoystickChange j;
  if (w.size() != 5 || !intArg(w, 2, 0, 15, j.port))
    return "expected: joy <port 0-15> axis <name>=<value> | joy <port> down|up|press <button>";
  if (w[3] == "axis") {
    const std::size_t eq = w[4].find('=');
    const auto* name = std::find(std::begin(kAxisNames), std::end(kAxisNames), w[4].substr(0, eq));
    if (name == std::end(kAxisNames) || eq == std::string::npos || !toFloat(w[4].substr(eq + 1), j.value))
      return "joystick axis must be <name>=<value> with name x, y, z, u, v, pitch, yaw, roll or hat";
    j.index = static_cast<std::int32_t>(name - std::begin(kAxisNames));
    out.push_back({0, true, {}, j});
    return "";
  }
  std::vector<WindowEventType> types;
  if (!upDown(w[3], WindowEventType::kKeyDown, WindowEventType::kKeyUp, types))
    return "expected: joy <port> axis <name>=<value> | joy <port> down|up|press <button>";
  if (!intArg(w, 4, 1, 31, j.index)) return "joystick button must be 1 to 31";
  j.isAxis = false;
  for (WindowEventType t : types) {
    j.down = t == WindowEventType::kKeyDown;
    out.push_back({0, true, {}, j});
  }
  return "";
}

// Turns the words after the time into events; an empty string on success, else the reason.
std::string parseEvent(const Words& w, std::vector<ScriptEvent>& out) {
  const std::string& what = w[1];
  if (what == "joy") return parseJoystick(w, out);
  WindowEvent e;
  std::vector<WindowEventType> types;
  if (what == "key") {
    if (w.size() != 4 || !upDown(w[2], WindowEventType::kKeyDown, WindowEventType::kKeyUp, types))
      return "expected: key down|up|press <number>";
    if (!intArg(w, 3, 1, 255, e.key)) return "key number must be 1 to 255";
  } else if (what == "mouse") {
    if (w.size() == 5 && w[2] == "move") {
      if (!intArg(w, 3, -65536, 65536, e.x) || !intArg(w, 4, -65536, 65536, e.y)) return "bad mouse position";
      types = {WindowEventType::kMouseMove};
    } else if (w.size() == 4 && upDown(w[2], WindowEventType::kMouseDown, WindowEventType::kMouseUp, types)) {
      if (!intArg(w, 3, 1, 3, e.button)) return "mouse button must be 1, 2 or 3";
    } else {
      return "expected: mouse move <x> <y> | mouse down|up|press <button>";
    }
  } else if (what == "wheel") {
    std::int32_t notches = 0;
    if (w.size() != 3 || !intArg(w, 2, -10000, 10000, notches)) return "expected: wheel <notches>";
    e.delta = notches * 120;
    types = {WindowEventType::kWheel};
  } else if (w.size() == 2 && what == "close") {
    types = {WindowEventType::kClose};
  } else if (w.size() == 2 && what == "quit") {
    types = {WindowEventType::kQuit};
  } else if (w.size() == 2 && what == "activate") {
    types = {WindowEventType::kActivate};
  } else if (w.size() == 2 && what == "deactivate") {
    types = {WindowEventType::kDeactivate};
  } else {
    return "unknown event '" + what + "'";
  }
  for (WindowEventType t : types) {
    e.type = t;
    out.push_back({0, false, e, {}});
  }
  return "";
}

}  // namespace

InputScript parseInputScript(std::istream& in) {
  InputScript script;
  std::string line;
  std::int64_t previous = 0;
  for (int number = 1; std::getline(in, line); ++number) {
    const auto hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    Words w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty()) continue;

    auto fail = [&](const std::string& why) {
      script.events.clear();
      script.error = "line " + std::to_string(number) + ": " + why;
      return script;
    };
    // "+N" is N milliseconds after the previous line's time.
    const bool relative = w[0][0] == '+';
    std::int64_t time = 0;
    if (!toInt(relative ? w[0].substr(1) : w[0], time) || time < 0)
      return fail("time must be a number of milliseconds");
    if (relative) time += previous;
    if (time > 0xFFFFFFFFll) return fail("time too large");
    if (w.size() < 2) return fail("event missing");
    std::vector<ScriptEvent> events;
    if (std::string why = parseEvent(w, events); !why.empty()) return fail(why);
    for (ScriptEvent& e : events) {
      e.time = static_cast<std::uint32_t>(time);
      script.events.push_back(e);
    }
    previous = time;
  }
  std::stable_sort(script.events.begin(), script.events.end(),
                   [](const ScriptEvent& a, const ScriptEvent& b) { return a.time < b.time; });
  return script;
}

}  // namespace korvo::platform
