// The SDL backend on a real X server (Xvfb): a program draws, flips and saves its buffer,
// and a screenshot of the screen holds exactly that picture. Skips when Xvfb or
// ImageMagick's import is not installed.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "startup/runtime_interface.h"
#include "media/graphics/graphics_commands.h"
#include "media/graphics/graphics_state.h"
#include "host/system_commands.h"
#include "media/graphics/windowed_host.h"

extern char** environ;

// SDL's X11, D-Bus and GL drivers keep allocations for the life of the process; leaks of our
// own code are checked by the headless tests.
extern "C" const char* __lsan_default_options() { return "detect_leaks=0"; }

namespace korvo {
namespace {

namespace fs = std::filesystem;

// An RGB picture read from a file.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> rgb;  // 0x00RRGGBB, top row first
  std::uint32_t at(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};

bool onPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');)
    if (access((fs::path(dir) / program).c_str(), X_OK) == 0) return true;
  return false;
}

pid_t spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

// An X server of its own on a free display number; stopped at destruction.
class Xvfb {
 public:
  Xvfb(int width, int height) {
    int fds[2];
    if (pipe(fds) != 0) return;
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid_ = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp"});
    close(fds[1]);
    pollfd p{fds[0], POLLIN, 0};
    char buffer[16] = {};
    if (pid_ > 0 && poll(&p, 1, 10000) == 1 && read(fds[0], buffer, sizeof buffer - 1) > 0)
      display_ = ":" + std::string(buffer, std::strcspn(buffer, "\n"));
    close(fds[0]);
  }
  ~Xvfb() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

std::optional<Picture> readBmp24(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), {});
  if (b.size() < 54 || b[0] != 'B') return std::nullopt;
  auto le = [&](std::size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24; };
  Picture p{le(18), le(22), {}};
  const std::size_t row = (p.width * 3 + 3) & ~3;
  if (b.size() < 54 + row * p.height) return std::nullopt;
  p.rgb.resize(static_cast<std::size_t>(p.width) * p.height);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const std::uint8_t* px = &b[54 + (p.height - 1 - y) * row + 3 * x];
      p.rgb[static_cast<std::size_t>(y) * p.width + x] = px[2] << 16 | px[1] << 8 | px[0];
    }
  return p;
}

std::optional<Picture> screenshot(const fs::path& file) {
  fs::remove(file);
  const pid_t pid = spawn({"import", "-window", "root", "-depth", "8", "ppm:" + file.string()});
  int status = 0;
  if (pid <= 0 || waitpid(pid, &status, 0) != pid || status != 0) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  std::string magic;
  int max = 0;
  Picture p;
  in >> magic >> p.width >> p.height >> max;
  in.get();
  if (magic != "P6" || max != 255) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(p.width) * p.height * 3);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  for (std::size_t i = 0; i < bytes.size(); i += 3) p.rgb.push_back(bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2]);
  return p;
}

// True when the screen shows the picture somewhere, pixel for pixel.
bool contains(const Picture& screen, const Picture& picture) {
  for (int y = 0; y + picture.height <= screen.height; ++y)
    for (int x = 0; x + picture.width <= screen.width; ++x) {
      if (screen.at(x, y) != picture.at(0, 0)) continue;
      bool same = true;
      for (int py = 0; py < picture.height && same; ++py)
        for (int px = 0; px < picture.width && same; ++px) same = screen.at(x + px, y + py) == picture.at(px, py);
      if (same) return true;
    }
  return false;
}

const RuntimeModule kModules[] = {
    {"graphics", &createGraphicsModule, &destroyGraphicsModule, "graphics_create failed"},
};

// The picture scaled up by a whole factor, as nearest-pixel scaling shows it.
Picture enlarge(const Picture& p, int factor) {
  Picture big{p.width * factor, p.height * factor, {}};
  for (int y = 0; y < big.height; ++y)
    for (int x = 0; x < big.width; ++x) big.rgb.push_back(p.at(x / factor, y / factor));
  return big;
}

fs::path gSaved;
fs::path gShot;
std::string gBackend;
bool gShown = false;
std::int32_t gMode = 2;
int gFactor = 1;

void drawFlipSaveAndLook() {
  // A scaled window keeps the client area of the window before it.
  if (gMode == 3) cmd::Graphics(160 * gFactor, 120 * gFactor, 0, 2);
  cmd::Graphics(160, 120, 0, gMode);
  gBackend = platform::WindowedHost::of(*platform::RuntimeHost::current())->backend().name();
  platform::Canvas& back = platform::GraphicsSystem::current()->back();
  // Quadrants of four colours and a distinct corner, so the picture is found unambiguously.
  const std::uint32_t colours[] = {0xFFE02020, 0xFF20E020, 0xFF2020E0, 0xFFF0F0F0};
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) back.setPixelFast(x, y, colours[(y >= 60) * 2 + (x >= 80)]);
  back.setPixelFast(0, 0, 0xFF123456);
  ASSERT_EQ(cmd::SaveBuffer(cmd::BackBuffer(), core::newString(gSaved.string())), 1);
  auto saved = readBmp24(gSaved);
  ASSERT_TRUE(saved);
  saved = enlarge(*saved, gFactor);
  // The window needs a moment to be mapped; present until the screen shows the picture.
  for (int attempt = 0; attempt < 50 && !gShown; ++attempt) {
    cmd::Flip(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (auto screen = screenshot(gShot)) gShown = contains(*screen, *saved);
  }
}

// Where xwininfo finds the top of the named window, if it finds it.
std::optional<int> windowTop(const std::string& name) {
  FILE* out = popen(("xwininfo -name '" + name + "' 2>/dev/null").c_str(), "r");
  if (!out) return std::nullopt;
  std::optional<int> top;
  char line[256];
  while (std::fgets(line, sizeof line, out)) {
    int y = 0;
    if (std::sscanf(line, " Absolute upper-left Y: %d", &y) == 1) top = y;
  }
  pclose(out);
  return top;
}

int gTop = -1000;

// A window taller than the screen: centred, but with its top on the screen so that it can
// still be moved and closed.
void openTallWindow() {
  cmd::AppTitle(core::newString("korvo tall window"), core::newString(""));
  cmd::Graphics(160, 400, 0, 2);
  gBackend = platform::WindowedHost::of(*platform::RuntimeHost::current())->backend().name();
  for (int attempt = 0; attempt < 20 && gTop == -1000; ++attempt) {
    cmd::Flip(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (auto top = windowTop("korvo tall window")) gTop = *top;
  }
}

// Runs the program on a fresh X server twice the size of what it shows.
void runOnXvfb(std::int32_t mode, int factor, void (*program)() = &drawFlipSaveAndLook) {
  if (!onPath("Xvfb") || !onPath("import")) GTEST_SKIP() << "Xvfb or ImageMagick's import is not installed";
  gMode = mode;
  gFactor = factor;
  gShown = false;
  Xvfb server(320 * factor, 240 * factor);
  if (server.display().empty()) GTEST_SKIP() << "Xvfb did not start";
  const fs::path dir = fs::temp_directory_path() / ("korvo_sdl_" + std::to_string(getpid()));
  fs::create_directories(dir);
  gSaved = dir / "saved.bmp";
  gShot = dir / "screen.ppm";
  setenv("DISPLAY", server.display().c_str(), 1);
  setenv("KORVO_VIDEO", "sdl", 1);
  const char* result = runOnModules(program, "", nullptr, kModules);
  setenv("KORVO_VIDEO", "headless", 1);
  EXPECT_EQ(result, nullptr) << result;
  EXPECT_EQ(gBackend, "sdl");
  if (program == &drawFlipSaveAndLook) {
    EXPECT_TRUE(gShown) << "the screen never showed the saved picture";
  }
  fs::remove_all(dir);
}

TEST(SdlWindow, ShowsExactlyWhatWasFlippedAndSaved) { runOnXvfb(2, 1); }

TEST(SdlWindow, AWindowTallerThanTheScreenKeepsItsTopOnIt) {
  if (!onPath("xwininfo")) GTEST_SKIP() << "xwininfo is not installed";
  gTop = -1000;
  runOnXvfb(2, 1, &openTallWindow);
  EXPECT_EQ(gTop, 0);
}

// A 160 × 120 display in a scaled window of 320 × 240 is shown twice as large.
TEST(SdlWindow, ScaledWindowStretchesTheDisplayOverItsClientArea) { runOnXvfb(3, 2); }

}  // namespace
}  // namespace korvo
