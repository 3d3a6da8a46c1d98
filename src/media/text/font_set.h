// FontSet: the fonts of the open display behind their handles, the default font, and the
// font files the program added by path. Everything goes when the display closes; handles
// are never reused within a run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/handle_registry.h"
#include "media/text/bitmap_font.h"

namespace korvo::platform {

class FontSet {
 public:
  // The default font's face and height.
  static constexpr const char* kDefaultFace = "courier";
  static constexpr std::int32_t kDefaultHeight = 12;

  // Starts the fonts of a display of format whose lines are lineWidth pixels wide and makes
  // the default font (which may be missing on a machine without fonts).
  void openDisplay(const PixelFormat& format, std::int32_t lineWidth);
  // Frees every font and forgets the added font files.
  void closeDisplay();

  BitmapFont* defaultFont() const { return default_.get(); }
  // A new font, or 0. A name containing "." names a font file, which is added (once, by its
  // full path) and then found under its file name.
  std::int32_t load(std::string_view name, std::int32_t height, FontStyle style);
  // The font of a handle or null; require raises "Font does not exist" in debug mode.
  BitmapFont* find(std::int32_t handle) const { return fonts_.find(handle); }
  BitmapFont* require(std::int32_t handle) const { return fonts_.require(handle, "Font does not exist"); }
  void free(std::int32_t handle) { fonts_.erase(handle); }
  // True for the default font or a live one.
  bool live(const BitmapFont* font) const;

 private:
  std::unique_ptr<BitmapFont> make(std::string_view face, std::int32_t height, FontStyle style) const;

  PixelFormat format_ = PixelFormat::xrgb8888();
  std::int32_t lineWidth_ = 0;
  std::unique_ptr<BitmapFont> default_;
  HandleRegistry<BitmapFont> fonts_;
  std::vector<std::string> addedFiles_;
};

// The running host's fonts, a record it keeps for the run. Only a running host opens a
// display, so one must be running.
FontSet& fonts();

}  // namespace korvo::platform
