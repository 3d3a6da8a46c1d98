// Layout and drawing of the session dialog in the plain raised-and-sunken style of the
// dialog boxes it stands for.
#include "media/session_dialog_view.h"

#include <algorithm>

#include "media/text/font_finder.h"
#include "media/text/raster_face.h"

namespace korvo::platform {
namespace {

// The dialog template: size and controls in dialog units.
struct TemplateBox {
  int x, y, w, h;
};
constexpr int kUnitsWide = 190;
constexpr int kUnitsHigh = 199;
constexpr TemplateBox kConnectionLabel{10, 11, 170, 8};
constexpr TemplateBox kConnectionBox{10, 22, 170, 60};
constexpr TemplateBox kGamesLabel{10, 42, 170, 8};
constexpr TemplateBox kGamesList{10, 53, 170, 82};
constexpr TemplateBox kNameLabel{10, 144, 170, 8};
constexpr TemplateBox kNameEdit{10, 155, 170, 12};
constexpr TemplateBox kCreateButton{10, 178, 67, 14};
constexpr TemplateBox kCancelButton{135, 178, 45, 14};
constexpr const char* kCaption = "Start Multiplayer Game";
constexpr const char* kFontFace = "MS Sans Serif";

// Pixels per 100 dialog units and the font's cell height at full size; smaller displays
// get everything scaled down together.
constexpr int kUnitX = 150;
constexpr int kUnitY = 163;
constexpr int kFontHeight = 13;
constexpr int kSmallestFont = 8;
constexpr int kBorder = 2;

constexpr std::uint32_t kFace = 0xC0C0C0;
constexpr std::uint32_t kLight = 0xFFFFFF;
constexpr std::uint32_t kShadow = 0x808080;
constexpr std::uint32_t kDark = 0x000000;
constexpr std::uint32_t kTitle = 0x000080;
constexpr std::uint32_t kWindow = 0xFFFFFF;
constexpr std::uint32_t kText = 0x000000;
constexpr std::uint32_t kGrayText = 0x808080;
constexpr std::uint32_t kSelection = 0x000080;

int scaled(int units, int perHundred) { return units * perHundred / 100; }

}  // namespace

SessionDialogView::SessionDialogView(const PixelFormat& format, std::int32_t displayWidth, std::int32_t displayHeight) {
  const int fullWidth = scaled(kUnitsWide, kUnitX) + 2 * kBorder;
  const int fullHeight = scaled(kUnitsHigh, kUnitY) + kFontHeight + 5 + 2 * kBorder;
  const int permille =
      std::clamp(std::min(displayWidth * 1000 / fullWidth, displayHeight * 1000 / fullHeight), 1, 1000);
  unitX_ = kUnitX * permille / 1000;
  unitY_ = kUnitY * permille / 1000;
  fontHeight_ = std::max(kSmallestFont, kFontHeight * permille / 1000);
  caption_ = fontHeight_ + 5;
  const int width = scaled(kUnitsWide, unitX_) + 2 * kBorder;
  const int height = scaled(kUnitsHigh, unitY_) + caption_ + 2 * kBorder;
  x_ = std::max(0, (displayWidth - width) / 2);
  y_ = std::max(0, (displayHeight - height) / 2);
  canvas_ = std::make_unique<Canvas>(Surface::create(width, height, format));
  if (auto file = FontFinder::instance().find(kFontFace, false, false)) {
    if (auto face = RasterFace::open(*file, fontHeight_, {})) font_ = BitmapFont::create(*face, format, 1024);
  }
}

Rect SessionDialogView::dialogRect(int x, int y, int w, int h) const {
  const int left = kBorder + scaled(x, unitX_), top = kBorder + caption_ + scaled(y, unitY_);
  return {left, top, kBorder + scaled(x + w, unitX_), kBorder + caption_ + scaled(y + h, unitY_)};
}

int SessionDialogView::rowHeight() const { return fontHeight_ + 2; }

Rect SessionDialogView::dropDownRect() const {
  const Rect box = dialogRect(kConnectionBox.x, kConnectionBox.y, kConnectionBox.w, 0);
  const int top = box.y0 + rowHeight() + 6;
  return {box.x0, top, box.x1, top + 2 * rowHeight() + 2};
}

void SessionDialogView::fill(const Rect& r, std::uint32_t argb) {
  canvas_->setColour(argb);
  canvas_->rect(r.x0, r.y0, r.width(), r.height(), true);
}

void SessionDialogView::raised(const Rect& r, bool pressed) {
  fill(r, kFace);
  canvas_->setColour(pressed ? kDark : kLight);
  canvas_->line(r.x0, r.y0, r.x1 - 1, r.y0);
  canvas_->line(r.x0, r.y0, r.x0, r.y1 - 1);
  canvas_->setColour(pressed ? kLight : kDark);
  canvas_->line(r.x0, r.y1 - 1, r.x1 - 1, r.y1 - 1);
  canvas_->line(r.x1 - 1, r.y0, r.x1 - 1, r.y1 - 1);
  canvas_->setColour(kShadow);
  canvas_->line(r.x0 + 1, r.y1 - 2, r.x1 - 2, r.y1 - 2);
  canvas_->line(r.x1 - 2, r.y0 + 1, r.x1 - 2, r.y1 - 2);
}

void SessionDialogView::sunken(const Rect& r, std::uint32_t inside) {
  fill(r, inside);
  canvas_->setColour(kShadow);
  canvas_->line(r.x0, r.y0, r.x1 - 1, r.y0);
  canvas_->line(r.x0, r.y0, r.x0, r.y1 - 1);
  canvas_->setColour(kLight);
  canvas_->line(r.x0, r.y1 - 1, r.x1 - 1, r.y1 - 1);
  canvas_->line(r.x1 - 1, r.y0, r.x1 - 1, r.y1 - 1);
}

void SessionDialogView::text(const Rect& clip, std::int32_t x, std::int32_t y, const std::string& s,
                             std::uint32_t argb) {
  if (!font_ || s.empty()) return;
  canvas_->setViewport(clip.x0, clip.y0, clip.width(), clip.height());
  font_->render(*canvas_, argb, x, y, s);
  canvas_->setViewport(0, 0, canvas_->width(), canvas_->height());
}

void SessionDialogView::focusFrame(const Rect& r) {
  canvas_->setColour(kDark);
  canvas_->rect(r.x0 + 3, r.y0 + 3, r.width() - 6, r.height() - 6, false);
}

void SessionDialogView::draw(const DialogModel& model) {
  raised(canvas_->rect());
  drawCaption();
  for (const auto& [box, label] :
       {std::pair{kConnectionLabel, "Connection"}, std::pair{kGamesLabel, "Games in progress"},
        std::pair{kNameLabel, "Name for new game"}}) {
    const Rect r = dialogRect(box.x, box.y, box.w, box.h);
    text({r.x0, r.y0, r.x1, r.y0 + fontHeight_}, r.x0, r.y0, label, kText);
  }
  drawGames(model);
  drawName(model);
  using Focus = DialogModel::Focus;
  drawButton(dialogRect(kCreateButton.x, kCreateButton.y, kCreateButton.w, kCreateButton.h), "Create new game",
             model.connected(), model.focus == Focus::kCreate);
  drawButton(dialogRect(kCancelButton.x, kCancelButton.y, kCancelButton.w, kCancelButton.h), "Cancel", true,
             model.focus == Focus::kCancel);
  // Last, as its list lies over the controls below it.
  drawConnection(model);
}

void SessionDialogView::drawCaption() {
  const Rect bar{kBorder, kBorder, canvas_->width() - kBorder, kBorder + caption_};
  fill(bar, kTitle);
  text(bar, bar.x0 + 3, bar.y0 + (caption_ - fontHeight_) / 2, kCaption, kLight);
  const int side = caption_ - 4;
  const Rect close{bar.x1 - side - 2, bar.y0 + 2, bar.x1 - 2, bar.y0 + 2 + side};
  raised(close);
  canvas_->setColour(kDark);
  canvas_->line(close.x0 + 3, close.y0 + 3, close.x1 - 5, close.y1 - 5);
  canvas_->line(close.x1 - 5, close.y0 + 3, close.x0 + 3, close.y1 - 5);
}

void SessionDialogView::drawConnection(const DialogModel& model) {
  const Rect box = dialogRect(kConnectionBox.x, kConnectionBox.y, kConnectionBox.w, 0);
  const Rect field{box.x0, box.y0, box.x1, box.y0 + rowHeight() + 6};
  sunken(field, kWindow);
  const int button = field.height() - 4;
  const Rect arrow{field.x1 - 2 - button, field.y0 + 2, field.x1 - 2, field.y1 - 2};
  const Rect inside{field.x0 + 2, field.y0 + 2, arrow.x0 - 1, field.y1 - 2};
  const bool focused = model.focus == DialogModel::Focus::kConnection;
  if (focused) fill(inside, kSelection);
  text(inside, inside.x0 + 2, inside.y0 + 1, DialogModel::kConnections[model.connection], focused ? kLight : kText);
  raised(arrow, model.dropDown);
  canvas_->setColour(kDark);
  const int cx = (arrow.x0 + arrow.x1) / 2, cy = (arrow.y0 + arrow.y1) / 2;
  for (int i = 0; i < 4; ++i) canvas_->line(cx - 3 + i, cy - 2 + i, cx + 3 - i, cy - 2 + i);
  if (!model.dropDown) return;
  const Rect list = dropDownRect();
  fill(list, kWindow);
  canvas_->setColour(kDark);
  canvas_->rect(list.x0, list.y0, list.width(), list.height(), false);
  for (int i = 0; i < 2; ++i) {
    const Rect row{list.x0 + 1, list.y0 + 1 + i * rowHeight(), list.x1 - 1, list.y0 + 1 + (i + 1) * rowHeight()};
    const bool chosen = i == model.connection;
    if (chosen) fill(row, kSelection);
    text(row, row.x0 + 2, row.y0 + 1, DialogModel::kConnections[i], chosen ? kLight : kText);
  }
}

void SessionDialogView::drawGames(const DialogModel& model) {
  const Rect box = dialogRect(kGamesList.x, kGamesList.y, kGamesList.w, kGamesList.h);
  const bool enabled = model.gamesEnabled();
  sunken(box, enabled ? kWindow : kFace);
  const Rect inside{box.x0 + 2, box.y0 + 2, box.x1 - 2, box.y1 - 2};
  if (!model.connected()) return;
  if (model.games.empty()) {
    text(inside, inside.x0 + 2, inside.y0 + 1, "<no games found>", kGrayText);
    return;
  }
  const int rows = std::max(1, inside.height() / rowHeight());
  const int top = std::max(0, model.selected - rows + 1);
  for (int i = top; i < static_cast<int>(model.games.size()) && i < top + rows; ++i) {
    const Rect row{inside.x0, inside.y0 + (i - top) * rowHeight(), inside.x1, inside.y0 + (i - top + 1) * rowHeight()};
    const bool chosen = i == model.selected;
    if (chosen) fill(row, kSelection);
    text(row, row.x0 + 2, row.y0 + 1, model.games[static_cast<std::size_t>(i)], chosen ? kLight : kText);
  }
  if (model.focus == DialogModel::Focus::kGames) focusFrame({box.x0 - 1, box.y0 - 1, box.x1 + 1, box.y1 + 1});
}

void SessionDialogView::drawName(const DialogModel& model) {
  const Rect box = dialogRect(kNameEdit.x, kNameEdit.y, kNameEdit.w, kNameEdit.h);
  sunken(box, model.connected() ? kWindow : kFace);
  const Rect inside{box.x0 + 2, box.y0 + 1, box.x1 - 2, box.y1 - 1};
  // The end of a long name stays in view, as the field scrolls along as it is typed.
  const int width = font_ ? font_->stringWidth(model.name) : 0;
  const int x = std::min(inside.x0 + 1, inside.x1 - 2 - width);
  text(inside, x, inside.y0 + (inside.height() - fontHeight_) / 2, model.name, kText);
  if (model.focus == DialogModel::Focus::kName) {
    canvas_->setColour(kDark);
    canvas_->line(x + width + 1, inside.y0 + 1, x + width + 1, inside.y1 - 2);
  }
}

void SessionDialogView::drawButton(const Rect& r, const char* label, bool enabled, bool focused) {
  raised(r);
  const int width = font_ ? font_->stringWidth(label) : 0;
  text(r, (r.x0 + r.x1 - width) / 2, (r.y0 + r.y1 - fontHeight_) / 2, label, enabled ? kText : kGrayText);
  if (focused) focusFrame(r);
}

SessionDialogView::Part SessionDialogView::hit(std::int32_t px, std::int32_t py, const DialogModel& model,
                                               int& item) const {
  const int x = px - x_, y = py - y_;
  const auto in = [x, y](const Rect& r) { return r.contains(x, y); };
  if (model.dropDown && in(dropDownRect())) {
    item = std::clamp((y - dropDownRect().y0 - 1) / rowHeight(), 0, 1);
    return Part::kConnectionItem;
  }
  const Rect connection = dialogRect(kConnectionBox.x, kConnectionBox.y, kConnectionBox.w, 0);
  if (in({connection.x0, connection.y0, connection.x1, connection.y0 + rowHeight() + 6})) return Part::kConnection;
  const Rect games = dialogRect(kGamesList.x, kGamesList.y, kGamesList.w, kGamesList.h);
  if (in(games)) {
    const int rows = std::max(1, (games.height() - 4) / rowHeight());
    item = std::max(0, model.selected - rows + 1) + (y - games.y0 - 2) / rowHeight();
    return Part::kGames;
  }
  if (in(dialogRect(kNameEdit.x, kNameEdit.y, kNameEdit.w, kNameEdit.h))) return Part::kName;
  if (in(dialogRect(kCreateButton.x, kCreateButton.y, kCreateButton.w, kCreateButton.h))) return Part::kCreate;
  if (in(dialogRect(kCancelButton.x, kCancelButton.y, kCancelButton.w, kCancelButton.h))) return Part::kCancel;
  const int side = caption_ - 4;
  if (in({canvas_->width() - kBorder - side - 2, kBorder + 2, canvas_->width() - kBorder - 2, kBorder + 2 + side})) {
    return Part::kClose;
  }
  return Part::kNone;
}

}  // namespace korvo::platform
