// Finding the file behind a face name: font files the program added by path come first
// (under the face name made from their file name), then fontconfig's best match.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace korvo::platform {

// A font file and the face inside it.
struct FontFile {
  std::string path;
  int index = 0;
  // What the face itself provides, so the rasteriser knows what to synthesise.
  bool bold = false;
  bool italic = false;
};

class FontFinder {
 public:
  // The process's finder.
  static FontFinder& instance();

  // The face name a font file is known by: its file name without directory and extension.
  static std::string faceNameOfFile(std::string_view path);

  // Registers a font file by its full path under its face name; false when FreeType cannot
  // open it as a font.
  bool addFile(const std::string& fullPath);
  // Forgets an added font file.
  void removeFile(const std::string& fullPath);

  // The file for a face name (compared without case) and style, or none.
  std::optional<FontFile> find(std::string_view face, bool bold, bool italic) const;

 private:
  FontFinder() = default;
  // Lower-case face name to full path.
  std::map<std::string, std::string> added_;
};

}  // namespace korvo::platform
