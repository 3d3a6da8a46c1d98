// Fonts: finding faces, the glyph sheet layout, measurement, Text with centring and
// clipping, black text, and fonts loaded from files by path.
#include <filesystem>
#include <fstream>
#include <set>

#include <sys/resource.h>

#include "media/text/bitmap_font.h"
#include "media/text/font_finder.h"
#include "media/text/text_commands.h"
#include "media/text_fixture.h"

namespace korvo {
namespace {

using platform::BitmapFont;
using platform::Canvas;
using testing::TextDisplay;

KvString* str(std::string_view s) { return core::newString(s); }

// Every pixel of a canvas, for comparisons.
std::vector<std::uint32_t> pixels(Canvas& c) {
  std::vector<std::uint32_t> out;
  for (std::int32_t y = 0; y < c.height(); ++y)
    for (std::int32_t x = 0; x < c.width(); ++x) out.push_back(c.getPixelFast(x, y));
  return out;
}

class Fonts : public TextDisplay {
 protected:
  void SetUp() override {
    TextDisplay::SetUp();
    if (!platform::fonts().defaultFont()) GTEST_SKIP() << "no font matches \"courier\" on this machine";
  }
};

TEST_F(Fonts, CourierIsMonospaced) {
  auto file = platform::FontFinder::instance().find("courier", false, false);
  ASSERT_TRUE(file);
  auto face = platform::RasterFace::open(*file, 12, {});
  ASSERT_TRUE(face);
  EXPECT_TRUE(face->fixedWidth());
  const BitmapFont& f = *platform::fonts().defaultFont();
  EXPECT_EQ(f.height(), 12);
  for (char c : std::string("AiW.m ")) EXPECT_EQ(f.width(static_cast<std::uint8_t>(c)), f.maxCharWidth()) << c;
  EXPECT_EQ(cmd::FontHeight(), 12);
  EXPECT_EQ(cmd::FontWidth(), f.maxCharWidth());
}

TEST_F(Fonts, GlyphCellsWrapAtTheLineWidthWithoutOverlapping) {
  auto file = platform::FontFinder::instance().find("DejaVu Sans", false, true);
  ASSERT_TRUE(file);
  auto face = platform::RasterFace::open(*file, 20, {false, true, false});
  ASSERT_TRUE(face);
  constexpr std::int32_t kLine = 120;
  auto font = BitmapFont::create(*face, platform::PixelFormat::rgb565(), kLine);
  ASSERT_TRUE(font);
  std::int32_t expectX = 0, expectY = 0;
  for (std::int32_t c = font->firstChar(); c < font->endChar(); ++c) {
    const auto code = static_cast<std::uint8_t>(c);
    const std::int32_t w = font->width(code);
    platform::GlyphImage g;
    ASSERT_TRUE(face->render(code, g));
    // The cell holds the advance and both overhangs.
    EXPECT_GE(w, g.advance) << c;
    EXPECT_GE(w, g.width) << c;
    if (expectX != 0 && expectX + w > kLine) expectX = 0, expectY += 20;
    EXPECT_EQ(font->glyphPos(code), static_cast<std::uint32_t>(expectX) << 16 | static_cast<std::uint32_t>(expectY))
        << c;
    expectX += w;
  }
  EXPECT_EQ(font->glyphSheet().height(), expectY + 20);
  EXPECT_LE(font->glyphSheet().width(), kLine);
  // Italic strokes lean past the advance somewhere: the overhang rule must have widened a cell.
  bool widened = false;
  for (std::int32_t c = 'A'; c <= 'Z'; ++c) {
    platform::GlyphImage g;
    face->render(static_cast<std::uint8_t>(c), g);
    widened |= font->width(static_cast<std::uint8_t>(c)) > g.advance;
  }
  EXPECT_TRUE(widened);
}

TEST_F(Fonts, StringWidthUsesTheDefaultCharacterOutsideTheFont) {
  const BitmapFont& f = *platform::fonts().defaultFont();
  EXPECT_EQ(cmd::StringWidth(str("")), 0);
  EXPECT_EQ(cmd::StringWidth(str("ab")), f.width('a') + f.width('b'));
  EXPECT_FALSE(f.contains(10));
  EXPECT_EQ(cmd::StringWidth(str("\n")), f.width(127));
  EXPECT_EQ(cmd::StringHeight(str("anything")), 12);
}

TEST_F(Fonts, TextCentresOnHalfTheWidthAndHeight) {
  const std::int32_t w = cmd::StringWidth(str("Hi there"));
  cmd::Text(100, 30, str("Hi there"), 1, 1);
  const auto centred = pixels(*front);
  front->cls();
  cmd::Text(100 - w / 2, 30 - 12 / 2, str("Hi there"), 0, 0);
  EXPECT_EQ(pixels(*front), centred);
  EXPECT_NE(std::count(centred.begin(), centred.end(), 0xFFFFFFFFu), 0);
}

TEST_F(Fonts, TextPlacedBeyondTheIntRangeByTheOriginLandsWhereTheSumSays) {
  const auto blank = pixels(*front);
  const std::int32_t w = cmd::StringWidth(str("W"));
  cmd::Text(-3 * w, 5, str("WWWWWW"), 0, 0);
  const auto expected = pixels(*front);
  front->cls();
  // The same place as drawing position plus origin: the three leading characters are skipped.
  front->setOrigin(INT32_MIN, 0);
  cmd::Text(INT32_MAX - (3 * w - 1), 5, str("WWWWWW"), 0, 0);
  EXPECT_EQ(pixels(*front), expected);
  front->cls();
  // Centring below the int range leaves the text there, far off the buffer.
  front->setOrigin(-2147483640, 0);
  cmd::Text(INT32_MIN, 5, str("WWWWWW"), 1, 1);
  front->setOrigin(0, 0);
  EXPECT_EQ(pixels(*front), blank);
}

TEST_F(Fonts, BlackTextIsDrawnAlmostBlack) {
  front->setClsColour(0xFFFFFF);
  front->cls();
  front->setColour(0);
  cmd::Text(0, 0, str("X"), 0, 0);
  std::set<std::uint32_t> colours;
  for (std::uint32_t p : pixels(*front)) colours.insert(p & 0xFFFFFF);
  EXPECT_EQ(colours, (std::set<std::uint32_t>{0xFFFFFF, 0x000010}));
}

TEST_F(Fonts, TextClippedOnTheLeftKeepsCharactersInPlace) {
  cmd::Text(3, 5, str("ABCDEFGHIJ"), 0, 0);
  const auto whole = pixels(*front);
  front->cls();
  front->setViewport(30, 0, 200, 60);
  cmd::Text(3, 5, str("ABCDEFGHIJ"), 0, 0);
  const auto clipped = pixels(*front);
  for (std::int32_t y = 0; y < 60; ++y)
    for (std::int32_t x = 0; x < 200; ++x)
      EXPECT_EQ(clipped[y * 200 + x], x >= 30 ? whole[y * 200 + x] : 0xFF000000u) << x << "," << y;
  // Wholly outside: nothing, and no harm.
  cmd::Text(-500, 5, str("ABC"), 0, 0);
  cmd::Text(0, 60, str("ABC"), 0, 0);
  EXPECT_EQ(pixels(*front), clipped);
}

TEST_F(Fonts, SetFontAndFreeFontFallBackToTheDefault) {
  const std::int32_t big = cmd::LoadFont(str("DejaVu Sans"), 24, 1, 0, 1);
  ASSERT_NE(big, 0);
  cmd::SetFont(big);
  EXPECT_EQ(cmd::FontHeight(), 24);
  EXPECT_EQ(front->font(), platform::fonts().find(big));
  cmd::FreeFont(big);
  EXPECT_EQ(cmd::FontHeight(), 12);
  EXPECT_EQ(front->font(), platform::fonts().defaultFont());
  cmd::FreeFont(big);  // no longer live: ignored outside debug mode
  EXPECT_EQ(cmd::LoadFont(str("DejaVu Sans"), 12, 0, 0, 0) > big, true);
}

TEST_F(Fonts, StylesWidenStrokesAndUnderline) {
  const std::int32_t plain = cmd::LoadFont(str("DejaVu Sans"), 16, 0, 0, 0);
  const std::int32_t underlined = cmd::LoadFont(str("DejaVu Sans"), 16, 0, 0, 1);
  const std::int32_t bold = cmd::LoadFont(str("DejaVu Sans"), 16, 1, 0, 0);
  ASSERT_NE(plain, 0);
  // Lit pixels of a string drawn in a font on a cleared buffer.
  auto litPixels = [this](std::int32_t font, std::string_view text) {
    front->cls();
    cmd::SetFont(font);
    cmd::Text(0, 0, str(text), 0, 0);
    int lit = 0;
    for (std::uint32_t p : pixels(*front)) lit += (p & 0xFFFFFF) != 0;
    return lit;
  };
  EXPECT_EQ(litPixels(plain, "   "), 0);
  EXPECT_GE(litPixels(underlined, "   "), 3 * platform::fonts().find(underlined)->width(' '));
  EXPECT_GT(litPixels(bold, "Hello"), litPixels(plain, "Hello"));
  EXPECT_EQ(platform::fonts().find(underlined)->height(), 16);
}

// Peak resident memory of the process so far, in kilobytes.
long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST_F(Fonts, HeightsNoGlyphSheetCanHoldGiveNoFontWithoutRenderingThem) {
  const long before = peakKilobytes();
  // On this 200-pixel display every glyph of a 4000-pixel font takes a line of its own, so the
  // sheet would be far taller than any canvas: the font fails before holding its glyphs.
  EXPECT_EQ(cmd::LoadFont(str("DejaVu Sans"), 4000, 0, 0, 0), 0);
  EXPECT_LT(peakKilobytes() - before, 256 * 1024);
  for (std::int32_t height : {40000, -40000, INT32_MAX, INT32_MIN}) {
    EXPECT_EQ(cmd::LoadFont(str("DejaVu Sans"), height, 0, 0, 0), 0) << height;
  }
  EXPECT_NE(cmd::LoadFont(str("DejaVu Sans"), -20, 0, 0, 0), 0);
}

TEST_F(Fonts, DebugModeRefusesFontsThatAreNotLive) {
  struct DebugOn {
    DebugOn() { setDebugMode(true); }
    ~DebugOn() { setDebugMode(false); }
  } debug;
  for (auto command : {&cmd::SetFont, &cmd::FreeFont}) {
    try {
      command(4242);
      ADD_FAILURE() << "a dead font was taken";
    } catch (const KvEx& e) {
      EXPECT_STREQ(e.message, "Font does not exist");
    }
  }
}

TEST_F(Fonts, AFontFreedWhileAnotherBufferHoldsItIsNotUsed) {
  const std::int32_t f = cmd::LoadFont(str("DejaVu Sans"), 16, 0, 0, 0);
  Canvas other(platform::Surface::create(50, 20, platform::PixelFormat::xrgb8888()));
  other.setFont(platform::fonts().find(f));
  cmd::FreeFont(f);
  platform::drawText(other, 0, 0, "safe");
  EXPECT_EQ(platform::canvasFont(other), platform::fonts().defaultFont());
}

TEST_F(Fonts, FontFileByRelativePathIsAddedOnceUnderItsFileName) {
  const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!std::filesystem::exists(kDejaVu)) GTEST_SKIP() << "fonts-dejavu-core is not installed";
  const auto dir = std::filesystem::temp_directory_path() / "korvo_font_test";
  std::filesystem::create_directories(dir / "fonts");
  std::filesystem::copy_file(kDejaVu, dir / "fonts" / "Zorkface.ttf",
                             std::filesystem::copy_options::overwrite_existing);
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  const std::int32_t a = cmd::LoadFont(str("fonts\\Zorkface.ttf"), 14, 0, 0, 0);
  const std::int32_t b = cmd::LoadFont(str("Zorkface"), 14, 0, 0, 0);
  std::filesystem::current_path(old);
  ASSERT_NE(a, 0);
  ASSERT_NE(b, 0);
  const auto found = platform::FontFinder::instance().find("zorkface", false, false);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->path, (dir / "fonts" / "Zorkface.ttf").string());
  EXPECT_EQ(platform::fonts().find(a)->stringWidth("Hello"), platform::fonts().find(b)->stringWidth("Hello"));
  platform::fonts().closeDisplay();
  const auto after = platform::FontFinder::instance().find("zorkface", false, false);
  EXPECT_TRUE(!after || after->path != found->path);
  std::filesystem::remove_all(dir);
}

TEST(FontFiles, FaceNameIsTheFileNameWithoutDirectoryOrExtension) {
  EXPECT_EQ(platform::FontFinder::faceNameOfFile("fonts/Arcade.ttf"), "Arcade");
  EXPECT_EQ(platform::FontFinder::faceNameOfFile("..\\data\\my.font.otf"), "my");
  EXPECT_EQ(platform::FontFinder::faceNameOfFile("./x/Plain.ttf"), "Plain");
  EXPECT_FALSE(platform::FontFinder::instance().addFile("/nonexistent/font.ttf"));
}

}  // namespace
}  // namespace korvo
