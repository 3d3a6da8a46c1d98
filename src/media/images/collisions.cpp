// Box tests, the mask-word collision tests, and their commands.
#include "media/images/collisions.h"

#include <algorithm>

#include "media/images/image_commands.h"
#include "media/images/image_set.h"

namespace korvo::platform {
namespace {

// A covered box in 64-bit coordinates, so placements far out cannot overflow.
struct Box {
  std::int64_t x0, y0, x1, y1;
  bool intersects(const Box& o) const { return o.x0 < x1 && x0 < o.x1 && o.y0 < y1 && y0 < o.y1; }
};

Box boxOf(const Canvas& f, std::int32_t x, std::int32_t y) {
  const std::int64_t left = std::int64_t{x} - f.handleX(), top = std::int64_t{y} - f.handleY();
  return {left, top, left + f.width(), top + f.height()};
}

Box rectBox(std::int32_t rx, std::int32_t ry, std::int32_t rw, std::int32_t rh) {
  return {rx, ry, std::int64_t{rx} + rw, std::int64_t{ry} + rh};
}

// The top n bits of a word (1 ≤ n ≤ 32).
std::uint32_t topBits(std::int64_t n) { return n >= 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> n); }

}  // namespace

bool framesOverlap(const Canvas& a, std::int32_t x1, std::int32_t y1, const Canvas& b, std::int32_t x2,
                   std::int32_t y2) {
  return boxOf(a, x1, y1).intersects(boxOf(b, x2, y2));
}

bool frameRectOverlap(const Canvas& f, std::int32_t x, std::int32_t y, std::int32_t rx, std::int32_t ry,
                      std::int32_t rw, std::int32_t rh) {
  return boxOf(f, x, y).intersects(rectBox(rx, ry, rw, rh));
}

bool framesCollide(Canvas& a, std::int32_t x1, std::int32_t y1, Canvas& b, std::int32_t x2, std::int32_t y2) {
  const Box ba = boxOf(a, x1, y1), bb = boxOf(b, x2, y2);
  if (!ba.intersects(bb)) return false;
  a.ensureMask();
  b.ensureMask();
  // left starts further left (a on a tie); right's column 0 falls on bit s of left's word u.
  const bool aLeft = ba.x0 <= bb.x0;
  const Canvas& left = aLeft ? a : b;
  const Canvas& right = aLeft ? b : a;
  const Box& bl = aLeft ? ba : bb;
  const Box& br = aLeft ? bb : ba;
  const std::uint32_t* lMask = left.mask();
  const std::uint32_t* rMask = right.mask();
  if (!lMask || !rMask) return false;
  const std::int64_t xe = std::min(bl.x1, br.x1);
  const std::int64_t u = (br.x0 - bl.x0) / 32;
  const int s = static_cast<int>((br.x0 - bl.x0) % 32);
  const std::int64_t last = (xe - bl.x0 - 1) / 32;
  const std::uint32_t endMask = topBits((xe - bl.x0 - 1) % 32 + 1);
  const std::int64_t rWords = right.maskWords();
  for (std::int64_t row = std::max(bl.y0, br.y0); row < std::min(bl.y1, br.y1); ++row) {
    const std::uint32_t* lRow = lMask + (row - bl.y0) * left.maskWords();
    const std::uint32_t* rRow = rMask + (row - br.y0) * rWords;
    std::uint32_t carry = 0;
    for (std::int64_t k = u; k < last; ++k) {
      const std::uint32_t w = rRow[k - u];
      if (((carry | (w >> s)) & lRow[k]) != 0) return true;
      carry = s != 0 ? w << (32 - s) : 0;
    }
    // right's word after the loop may lie past its row's end: only the carry remains then.
    const std::uint32_t w = last - u < rWords ? rRow[last - u] : 0;
    if (((carry | (w >> s)) & lRow[last] & endMask) != 0) return true;
  }
  return false;
}

bool frameRectCollide(Canvas& f, std::int32_t x, std::int32_t y, std::int32_t rx, std::int32_t ry, std::int32_t rw,
                      std::int32_t rh) {
  const Box b = boxOf(f, x, y);
  const Box r = rectBox(rx, ry, rw, rh);
  if (!b.intersects(r)) return false;
  const std::int64_t c0 = std::max(b.x0, r.x0), c1 = std::min(b.x1, r.x1);
  const std::int64_t r0 = std::max(b.y0, r.y0), r1 = std::min(b.y1, r.y1);
  f.ensureMask();
  const std::uint32_t* mask = f.mask();
  if (!mask) return false;
  const std::int64_t first = (c0 - b.x0) / 32, lastWord = (c1 - b.x0 - 1) / 32;
  std::uint32_t startMask = 0xFFFFFFFFu >> ((c0 - b.x0) % 32);
  const std::uint32_t endMask = topBits((c1 - b.x0 - 1) % 32 + 1);
  if (first == lastWord) startMask &= endMask;
  for (std::int64_t row = r0; row < r1; ++row) {
    const std::uint32_t* words = mask + (row - b.y0) * f.maskWords();
    if (words[first] & startMask) return true;
    if (first == lastWord) continue;
    for (std::int64_t k = first + 1; k < lastWord; ++k) {
      if (words[k]) return true;
    }
    if (words[lastWord] & endMask) return true;
  }
  return false;
}

}  // namespace korvo::platform

namespace korvo::cmd {

using namespace platform;

std::int32_t ImagesOverlap(std::int32_t image1, std::int32_t x1, std::int32_t y1, std::int32_t image2, std::int32_t x2,
                           std::int32_t y2) {
  const Canvas* a = checkedFrame(image1, 0);
  const Canvas* b = checkedFrame(image2, 0);
  return a && b && framesOverlap(*a, x1, y1, *b, x2, y2) ? 1 : 0;
}

std::int32_t ImagesCollide(std::int32_t image1, std::int32_t x1, std::int32_t y1, std::int32_t frame1,
                           std::int32_t image2, std::int32_t x2, std::int32_t y2, std::int32_t frame2) {
  Canvas* a = checkedFrame(image1, frame1);
  Canvas* b = checkedFrame(image2, frame2);
  return a && b && framesCollide(*a, x1, y1, *b, x2, y2) ? 1 : 0;
}

std::int32_t RectsOverlap(std::int32_t x1, std::int32_t y1, std::int32_t width1, std::int32_t height1, std::int32_t x2,
                          std::int32_t y2, std::int32_t width2, std::int32_t height2) {
  const std::int64_t ax1 = std::int64_t{x1} + width1, ay1 = std::int64_t{y1} + height1;
  const std::int64_t bx1 = std::int64_t{x2} + width2, by1 = std::int64_t{y2} + height2;
  return x2 < ax1 && x1 < bx1 && y2 < ay1 && y1 < by1 ? 1 : 0;
}

std::int32_t ImageRectOverlap(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t rectX,
                              std::int32_t rectY, std::int32_t rectWidth, std::int32_t rectHeight) {
  const Canvas* f = checkedFrame(image, 0);
  return f && frameRectOverlap(*f, x, y, rectX, rectY, rectWidth, rectHeight) ? 1 : 0;
}

std::int32_t ImageRectCollide(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t frame,
                              std::int32_t rectX, std::int32_t rectY, std::int32_t rectWidth, std::int32_t rectHeight) {
  Canvas* f = checkedFrame(image, frame);
  return f && frameRectCollide(*f, x, y, rectX, rectY, rectWidth, rectHeight) ? 1 : 0;
}

}  // namespace korvo::cmd
