#include "sprite_text.h"

#include <sstream>
#include <stdexcept>
#include <vector>

namespace tobrix::gamedata {

SpriteSet SpriteSet::parse(std::string_view text) {
  SpriteSet set;
  std::map<char, Argb> palette{{'.', kMagenta}};
  std::istringstream in{std::string(text)};
  std::string line, name;
  std::vector<std::string> rows;
  int number = 0;
  auto fail = [&](const std::string& what) {
    throw std::runtime_error("sprite text line " + std::to_string(number) + ": " + what);
  };
  auto finish = [&]() {
    if (name.empty()) return;
    Image image(static_cast<int>(rows.empty() ? 0 : rows[0].size()), static_cast<int>(rows.size()));
    for (std::size_t y = 0; y < rows.size(); ++y) {
      if (rows[y].size() != rows[0].size()) fail("rows of sprite " + name + " differ in length");
      for (std::size_t x = 0; x < rows[y].size(); ++x) {
        const auto c = palette.find(rows[y][x]);
        if (c == palette.end()) fail(std::string("no colour for '") + rows[y][x] + "' in sprite " + name);
        image.set(static_cast<int>(x), static_cast<int>(y), c->second);
      }
    }
    set.sprites_[name] = image;
    name.clear();
    rows.clear();
  };
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) {
      finish();
      continue;
    }
    if (line[0] == '#') continue;
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (!name.empty()) {
      rows.push_back(line);
    } else if (word == "colour") {
      std::string key, hex;
      words >> key >> hex;
      if (key.size() != 1 || hex.size() != 6) fail("colour needs a character and six hex digits");
      const unsigned long v = std::stoul(hex, nullptr, 16);
      palette[key[0]] = rgb(static_cast<int>(v >> 16), static_cast<int>(v >> 8), static_cast<int>(v));
    } else if (word == "sprite") {
      words >> name;
    } else {
      fail("expected colour or sprite");
    }
  }
  finish();
  return set;
}

const Image& SpriteSet::get(const std::string& name) const {
  const auto it = sprites_.find(name);
  if (it == sprites_.end()) throw std::runtime_error("no sprite named " + name);
  return it->second;
}

Image SpriteSet::recoloured(const std::string& name, const std::map<Argb, Argb>& swaps) const {
  Image image = get(name);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const auto it = swaps.find(image.at(x, y));
      if (it != swaps.end()) image.set(x, y, it->second);
    }
  }
  return image;
}

}  // namespace tobrix::gamedata
