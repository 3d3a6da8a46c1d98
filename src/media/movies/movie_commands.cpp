// The live movies and their commands.
#include "media/movies/movie_commands.h"

#include <cctype>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/clock.h"
#include "backend/path_resolver.h"
#include "base/handle_registry.h"
#include "base/kv_ex.h"
#include "host/host_record.h"
#include "host/movie_sound.h"
#include "host/runtime_host.h"
#include "media/graphics/graphics_state.h"
#include "media/movies/movie.h"

namespace korvo::platform {
namespace {

constexpr std::string_view kFileScheme = "file://";

// A movie of the display, with the canvas of its display that holds its frame, and its sound
// track (0 for none), which starts with the pictures' clock.
struct DisplayMovie {
  DisplayMovie(GraphicsSystem& display, std::int32_t canvas, std::unique_ptr<MovieDecoder> decoder,
               const std::string& path)
      : owner(display),
        frameCanvas(canvas),
        movie(std::move(decoder), *display.canvas(canvas), clock().now()),
        soundTrack(startMovieSound(path)) {}
  ~DisplayMovie() {
    stopMovieSound(soundTrack);
    owner.freeCanvas(frameCanvas);
  }
  DisplayMovie(const DisplayMovie&) = delete;
  DisplayMovie& operator=(const DisplayMovie&) = delete;

  GraphicsSystem& owner;
  std::int32_t frameCanvas;
  Movie movie;
  std::int32_t soundTrack;
};

// The run's movies, kept by the host; a movie command runs on one.
HandleRegistry<DisplayMovie>& movies() { return *RecordOf<HandleRegistry<DisplayMovie>>::find(); }

// The local file a movie name stands for: a leading "file://" is dropped, and a name in any
// other scheme ("http://", "rtsp:\\" ...) is a network name, which is refused.
std::optional<std::string> localName(std::string_view name) {
  if (name.substr(0, kFileScheme.size()) == kFileScheme) return std::string(name.substr(kFileScheme.size()));
  std::size_t letters = 0;
  while (letters < name.size() && std::isalpha(static_cast<unsigned char>(name[letters]))) ++letters;
  const std::string_view rest = name.substr(letters);
  const bool network = letters > 1 && (rest.substr(0, 3) == "://" || rest.substr(0, 3) == ":\\\\");
  if (network) return std::nullopt;
  return std::string(name);
}

}  // namespace

const Movie* findMovie(std::int32_t handle) {
  const DisplayMovie* m = movies().find(handle);
  return m ? &m->movie : nullptr;
}

void closeMoviesOf(GraphicsSystem& display) {
  std::vector<std::int32_t> closing;
  for (const auto& [handle, movie] : movies())
    if (&movie->owner == &display) closing.push_back(handle);
  for (std::int32_t handle : closing) movies().erase(handle);
}

}  // namespace korvo::platform

namespace korvo::cmd {

using platform::findMovie;
using platform::movies;

std::int32_t OpenMovie(KvString* file) {
  core::StringArg name(file);
  platform::GraphicsSystem* display = platform::graphicsState().system;
  const std::optional<std::string> local = platform::localName(name.view());
  if (!display || !local) return 0;
  const std::string path = platform::resolvePath(*local);
  auto decoder = platform::MovieDecoder::openFile(path);
  if (!decoder || !platform::MovieDecoder::converts(display->format())) return 0;
  const std::int32_t canvas = display->createCanvas(decoder->width(), decoder->height(), 0);
  if (!canvas) return 0;
  return movies().add(std::make_unique<platform::DisplayMovie>(*display, canvas, std::move(decoder), path));
}

std::int32_t DrawMovie(std::int32_t movie, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
  platform::DisplayMovie* m = movies().find(movie);
  platform::Canvas* target = platform::currentBuffer();
  const bool playing = m && target && m->movie.draw(*target, x, y, w, h, platform::clock().now());
  if (platform::RuntimeHost* host = platform::RuntimeHost::current(); host && !host->idle()) endQuietly();
  return playing ? 1 : 0;
}

std::int32_t MovieWidth(std::int32_t movie) {
  const platform::Movie* m = findMovie(movie);
  return m ? m->width() : 0;
}

std::int32_t MovieHeight(std::int32_t movie) {
  const platform::Movie* m = findMovie(movie);
  return m ? m->height() : 0;
}

std::int32_t MoviePlaying(std::int32_t movie) {
  const platform::Movie* m = findMovie(movie);
  return m && m->playing() ? 1 : 0;
}

void CloseMovie(std::int32_t movie) { movies().erase(movie); }

}  // namespace korvo::cmd
