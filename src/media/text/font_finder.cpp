// FontFinder over fontconfig; added files are checked with FreeType before they count.
#include "media/text/font_finder.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>

#include "media/text/freetype_library.h"

namespace korvo::platform {
namespace {

std::string lowerCase(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
  return out;
}

// What a face file says about its own style.
void readStyle(const std::string& path, int index, FontFile& file) {
  FT_Face face = nullptr;
  if (FT_New_Face(freetype(), path.c_str(), index, &face) != 0) return;
  file.bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  file.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  FT_Done_Face(face);
}

}  // namespace

FontFinder& FontFinder::instance() {
  static FontFinder finder;
  return finder;
}

std::string FontFinder::faceNameOfFile(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  return std::string(name.substr(0, name.find('.')));
}

bool FontFinder::addFile(const std::string& fullPath) {
  FT_Face face = nullptr;
  if (FT_New_Face(freetype(), fullPath.c_str(), 0, &face) != 0) return false;
  FT_Done_Face(face);
  added_[lowerCase(faceNameOfFile(fullPath))] = fullPath;
  return true;
}

void FontFinder::removeFile(const std::string& fullPath) {
  std::erase_if(added_, [&](const auto& entry) { return entry.second == fullPath; });
}

std::optional<FontFile> FontFinder::find(std::string_view face, bool bold, bool italic) const {
  FontFile file;
  if (auto it = added_.find(lowerCase(face)); it != added_.end()) {
    file.path = it->second;
    readStyle(file.path, 0, file);
    return file;
  }
  if (!FcInit()) return std::nullopt;
  FcPattern* pattern = FcPatternCreate();
  const std::string family(face);
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return std::nullopt;
  FcChar8* path = nullptr;
  int index = 0;
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  const bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
  FcPatternGetInteger(match, FC_INDEX, 0, &index);
  FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(match, FC_SLANT, 0, &slant);
  if (found) {
    file.path = reinterpret_cast<const char*>(path);
    file.index = index;
    file.bold = weight >= FC_WEIGHT_DEMIBOLD;
    file.italic = slant != FC_SLANT_ROMAN;
  }
  FcPatternDestroy(match);
  if (!found) return std::nullopt;
  return file;
}

}  // namespace korvo::platform
