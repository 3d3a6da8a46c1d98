#include "pixel_font.h"

#include <algorithm>
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

struct Rect {
  int x0, y0, x1, y1;  // font units, y up
};

// The glyph's ink as rectangles: runs of a row, merged downwards while the same run repeats.
std::vector<Rect> inkRects(const PixelGlyph& g, int capHeight) {
  std::vector<Rect> rects;
  std::vector<std::vector<bool>> used(g.rows.size(), std::vector<bool>(static_cast<std::size_t>(g.width), false));
  for (std::size_t r = 0; r < g.rows.size(); ++r) {
    for (int x = 0; x < g.width; ++x) {
      if (g.rows[r][static_cast<std::size_t>(x)] != 'X' || used[r][static_cast<std::size_t>(x)]) continue;
      int end = x;
      while (end < g.width && g.rows[r][static_cast<std::size_t>(end)] == 'X' && !used[r][static_cast<std::size_t>(end)]) ++end;
      auto sameRun = [&](std::size_t row) {
        if (row >= g.rows.size()) return false;
        for (int i = x; i < end; ++i) {
          if (g.rows[row][static_cast<std::size_t>(i)] != 'X' || used[row][static_cast<std::size_t>(i)]) return false;
        }
        return (x == 0 || g.rows[row][static_cast<std::size_t>(x - 1)] != 'X') &&
               (end == g.width || g.rows[row][static_cast<std::size_t>(end)] != 'X');
      };
      std::size_t bottom = r + 1;
      while (sameRun(bottom)) ++bottom;
      for (std::size_t row = r; row < bottom; ++row) {
        for (int i = x; i < end; ++i) used[row][static_cast<std::size_t>(i)] = true;
      }
      rects.push_back({x * kUnit, (capHeight - static_cast<int>(bottom)) * kUnit, end * kUnit,
                       (capHeight - static_cast<int>(r)) * kUnit});
    }
  }
  return rects;
}

struct GlyphData {
  std::vector<std::uint8_t> bytes;
  int advance = 0, xMin = 0, yMin = 0, xMax = 0, yMax = 0, points = 0, contours = 0;
};

GlyphData encodeGlyph(const std::vector<Rect>& rects, int advance) {
  GlyphData g;
  g.advance = advance;
  if (rects.empty()) return g;
  g.xMin = g.yMin = 1 << 30;
  g.xMax = g.yMax = -(1 << 30);
  for (const Rect& r : rects) {
    g.xMin = std::min(g.xMin, r.x0), g.yMin = std::min(g.yMin, r.y0);
    g.xMax = std::max(g.xMax, r.x1), g.yMax = std::max(g.yMax, r.y1);
  }
  g.contours = static_cast<int>(rects.size());
  g.points = g.contours * 4;
  Bytes b;
  b.s16(g.contours);
  b.s16(g.xMin), b.s16(g.yMin), b.s16(g.xMax), b.s16(g.yMax);
  for (int c = 0; c < g.contours; ++c) b.u16(static_cast<std::uint32_t>(c * 4 + 3));
  b.u16(0);  // no instructions
  for (int p = 0; p < g.points; ++p) b.u8(1);  // on-curve, two-byte deltas
  // Each rectangle clockwise (y up): bottom-left, top-left, top-right, bottom-right.
  std::vector<std::pair<int, int>> points;
  for (const Rect& r : rects) {
    points.insert(points.end(), {{r.x0, r.y0}, {r.x0, r.y1}, {r.x1, r.y1}, {r.x1, r.y0}});
  }
  int last = 0;
  for (const auto& p : points) b.s16(p.first - last), last = p.first;
  last = 0;
  for (const auto& p : points) b.s16(p.second - last), last = p.second;
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
  glyphs.push_back(encodeGlyph({{64, 0, 384, 64}, {64, 512, 384, 576}, {64, 64, 128, 512}, {320, 64, 384, 512}}, 512));
  for (char c = kFirst; c <= kLast; ++c) {
    const PixelGlyph& g = design.glyphs.at(c);
    glyphs.push_back(encodeGlyph(inkRects(g, design.capHeight), (g.width + 1) * kUnit));
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
