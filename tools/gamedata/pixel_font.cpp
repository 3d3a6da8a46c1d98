#include "pixel_font.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <stdexcept>

namespace tobrix::gamedata {
namespace {

constexpr int kUnit = 64;  // font units per grid square
constexpr char kFirst = ' ', kLast = '~';

class Bytes {
 public:
  void u8(std::uint32_t v) { out.push_back(static_cast<std::uint8_t>(v)); }
  void u16(std::uint32_t v) { u8(v >> 8), u8(v); }
  void s16(int v) { u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))); }
  void u32(std::uint32_t v) { u16(v >> 16), u16(v & 0xFFFF); }
  void tag(const char* t) { out.insert(out.end(), t, t + 4); }
  void pad4() {
    while (out.size() % 4) u8(0);
  }
  std::vector<std::uint8_t> out;
};

std::uint32_t checksum(const std::vector<std::uint8_t>& data) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < data.size(); i += 4) {
    std::uint32_t word = 0;
    for (std::size_t j = 0; j < 4; ++j) word = (word << 8) | (i + j < data.size() ? data[i + j] : 0);
    sum += word;
  }
  return sum;
}

using Contour = std::vector<std::pair<int, int>>;  // font units, y up, clockwise round ink

// The glyph's ink as closed outlines: the boundary between ink and paper squares, each
// shape one contour (holes run the other way), so that shared edges stay shared when a
// renderer snaps outlines to the pixel grid.
std::vector<Contour> inkOutlines(const PixelGlyph& g, int capHeight) {
  auto ink = [&](int x, int row) {
    return row >= 0 && row < static_cast<int>(g.rows.size()) && x >= 0 && x < g.width &&
           g.rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(x)] == 'X';
  };
  // Directed edges between grid corners, ink on the right (y up: row r spans
  // capHeight - r - 1 .. capHeight - r).
  std::multimap<std::pair<int, int>, std::pair<int, int>> edges;
  for (int row = 0; row < static_cast<int>(g.rows.size()); ++row) {
    const int y = capHeight - row - 1;
    for (int x = 0; x < g.width; ++x) {
      if (!ink(x, row)) continue;
      if (!ink(x, row - 1)) edges.insert({{x, y + 1}, {x + 1, y + 1}});
      if (!ink(x, row + 1)) edges.insert({{x + 1, y}, {x, y}});
      if (!ink(x - 1, row)) edges.insert({{x, y}, {x, y + 1}});
      if (!ink(x + 1, row)) edges.insert({{x + 1, y + 1}, {x + 1, y}});
    }
  }
  std::vector<Contour> contours;
  while (!edges.empty()) {
    Contour loop;
    auto it = edges.begin();
    const std::pair<int, int> start = it->first;
    std::pair<int, int> from = it->first, to = it->second, heading{to.first - from.first, to.second - from.second};
    edges.erase(it);
    loop.push_back(from);
    while (to != start) {
      loop.push_back(to);
      // Where two edges leave a corner (squares touching at a corner), turn right, which
      // keeps each touching square's outline apart.
      auto [first, last] = edges.equal_range(to);
      auto pick = first;
      for (auto e = first; e != last; ++e) {
        const std::pair<int, int> d{e->second.first - to.first, e->second.second - to.second};
        if (d.first == heading.second && d.second == -heading.first) pick = e;
      }
      from = to;
      to = pick->second;
      heading = {to.first - from.first, to.second - from.second};
      edges.erase(pick);
    }
    // Drop the corners where the outline runs straight on.
    Contour corners;
    for (std::size_t i = 0; i < loop.size(); ++i) {
      const auto& p = loop[(i + loop.size() - 1) % loop.size()];
      const auto& c = loop[i];
      const auto& n = loop[(i + 1) % loop.size()];
      const bool straight = (p.first == c.first && c.first == n.first) || (p.second == c.second && c.second == n.second);
      if (!straight) corners.emplace_back(c.first * kUnit, c.second * kUnit);
    }
    contours.push_back(corners);
  }
  return contours;
}

struct GlyphData {
  std::vector<std::uint8_t> bytes;
  int advance = 0, xMin = 0, yMin = 0, xMax = 0, yMax = 0, points = 0, contours = 0;
};

GlyphData encodeGlyph(const std::vector<Contour>& outlines, int advance) {
  GlyphData g;
  g.advance = advance;
  if (outlines.empty()) return g;
  g.xMin = g.yMin = 1 << 30;
  g.xMax = g.yMax = -(1 << 30);
  for (const Contour& c : outlines) {
    for (const auto& [x, y] : c) {
      g.xMin = std::min(g.xMin, x), g.yMin = std::min(g.yMin, y);
      g.xMax = std::max(g.xMax, x), g.yMax = std::max(g.yMax, y);
    }
    g.points += static_cast<int>(c.size());
  }
  g.contours = static_cast<int>(outlines.size());
  Bytes b;
  b.s16(g.contours);
  b.s16(g.xMin), b.s16(g.yMin), b.s16(g.xMax), b.s16(g.yMax);
  int end = -1;
  for (const Contour& c : outlines) b.u16(static_cast<std::uint32_t>(end += static_cast<int>(c.size())));
  b.u16(0);  // no instructions
  for (int p = 0; p < g.points; ++p) b.u8(1);  // on-curve, two-byte deltas
  int last = 0;
  for (const Contour& c : outlines) {
    for (const auto& p : c) b.s16(p.first - last), last = p.first;
  }
  last = 0;
  for (const Contour& c : outlines) {
    for (const auto& p : c) b.s16(p.second - last), last = p.second;
  }
  b.pad4();
  g.bytes = b.out;
  return g;
}

std::vector<std::uint8_t> nameTable(const std::string& family) {
  const std::vector<std::pair<int, std::string>> names = {
      {1, family}, {2, "Regular"}, {3, family + " Regular"}, {4, family}, {6, "EditUndoBrk"}};
  Bytes strings;
  Bytes b;
  b.u16(0);
  b.u16(static_cast<std::uint32_t>(names.size()));
  b.u16(static_cast<std::uint32_t>(6 + names.size() * 12));
  for (const auto& [id, text] : names) {
    b.u16(3), b.u16(1), b.u16(0x409), b.u16(static_cast<std::uint32_t>(id));
    b.u16(static_cast<std::uint32_t>(text.size() * 2));
    b.u16(static_cast<std::uint32_t>(strings.out.size()));
    for (char c : text) strings.u16(static_cast<unsigned char>(c));
  }
  b.out.insert(b.out.end(), strings.out.begin(), strings.out.end());
  return b.out;
}

}  // namespace

PixelFontDesign parsePixelFont(std::string_view text) {
  PixelFontDesign design;
  std::istringstream in{std::string(text)};
  std::string line;
  PixelGlyph* current = nullptr;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.empty()) {
      current = nullptr;
      continue;
    }
    if (current) {
      if (static_cast<int>(line.size()) != current->width && !current->rows.empty()) {
        throw std::runtime_error("font line " + std::to_string(number) + ": ragged glyph row");
      }
      current->width = static_cast<int>(line.size());
      current->rows.push_back(line);
      if (static_cast<int>(current->rows.size()) > design.capHeight + design.descent) {
        throw std::runtime_error("font line " + std::to_string(number) + ": glyph too tall");
      }
    } else if (line[0] == '#') {
      continue;
    } else if (line.rfind("ascent ", 0) == 0) {
      design.ascent = std::stoi(line.substr(7));
    } else if (line.rfind("descent ", 0) == 0) {
      design.descent = std::stoi(line.substr(8));
    } else if (line.rfind("glyph ", 0) == 0) {
      const std::string name = line.substr(6);
      const char c = name == "space" ? ' ' : name.size() == 1 ? name[0] : '\0';
      if (c < kFirst || c > kLast) throw std::runtime_error("font line " + std::to_string(number) + ": bad glyph name");
      current = &design.glyphs[c];
    } else {
      throw std::runtime_error("font line " + std::to_string(number) + ": expected a glyph");
    }
  }
  for (char c = kFirst; c <= kLast; ++c) {
    if (!design.glyphs.count(c)) throw std::runtime_error(std::string("font has no glyph '") + c + "'");
  }
  return design;
}

std::vector<std::uint8_t> buildTrueType(const PixelFontDesign& design, const std::string& family) {
  const int ascender = design.ascent * kUnit, descender = -design.descent * kUnit;
  const int unitsPerEm = ascender - descender;
  // Glyph 0 is the missing-character box; then the characters in code order.
  std::vector<GlyphData> glyphs;
  glyphs.push_back(encodeGlyph({{{64, 0}, {64, 576}, {384, 576}, {384, 0}}, {{128, 64}, {320, 64}, {320, 512}, {128, 512}}}, 512));
  for (char c = kFirst; c <= kLast; ++c) {
    const PixelGlyph& g = design.glyphs.at(c);
    glyphs.push_back(encodeGlyph(inkOutlines(g, design.capHeight), (g.width + 1) * kUnit));
  }
  Bytes glyf, loca, hmtx;
  int maxPoints = 0, maxContours = 0, advanceMax = 0, xMin = 0, yMin = 0, xMax = 0, yMax = 0, minRight = 1 << 30;
  for (const GlyphData& g : glyphs) {
    loca.u32(static_cast<std::uint32_t>(glyf.out.size()));
    glyf.out.insert(glyf.out.end(), g.bytes.begin(), g.bytes.end());
    hmtx.u16(static_cast<std::uint32_t>(g.advance));
    hmtx.s16(g.xMin);
    maxPoints = std::max(maxPoints, g.points), maxContours = std::max(maxContours, g.contours);
    advanceMax = std::max(advanceMax, g.advance);
    xMin = std::min(xMin, g.xMin), yMin = std::min(yMin, g.yMin);
    xMax = std::max(xMax, g.xMax), yMax = std::max(yMax, g.yMax);
    minRight = std::min(minRight, g.advance - g.xMax);
  }
  loca.u32(static_cast<std::uint32_t>(glyf.out.size()));
  const std::uint32_t count = static_cast<std::uint32_t>(glyphs.size());

  Bytes head;
  head.u32(0x00010000), head.u32(0x00010000), head.u32(0), head.u32(0x5F0F3CF5);
  head.u16(0x000B), head.u16(static_cast<std::uint32_t>(unitsPerEm));
  head.u32(0), head.u32(0), head.u32(0), head.u32(0);  // created and modified: fixed, so runs agree
  head.s16(xMin), head.s16(yMin), head.s16(xMax), head.s16(yMax);
  head.u16(0), head.u16(8), head.s16(2), head.s16(1), head.s16(0);

  Bytes hhea;
  hhea.u32(0x00010000), hhea.s16(ascender), hhea.s16(descender), hhea.s16(0);
  hhea.u16(static_cast<std::uint32_t>(advanceMax)), hhea.s16(0), hhea.s16(minRight), hhea.s16(xMax);
  hhea.s16(1), hhea.s16(0), hhea.s16(0);
  for (int i = 0; i < 4; ++i) hhea.s16(0);
  hhea.s16(0), hhea.u16(count);

  Bytes maxp;
  maxp.u32(0x00010000), maxp.u16(count), maxp.u16(static_cast<std::uint32_t>(maxPoints));
  maxp.u16(static_cast<std::uint32_t>(maxContours)), maxp.u16(0), maxp.u16(0), maxp.u16(2);
  for (int i = 0; i < 8; ++i) maxp.u16(0);

  Bytes os2;
  os2.u16(4), os2.s16(advanceMax * 3 / 4), os2.u16(400), os2.u16(5), os2.u16(0);
  for (int i = 0; i < 4; ++i) os2.s16(unitsPerEm / 2);  // sub- and superscript sizes
  for (int i = 0; i < 4; ++i) os2.s16(0);
  os2.s16(kUnit), os2.s16(4 * kUnit), os2.s16(0);
  for (int i = 0; i < 10; ++i) os2.u8(0);  // panose
  os2.u32(1), os2.u32(0), os2.u32(0), os2.u32(0);
  os2.tag("TBRX");
  os2.u16(0x40), os2.u16(static_cast<std::uint32_t>(kFirst)), os2.u16(static_cast<std::uint32_t>(kLast));
  os2.s16(ascender), os2.s16(descender), os2.s16(0);
  os2.u16(static_cast<std::uint32_t>(ascender)), os2.u16(static_cast<std::uint32_t>(-descender));
  os2.u32(1), os2.u32(0);
  os2.s16(7 * kUnit), os2.s16(design.capHeight * kUnit), os2.u16(0), os2.u16(' '), os2.u16(0);

  Bytes cmap;
  cmap.u16(0), cmap.u16(1), cmap.u16(3), cmap.u16(1), cmap.u32(12);
  cmap.u16(4), cmap.u16(32), cmap.u16(0);  // format 4, length, language
  cmap.u16(4), cmap.u16(4), cmap.u16(1), cmap.u16(0);
  cmap.u16(static_cast<std::uint32_t>(kLast)), cmap.u16(0xFFFF), cmap.u16(0);
  cmap.u16(static_cast<std::uint32_t>(kFirst)), cmap.u16(0xFFFF);
  cmap.s16(1 - kFirst), cmap.s16(1);
  cmap.u16(0), cmap.u16(0);

  Bytes post;
  post.u32(0x00030000), post.u32(0), post.s16(-2 * kUnit), post.s16(kUnit), post.u32(0);
  for (int i = 0; i < 4; ++i) post.u32(0);

  const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> tables = {
      {"OS/2", os2.out}, {"cmap", cmap.out}, {"glyf", glyf.out}, {"head", head.out}, {"hhea", hhea.out},
      {"hmtx", hmtx.out}, {"loca", loca.out}, {"maxp", maxp.out}, {"name", nameTable(family)}, {"post", post.out}};
  Bytes font;
  const std::uint32_t n = static_cast<std::uint32_t>(tables.size());
  font.u32(0x00010000), font.u16(n), font.u16(128), font.u16(3), font.u16(n * 16 - 128);
  std::uint32_t offset = 12 + n * 16;
  std::size_t headOffset = 0;
  for (const auto& [tag, data] : tables) {
    font.tag(tag);
    font.u32(checksum(data));
    font.u32(offset);
    font.u32(static_cast<std::uint32_t>(data.size()));
    if (std::string(tag) == "head") headOffset = offset;
    offset += static_cast<std::uint32_t>((data.size() + 3) / 4 * 4);
  }
  for (const auto& entry : tables) {
    font.out.insert(font.out.end(), entry.second.begin(), entry.second.end());
    font.pad4();
  }
  const std::uint32_t adjust = 0xB1B0AFBAu - checksum(font.out);
  for (int i = 0; i < 4; ++i) font.out[headOffset + 8 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(adjust >> (24 - 8 * i));
  return font.out;
}

}  // namespace tobrix::gamedata
