// The session dialog's behaviour: connection, the games found (asked for every second),
// joining by double click, creating a game by name, and the message boxes on the way.
#include "stdlib/multiplay/session_dialog.h"

#include <algorithm>

#include "host/kv_ex.h"
#include "platform/backend/clock.h"
#include "platform/backend/message_box.h"
#include "platform/graphics/graphics_system.h"
#include "platform/input/input_system.h"
#include "platform/text/text_graphics.h"
#include "stdlib/multiplay/session_dialog_view.h"

namespace korvo::stdlib {
namespace {

using Focus = DialogModel::Focus;
using Part = SessionDialogView::Part;

constexpr std::uint32_t kTickMs = 20;
constexpr std::uint32_t kRefreshMs = 1000;
constexpr std::uint32_t kDoubleClickMs = 500;
constexpr std::int32_t kEscape = 1, kBackspace = 14, kTab = 15, kEnter = 28, kSpace = 57, kPadEnter = 156;
constexpr std::int32_t kUp = 200, kDown = 208;
constexpr const char* kErrorCaption = "DirectPlay Error";

void tell(const char* caption, const std::string& text) { platform::showMessageBox({caption, text}); }

// Copies between a canvas and the display's front buffer without the program's origin,
// viewport and handle, which are put back afterwards.
void copyPlain(platform::Canvas& to, std::int32_t x, std::int32_t y, platform::Canvas& from) {
  const auto origin = std::pair{to.originX(), to.originY()};
  const platform::Rect viewport = to.viewport();
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
  SessionDialog(platform::RuntimeHost& host, platform::GraphicsSystem& graphics, platform::InputSystem* input)
      : host_(host),
        graphics_(graphics),
        input_(input),
        view_(graphics.front().format(), graphics.front().width(), graphics.front().height()),
        saved_(platform::Surface::create(graphics.front().width(), graphics.front().height(), graphics.front().format())) {}

  DialogOutcome run() {
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
    return std::move(outcome_);
  }

 private:
  // One tick: with a connection open, real time spent listening for answers; else a delay.
  bool wait() {
    if (!finder_) return host_.delay(static_cast<std::int32_t>(kTickMs));
    finder_->collect(kTickMs);
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
    const auto x = platform::truncatedAxis(input_->mouse().axis(0));
    const auto y = platform::truncatedAxis(input_->mouse().axis(1));
    for (std::int32_t i = 0; i < clicks && !done_; ++i) click(x, y);
    for (std::int32_t key = input_->keyboard().next(); key != 0 && !done_; key = input_->keyboard().next()) press(key);
  }

  void click(std::int32_t x, std::int32_t y) {
    int item = -1;
    const Part part = view_.hit(x, y, model_, item);
    const bool wasOpen = model_.dropDown;
    model_.dropDown = false;
    switch (part) {
      case Part::kConnectionItem:
        choose(item);
        return;
      case Part::kConnection:
        model_.focus = Focus::kConnection;
        model_.dropDown = !wasOpen;
        return;
      case Part::kGames:
        if (!model_.gamesEnabled()) return;
        model_.focus = Focus::kGames;
        if (item < static_cast<int>(model_.games.size())) {
          const std::uint32_t now = platform::clock().now();
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
      case Part::kClose:
        finish(0);
        return;
      case Part::kNone:
        return;
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
    if (c >= 32 && c != 127 && c <= 255 && model_.name.size() < net::kMaxNameBytes) model_.name += static_cast<char>(c);
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
      finder_.reset();
      found_.clear();
      model_ = DialogModel{};
      return;
    }
    finder_ = std::make_unique<net::SessionFinder>();
    if (!finder_->open()) {
      finder_.reset();
      return tell("DirPlay Error", std::string("Unable to open ") + DialogModel::kConnections[connection]);
    }
    model_.connection = connection;
    lastAsk_ = platform::clock().now() - kRefreshMs;
    refreshGames();
  }

  // Asks again every second; the list shows what answered in this round and the last.
  void refreshGames() {
    if (!finder_) return;
    if (platform::clock().now() - lastAsk_ >= kRefreshMs) {
      lastAsk_ = platform::clock().now();
      lastRound_ = finder_->found();
      finder_->clear();
      if (!finder_->ask(net::searchAddresses())) tell(kErrorCaption, "Unable to enumerate sessions");
    }
    const net::FoundSession* chosen =
        model_.selected >= 0 && model_.selected < static_cast<int>(found_.size()) ? &found_[model_.selected] : nullptr;
    std::vector<net::FoundSession> now = finder_->found();
    for (const net::FoundSession& old : lastRound_) {
      const bool again = std::any_of(now.begin(), now.end(), [&old](const auto& f) { return f.ip == old.ip && f.port == old.port; });
      if (!again) now.push_back(old);
    }
    int selected = -1;
    model_.games.clear();
    for (std::size_t i = 0; i < now.size(); ++i) {
      if (chosen && now[i].ip == chosen->ip && now[i].port == chosen->port) selected = static_cast<int>(i);
      model_.games.push_back(now[i].ad.name);
    }
    found_ = std::move(now);
    model_.selected = selected >= 0 || found_.empty() ? selected : 0;
    if (model_.focus == Focus::kGames && !model_.gamesEnabled()) model_.focus = Focus::kConnection;
  }

  void join() {
    if (model_.selected < 0 || model_.selected >= static_cast<int>(found_.size())) return;
    auto session = net::NetSession::join(found_[static_cast<std::size_t>(model_.selected)]);
    if (!session) return tell(kErrorCaption, "Unable to join game");
    outcome_.session = std::move(session);
    finish(1);
  }

  void create() {
    if (model_.name.empty()) return tell("DirectPlay Request", "Please enter a name for the new game");
    auto session = net::NetSession::create(model_.name);
    if (!session) return tell(kErrorCaption, "Unable to create new game");
    outcome_.session = std::move(session);
    finish(2);
  }

  void finish(std::int32_t result) {
    outcome_.result = result;
    finder_.reset();
    done_ = true;
  }

  platform::RuntimeHost& host_;
  platform::GraphicsSystem& graphics_;
  platform::InputSystem* input_;
  SessionDialogView view_;
  platform::Canvas saved_;
  DialogModel model_;
  std::unique_ptr<net::SessionFinder> finder_;
  std::vector<net::FoundSession> found_;
  std::vector<net::FoundSession> lastRound_;
  std::uint32_t lastAsk_ = 0;
  std::uint32_t lastClick_ = 0;
  int lastClickItem_ = -1;
  bool done_ = false;
  DialogOutcome outcome_;
};

}  // namespace

DialogOutcome runSessionDialog() {
  platform::RuntimeHost* host = platform::RuntimeHost::current();
  if (!host) return {};
  if (!host->idle()) endQuietly();
  if (!platform::GraphicsSystem::current()) {
    if (platform::TextGraphics* graphics = platform::textGraphics()) graphics->ensureProgramDisplay();
  }
  platform::GraphicsSystem* graphics = platform::GraphicsSystem::current();
  if (!graphics) return {};
  auto* input = dynamic_cast<platform::InputSystem*>(host->subsystem(platform::SubsystemSlot::kInput));
  DialogOutcome outcome = SessionDialog(*host, *graphics, input).run();
  // As after the dialog box the program is told to go on, and the window's events are served.
  host->requestResume();
  if (!host->idle()) endQuietly();
  return outcome;
}

}  // namespace korvo::stdlib
