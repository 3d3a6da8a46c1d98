// FontSet: loading by face name or file, the default font, and the added files.
#include "media/text/font_set.h"

#include <algorithm>
#include <filesystem>

#include "backend/path_resolver.h"
#include "media/text/font_finder.h"
#include "host/host_record.h"

namespace korvo::platform {

void FontSet::openDisplay(const PixelFormat& format, std::int32_t lineWidth) {
  closeDisplay();
  format_ = format;
  lineWidth_ = lineWidth;
  default_ = make(kDefaultFace, kDefaultHeight, {});
}

void FontSet::closeDisplay() {
  fonts_.clear();
  default_.reset();
  for (const std::string& file : addedFiles_) FontFinder::instance().removeFile(file);
  addedFiles_.clear();
}

std::unique_ptr<BitmapFont> FontSet::make(std::string_view face, std::int32_t height, FontStyle style) const {
  auto file = FontFinder::instance().find(face, style.bold, style.italic);
  if (!file) return nullptr;
  auto raster = RasterFace::open(*file, height, style);
  return raster ? BitmapFont::create(*raster, format_, lineWidth_) : nullptr;
}

std::int32_t FontSet::load(std::string_view name, std::int32_t height, FontStyle style) {
  // A height of 0 asks for the default size; a negative one for that character height,
  // which we treat as a cell height of the same size.
  if (height == 0) height = kDefaultHeight;
  // No glyph sheet holds a cell taller than the largest canvas.
  if (height < -Surface::kMaxSide || height > Surface::kMaxSide) return 0;
  if (height < 0) height = -height;
  std::string face(name);
  if (name.find('.') != std::string_view::npos) {
    std::error_code error;
    const std::string path = std::filesystem::absolute(resolvePath(name), error).lexically_normal().string();
    if (!error && std::find(addedFiles_.begin(), addedFiles_.end(), path) == addedFiles_.end() &&
        FontFinder::instance().addFile(path)) {
      addedFiles_.push_back(path);
    }
    face = FontFinder::faceNameOfFile(name);
  }
  auto font = make(face, height, style);
  return font ? fonts_.add(std::move(font)) : 0;
}

bool FontSet::live(const BitmapFont* font) const {
  if (!font) return false;
  if (font == default_.get()) return true;
  return std::any_of(fonts_.begin(), fonts_.end(), [font](const auto& entry) { return entry.second.get() == font; });
}

FontSet& fonts() { return *RecordOf<FontSet>::find(); }

}  // namespace korvo::platform
