// The session dialog's look: its controls laid out from the dialog template (positions in
// dialog units, scaled so that the dialog fits the display) and drawn with the runtime's
// canvas and a font of its own onto a canvas of the dialog's size.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/canvas/canvas.h"
#include "media/text/bitmap_font.h"

namespace korvo::platform {

// What the dialog shows.
struct DialogModel {
  enum class Focus { kConnection, kGames, kName, kCreate, kCancel };
  static constexpr const char* kConnections[] = {"<no connection>", "TCP/IP"};

  int connection = 0;  // index into kConnections
  bool dropDown = false;
  std::vector<std::string> games;
  int selected = -1;
  std::string name;
  Focus focus = Focus::kConnection;

  bool connected() const { return connection != 0; }
  // The games list is usable only with a connection and something in it.
  bool gamesEnabled() const { return connected() && !games.empty(); }
};

class SessionDialogView {
 public:
  // The parts of the dialog a point can fall on.
  enum class Part { kNone, kConnection, kConnectionItem, kGames, kName, kCreate, kCancel, kClose };

  // Lays the dialog out in the middle of a display of that size and format.
  SessionDialogView(const PixelFormat& format, std::int32_t displayWidth, std::int32_t displayHeight);

  // The dialog's place on the display.
  std::int32_t x() const { return x_; }
  std::int32_t y() const { return y_; }
  Canvas& canvas() { return *canvas_; }
  void draw(const DialogModel& model);
  // The part under display pixel (x, y); item is the row of a list or drop-down there.
  Part hit(std::int32_t x, std::int32_t y, const DialogModel& model, int& item) const;

 private:
  Rect dialogRect(int x, int y, int w, int h) const;
  Rect dropDownRect() const;
  int rowHeight() const;
  void raised(const Rect& r, bool pressed = false);
  void sunken(const Rect& r, std::uint32_t fill);
  void fill(const Rect& r, std::uint32_t argb);
  void text(const Rect& clip, std::int32_t x, std::int32_t y, const std::string& s, std::uint32_t argb);
  void focusFrame(const Rect& r);
  void drawCaption();
  void drawConnection(const DialogModel& model);
  void drawGames(const DialogModel& model);
  void drawName(const DialogModel& model);
  void drawButton(const Rect& r, const char* label, bool enabled, bool focused);

  std::unique_ptr<Canvas> canvas_;
  std::unique_ptr<BitmapFont> font_;
  std::int32_t x_ = 0;
  std::int32_t y_ = 0;
  std::int32_t fontHeight_ = 13;
  std::int32_t caption_ = 18;
  // Pixels per 100 dialog units, across and down.
  std::int32_t unitX_ = 150;
  std::int32_t unitY_ = 163;
};

}  // namespace korvo::platform
