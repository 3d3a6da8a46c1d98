// The session dialog's behaviour: connection, the games found (asked for every second),
// joining by double click, creating a game by name, and the message boxes on the way.
#include "media/session_dialog.h"

#include <algorithm>

#include "backend/clock.h"
#include "backend/message_box.h"
#include "base/kv_ex.h"
#include "media/graphics/graphics_system.h"
#include "media/input/input_system.h"
#include "media/session_dialog_view.h"
#include "media/text/text_graphics.h"

namespace korvo::platform {
namespace {

using Focus = DialogModel::Focus;
using Part = SessionDialogView::Part;

constexpr std::uint32_t kTickMs = 20;
constexpr std::uint32_t kRefreshMs = 1000;
constexpr std::uint32_t kDoubleClickMs = 500;
constexpr std::int32_t kEscape = 1, kBackspace = 14, kTab = 15, kEnter = 28, kSpace = 57, kPadEnter = 156;
constexpr std::int32_t kUp = 200, kDown = 208;
constexpr const char* kErrorCaption = "DirectPlay Error";
// The longest game name the network carries.
constexpr std::size_t kMaxNameBytes = 255;

void tell(const char* caption, const std::string& text) { showMessageBox({caption, text}); }

// Copies between a canvas and the display's front buffer without the program's origin,
// viewport and handle, which are put back afterwards.
void copyPlain(Canvas& to, std::int32_t x, std::int32_t y, Canvas& from) {
  const auto origin = std::pair{to.originX(), to.originY()};
  const Rect viewport = to.viewport();
  const auto handle = std::pair{from.handleX(), from.handleY()};
  to.setOrigin(0, 0);
  to.setViewport(0, 0, to.width(), to.height());
  from.setHandle(0, 0);
  to.blit(x, y, from, 0, 0, from.width(), from.height(), true);
  from.setHandle(handle.first, handle.second);
  to.setViewport(viewport.x0, viewport.y0, viewport.width(), viewport.height());
  to.setOrigin(origin.first, origin.second);
}

class SessionDialog {
 public:
  SessionDialog(SessionDialogActions& actions, RuntimeHost& host, GraphicsSystem& graphics, InputSystem* input)
      : actions_(actions),
        host_(host),
        graphics_(graphics),
        input_(input),
        view_(graphics.front().format(), graphics.front().width(), graphics.front().height()),
        saved_(Surface::create(graphics.front().width(), graphics.front().height(), graphics.front().format())) {}

  std::int32_t run() {
    copyPlain(saved_, 0, 0, graphics_.front());
    if (input_) input_->resetAll();
    bool running = true;
    show();
    while (!done_) {
      running = wait();
      if (!running) break;
      handleInput();
      refreshGames();
      if (!done_) show();
    }
    copyPlain(graphics_.front(), 0, 0, saved_);
    graphics_.presentIfChanged();
    if (!running) endQuietly();
    return result_;
  }

 private:
  // One tick: with a connection open, real time spent listening for answers; else a delay.
  bool wait() {
    if (!model_.connected()) return host_.delay(static_cast<std::int32_t>(kTickMs));
    games_ = actions_.listen(kTickMs);
    return host_.idle();
  }

  void show() {
    view_.draw(model_);
    copyPlain(graphics_.front(), view_.x(), view_.y(), view_.canvas());
    graphics_.presentIfChanged();
  }

  void handleInput() {
    if (!input_) return;
    const std::int32_t clicks = input_->mouse().hitCount(1);
    const auto x = truncatedAxis(input_->mouse().axis(0));
    const auto y = truncatedAxis(input_->mouse().axis(1));
    for (std::int32_t i = 0; i < clicks && !done_; ++i) click(x, y);
    for (std::int32_t key = input_->keyboard().next(); key != 0 && !done_; key = input_->keyboard().next()) press(key);
  }

  void click(std::int32_t x, std::int32_t y) {
    int item = -1;
    const Part part = view_.hit(x, y, model_, item);
    const bool wasOpen = model_.dropDown;
    model_.dropDown = false;
    switch (part) {
      case Part::kConnectionItem: choose(item); return;
      case Part::kConnection:
        model_.focus = Focus::kConnection;
        model_.dropDown = !wasOpen;
        return;
      case Part::kGames:
        if (!model_.gamesEnabled()) return;
        model_.focus = Focus::kGames;
        if (item < static_cast<int>(model_.games.size())) {
          const std::uint32_t now = clock().now();
          const bool twice = item == lastClickItem_ && now - lastClick_ <= kDoubleClickMs;
          model_.selected = item;
          lastClick_ = now;
          lastClickItem_ = twice ? -1 : item;
          if (twice) join();
        }
        return;
      case Part::kName:
        if (model_.connected()) model_.focus = Focus::kName;
        return;
      case Part::kCreate:
        if (model_.connected()) create();
        return;
      case Part::kCancel:
      case Part::kClose: finish(0); return;
      case Part::kNone: return;
    }
  }

  void press(std::int32_t key) {
    if (key == kEscape) return finish(0);
    if (key == kTab) return nextFocus();
    const bool enter = key == kEnter || key == kPadEnter;
    switch (model_.focus) {
      case Focus::kConnection:
        if (key == kUp || key == kDown) {
          choose(std::clamp(model_.connection + (key == kDown ? 1 : -1), 0, 1));
        } else if (key == kSpace || enter) {
          model_.dropDown = !model_.dropDown && key == kSpace;
        }
        return;
      case Focus::kGames:
        if (key == kUp || key == kDown) {
          const int last = static_cast<int>(model_.games.size()) - 1;
          model_.selected = std::clamp(model_.selected + (key == kDown ? 1 : -1), 0, last);
        } else if (enter && model_.selected >= 0) {
          join();
        }
        return;
      case Focus::kName:
        if (enter) return create();
        type(key);
        return;
      case Focus::kCreate:
        if (enter || key == kSpace) create();
        return;
      case Focus::kCancel:
        if (enter || key == kSpace) finish(0);
        return;
    }
  }

  void type(std::int32_t key) {
    if (key == kBackspace) {
      if (!model_.name.empty()) model_.name.pop_back();
      return;
    }
    const std::int32_t c = input_->toChar(key);
    if (c >= 32 && c != 127 && c <= 255 && model_.name.size() < kMaxNameBytes) model_.name += static_cast<char>(c);
  }

  void nextFocus() {
    static constexpr Focus kOrder[] = {Focus::kConnection, Focus::kGames, Focus::kName, Focus::kCreate, Focus::kCancel};
    auto at = std::find(std::begin(kOrder), std::end(kOrder), model_.focus);
    do {
      at = std::next(at) == std::end(kOrder) ? std::begin(kOrder) : std::next(at);
    } while ((*at == Focus::kGames && !model_.gamesEnabled()) ||
             ((*at == Focus::kName || *at == Focus::kCreate) && !model_.connected()));
    model_.focus = *at;
    model_.dropDown = false;
  }

  void choose(int connection) {
    if (connection == model_.connection) return;
    if (connection == 0) {
      actions_.closeConnection();
      games_.clear();
      model_ = DialogModel{};
      return;
    }
    if (!actions_.openConnection()) {
      return tell("DirPlay Error", std::string("Unable to open ") + DialogModel::kConnections[connection]);
    }
    model_.connection = connection;
    lastAsk_ = clock().now() - kRefreshMs;
    refreshGames();
  }

  // Asks again every second; the list keeps its selection on the same game.
  void refreshGames() {
    if (!model_.connected()) return;
    if (clock().now() - lastAsk_ >= kRefreshMs) {
      lastAsk_ = clock().now();
      if (!actions_.askForGames()) tell(kErrorCaption, "Unable to enumerate sessions");
    }
    const bool chosen = model_.selected >= 0 && model_.selected < static_cast<int>(keys_.size());
    const std::uint64_t key = chosen ? keys_[static_cast<std::size_t>(model_.selected)] : 0;
    model_.games.clear();
    keys_.clear();
    int selected = -1;
    for (const GameEntry& game : games_) {
      if (chosen && game.key == key) selected = static_cast<int>(keys_.size());
      model_.games.push_back(game.name);
      keys_.push_back(game.key);
    }
    model_.selected = selected >= 0 || keys_.empty() ? selected : 0;
    if (model_.focus == Focus::kGames && !model_.gamesEnabled()) model_.focus = Focus::kConnection;
  }

  void join() {
    if (model_.selected < 0 || model_.selected >= static_cast<int>(keys_.size())) return;
    if (!actions_.join(keys_[static_cast<std::size_t>(model_.selected)]))
      return tell(kErrorCaption, "Unable to join game");
    finish(1);
  }

  void create() {
    if (model_.name.empty()) return tell("DirectPlay Request", "Please enter a name for the new game");
    if (!actions_.create(model_.name)) return tell(kErrorCaption, "Unable to create new game");
    finish(2);
  }

  void finish(std::int32_t result) {
    // Cancelling closes the connection; a game joined or created keeps it.
    if (result == 0 && model_.connected()) actions_.closeConnection();
    result_ = result;
    done_ = true;
  }

  SessionDialogActions& actions_;
  RuntimeHost& host_;
  GraphicsSystem& graphics_;
  InputSystem* input_;
  SessionDialogView view_;
  Canvas saved_;
  DialogModel model_;
  std::vector<GameEntry> games_;
  std::vector<std::uint64_t> keys_;
  std::uint32_t lastAsk_ = 0;
  std::uint32_t lastClick_ = 0;
  int lastClickItem_ = -1;
  bool done_ = false;
  std::int32_t result_ = 0;
};

}  // namespace

std::int32_t showSessionDialog(SessionDialogActions& actions) {
  RuntimeHost* host = RuntimeHost::current();
  if (!host) return 0;
  if (!GraphicsSystem::current()) {
    if (TextGraphics* graphics = textGraphics()) graphics->ensureProgramDisplay();
  }
  GraphicsSystem* graphics = GraphicsSystem::current();
  if (!graphics) return 0;
  auto* input = host->subsystemOf<InputSystem>(SubsystemSlot::kInput);
  return SessionDialog(actions, *host, *graphics, input).run();
}

}  // namespace korvo::platform
