// The backend tables and the choice among their rows.
//   video:         KORVO_VIDEO=sdl|headless, else SDL when a display exists; when the chosen
//                  one cannot start, the next row that can
//   message boxes: the video backend's (per row; none means standard error)
//   joysticks:     the video backend's (per row; none means the virtual joysticks)
//   sound device:  the first row (the engine's device output opens it; KORVO_AUDIO chooses
//                  between device, no sound and a WAV file)
//   clock:         KORVO_CLOCK=real|virtual, else virtual with the headless video backend
// A value that names nothing is reported on standard error with the accepted ones, once per
// process, and the choice goes on as if the variable were unset.
#include "startup/backend_tables.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>

#include "backend/audio_device.h"
#include "backend/clock.h"
#include "backend/headless/headless_video.h"
#include "backend/joystick_source.h"
#include "backend/message_box.h"
#include "backend/sdl/sdl_audio_device.h"
#include "backend/sdl/sdl_joysticks.h"
#include "backend/sdl/sdl_message_box.h"
#include "backend/sdl/sdl_video.h"
#include "backend/video_backend.h"

namespace korvo {
namespace {

using namespace platform;

struct VideoRow {
  const char* name;
  std::unique_ptr<VideoBackend> (*make)();  // null when it cannot start here
};

struct MessageBoxRow {
  const char* video;
  BoxAnswer (*show)(const MessageBoxRequest& request);
};

struct JoystickRow {
  const char* video;
  JoystickSource& (*source)();
};

struct AudioDeviceRow {
  const char* name;
  AudioDeviceOpener open;
};

struct ClockRow {
  const char* name;
  Clock& (*clock)();
};

std::unique_ptr<VideoBackend> makeHeadlessVideo() { return std::make_unique<HeadlessVideo>(); }

Clock& realClock() {
  static RealClock clock;
  return clock;
}

Clock& virtualClock() {
  static VirtualClock clock;
  return clock;
}

constexpr VideoRow kVideo[] = {
    {"sdl", &makeSdlVideo},
    {"headless", &makeHeadlessVideo},
};

constexpr MessageBoxRow kMessageBoxes[] = {
    {"sdl", &showSdlMessageBox},
    {"headless", nullptr},
};

constexpr JoystickRow kJoysticks[] = {
    {"sdl", &sdlJoysticks},
    {"headless", nullptr},
};

constexpr AudioDeviceRow kAudioDevices[] = {
    {"sdl", &openSdlAudioDevice},
};

constexpr ClockRow kClocks[] = {
    {"real", &realClock},
    {"virtual", &virtualClock},
};

// The row named name, or null.
template <typename Row>
const Row* findRow(std::span<const Row> table, const char* name, const char* Row::*key) {
  for (const Row& row : table) {
    if (name && std::strcmp(row.*key, name) == 0) return &row;
  }
  return nullptr;
}

const char* environment(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

bool displayAvailable() { return environment("DISPLAY") || environment("WAYLAND_DISPLAY"); }

// The video backend asked for: KORVO_VIDEO when it names one, else by the display.
const char* chosenVideo() {
  const char* asked = environment("KORVO_VIDEO");
  if (findRow<VideoRow>(kVideo, asked, &VideoRow::name)) return asked;
  return displayAvailable() ? "sdl" : "headless";
}

// Installs the message boxes and joysticks of video, unless they are in already: what a test
// put over them stays until another video backend comes.
void installCompanions(const char* video) {
  static const char* installed = nullptr;
  if (installed && std::strcmp(installed, video) == 0) return;
  installed = video;
  const MessageBoxRow* boxes = findRow<MessageBoxRow>(kMessageBoxes, video, &MessageBoxRow::video);
  setMessageBoxPresenter(boxes && boxes->show ? MessageBoxPresenter(boxes->show) : nullptr);
  const JoystickRow* joysticks = findRow<JoystickRow>(kJoysticks, video, &JoystickRow::video);
  setJoystickSource(joysticks && joysticks->source ? &joysticks->source() : nullptr);
}

std::unique_ptr<VideoBackend> makeChosenVideo() {
  const char* chosen = chosenVideo();
  std::unique_ptr<VideoBackend> made;
  for (const VideoRow& row : kVideo) {
    if (std::strcmp(row.name, chosen) != 0) continue;
    made = row.make();
    if (!made) std::fprintf(stderr, "Video backend %s cannot start; trying the others\n", row.name);
  }
  for (const VideoRow& row : kVideo) {
    if (made) break;
    if (std::strcmp(row.name, chosen) != 0) made = row.make();
  }
  if (made) installCompanions(made->name());
  return made;
}

Clock& chosenClock() {
  if (const ClockRow* row = findRow<ClockRow>(kClocks, environment("KORVO_CLOCK"), &ClockRow::name))
    return row->clock();
  return std::strcmp(chosenVideo(), "headless") == 0 ? virtualClock() : realClock();
}

// "a, b, c": the names of a table's rows.
template <typename Row>
std::string rowNames(std::span<const Row> table, const char* Row::*key) {
  std::string names;
  for (const Row& row : table) names += (names.empty() ? "" : ", ") + std::string(row.*key);
  return names;
}

void reportUnaccepted(const char* variable, const char* value, const std::string& accepted) {
  std::fprintf(stderr, "%s: \"%s\" is not accepted (accepted: %s); ignored\n", variable, value, accepted.c_str());
}

void reportUnacceptedChoices() {
  const char* video = environment("KORVO_VIDEO");
  if (video && !findRow<VideoRow>(kVideo, video, &VideoRow::name))
    reportUnaccepted("KORVO_VIDEO", video, rowNames<VideoRow>(kVideo, &VideoRow::name));
  const char* clock = environment("KORVO_CLOCK");
  if (clock && !findRow<ClockRow>(kClocks, clock, &ClockRow::name))
    reportUnaccepted("KORVO_CLOCK", clock, rowNames<ClockRow>(kClocks, &ClockRow::name));
  const char* audio = environment("KORVO_AUDIO");
  if (audio && chosenAudioOutput().kind == AudioOutputKind::kAuto)
    reportUnaccepted("KORVO_AUDIO", audio,
                     "none, " + rowNames<AudioDeviceRow>(kAudioDevices, &AudioDeviceRow::name) + ", wav:PATH");
  const char* refresh = environment("KORVO_REFRESH");
  if (refresh && !parseRefreshRate(refresh))
    reportUnaccepted("KORVO_REFRESH", refresh, "whole hertz from 1 to " + std::to_string(kMaxRefreshRate));
}

}  // namespace

bool inputScriptUsable() {
  const InputScript script = inputScriptFromEnvironment();
  if (script.error.empty()) return true;
  std::fprintf(stderr, "KORVO_INPUT %s: %s\n", environment("KORVO_INPUT"), script.error.c_str());
  return false;
}

void installBackends() {
  static const bool kInstalled = [] {
    reportUnacceptedChoices();
    setVideoBackendMaker(&makeChosenVideo);
    installCompanions(chosenVideo());
    setAudioDeviceOpener(kAudioDevices[0].open);
    setChosenClock(&chosenClock());
    return true;
  }();
  (void)kInstalled;
}

}  // namespace korvo
