// The movie commands: opening movies, drawing their current frame into the current buffer,
// their size and state, closing them. Handles are never reused; one that is not a live movie
// gives 0 and changes nothing.
#pragma once

#include <cstdint>

#include "core/kv_string.h"
#include "media/graphics/graphics_system.h"

namespace korvo::cmd {

std::int32_t OpenMovie(KvString* file);
std::int32_t DrawMovie(std::int32_t movie, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);
std::int32_t MovieWidth(std::int32_t movie);
std::int32_t MovieHeight(std::int32_t movie);
std::int32_t MoviePlaying(std::int32_t movie);
void CloseMovie(std::int32_t movie);

}  // namespace korvo::cmd

namespace korvo::platform {

class Movie;

// The live movie of a handle, or null.
const Movie* findMovie(std::int32_t handle);

// Closes every movie of a display (its close handler).
void closeMoviesOf(GraphicsSystem& display);

}  // namespace korvo::platform
