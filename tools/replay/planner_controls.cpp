// The replay planner's controls: in place of the keyboard, a plan of steps read from
// "replay.plan" in the game's folder decides each frame which control slots (and Escape) are
// held, from the game's own state, through the menus and in play; every change of a key is
// written to "replay.txt" as a line of an input script (the time is the frame's, so a replay
// of the script holds the same keys in the same frames).
//
// Plan steps, one a line ("#" starts a comment):
//   left X / right X    walk until standing in column X
//   up Y / down Y       climb until standing in row Y
//   jumpleft / jumpright  press a jump button once, then wait until the player stands
//   hold / release      hold the grip button (kept through the following steps) / let go
//   press SLOT          hold control slot 1 to 7 for one frame
//   wait N              hold nothing for N frames
//   still               wait until the player stands still in a cell
//   escape              hold Escape for one frame
//   playing N           wait until level N is being played
//   idle                wait until no level is being played (back in the menus)
//   quit                end the run (and the script) here
//   timing 1 / timing 0  log each frame's number from here on / no longer (for benchmarks)
#include "tobrix.hpp"

using namespace korvo;

namespace {

// Set 1's codes per slot, then Escape as the ninth "slot".
constexpr int32_t kCodes[9] = {0, 200, 208, 203, 205, 45, 44, 46, 1};
constexpr int32_t kEscape = 8;
constexpr int32_t kMaxSteps = 400;

struct Step {
  int32_t verb;  // index into kVerbs
  int32_t value;
};
constexpr const char* kVerbs[] = {"left", "right", "up",   "down",    "jumpleft", "jumpright", "hold",
                                  "release", "press", "wait", "still", "escape", "playing", "idle", "quit", "timing"};

Step plan[kMaxSteps];
int32_t steps, current, held, grip, lastframe = -1, waited, pressed, out, frames;

}  // namespace

// Set by a benchmark (or the plan): each frame logs its number.
int32_t plannerlogframes;

// Starts the plan again from its first step, for another run of the level.
void plannerrestart() { current = held = grip = waited = pressed = 0; }

namespace {

int32_t standing() { return pstate == 0 && poffx == 0 && poffy == 0; }

void readplan() {
  const int32_t file = ReadFile("replay.plan");
  while (file && !Eof(file) && steps < kMaxSteps) {
    String line = Trim(ReadLine(file));
    const int32_t hash = Instr(line, "#");
    if (hash) line = Trim(Left(line, hash - 1));
    if (Len(line) == 0) continue;
    const int32_t space = Instr(line + " ", " ");
    const String verb = Left(line, space - 1);
    for (int32_t v = 0; v < static_cast<int32_t>(sizeof kVerbs / sizeof kVerbs[0]); ++v) {
      if (verb == kVerbs[v]) plan[steps++] = {v, Mid(line, space + 1).toInt()};
    }
  }
  if (file) CloseFile(file);
  out = WriteFile("replay.txt");
}

// The slots to hold this frame for the current step; moves on when the step is done.
int32_t decide() {
  while (current < steps) {
    const Step& s = plan[current];
    switch (s.verb) {
      case 0: case 1:
        if (!(standing() && pcellx == s.value)) return 1 << (s.verb == 0 ? 3 : 4);
        break;
      case 2: case 3:
        if (!(standing() && pcelly == s.value)) return 1 << (s.verb == 2 ? 1 : 2);
        break;
      case 4: case 5:
        if (!pressed) {
          pressed = 1;
          return 1 << (s.verb == 4 ? 5 : 7);
        }
        if (!standing()) return 0;
        break;
      case 6: grip = 1; break;
      case 7: grip = 0; break;
      case 8:
        if (!pressed) {
          pressed = 1;
          return 1 << s.value;
        }
        break;
      case 9:
        if (waited++ < s.value) return 0;
        break;
      case 10:
        if (!standing()) return 0;
        break;
      case 11:
        if (!pressed) {
          pressed = 1;
          return 1 << kEscape;
        }
        break;
      case 12:
        if (currentlevel != s.value || levelresult != 0) return 0;
        break;
      case 13:
        if (levelresult == 0) return 0;
        break;
      case 15: plannerlogframes = s.value; break;
      default:
        if (out) WriteLine(out, String(MilliSecs()) + " quit");
        End();
        break;
    }
    ++current;
    pressed = waited = 0;
  }
  return 0;
}

void frame() {
  const int32_t now = MilliSecs();
  if (now == lastframe) return;
  lastframe = now;
  frames += 1;
  if (plannerlogframes) DebugLog(String(frames));
  // A script's events at time 0 may come before the display opens, so plans start later.
  if (now > 0) {
    int32_t wanted = decide();
    if (grip) wanted |= 1 << 6;
    for (int32_t slot = 1; slot <= kEscape; ++slot) {
      const int32_t bit = 1 << slot;
      if ((wanted & bit) == (held & bit) || !out) continue;
      WriteLine(out, String(now) + " key " + ((wanted & bit) ? "down " : "up ") + kCodes[slot]);
    }
    held = wanted;
  }
}

}  // namespace

void setupcontrols() {
  key.dim(10, 10);
  keylabel.dim(10);
  useskey.dim(10);
  for (int32_t slot = 1; slot <= 7; ++slot) key(slot, 1) = kCodes[slot];
  for (int32_t slot = 1; slot <= 10; ++slot) useskey(slot) = 1;
  readplan();
}

int32_t hitbutton(int32_t code, float) {
  frame();
  for (int32_t slot = 1; slot <= 7; ++slot) {
    if (code == kCodes[slot] && code) return (held >> slot) & 1;
  }
  return 0;
}

int32_t down(int32_t slot) { return hitbutton(key(slot, 1), 0.5f); }

void whichset(int32_t) {}

int32_t escapedown() {
  frame();
  return (held >> kEscape) & 1;
}

int32_t anyslotdown() {
  frame();
  return (held & 0xfe) != 0;
}
