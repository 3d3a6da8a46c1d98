// The session dialog's network side.
#include "stdlib/multiplay/dialog_actions.h"

#include <algorithm>

namespace korvo::stdlib::net {
namespace {

std::uint64_t keyOf(const FoundSession& s) { return std::uint64_t{s.ip} << 16 | s.port; }

}  // namespace

bool DialogActions::openConnection() {
  finder_ = std::make_unique<SessionFinder>();
  if (finder_->open()) return true;
  finder_.reset();
  return false;
}

void DialogActions::closeConnection() {
  finder_.reset();
  lastRound_.clear();
  listed_.clear();
}

bool DialogActions::askForGames() {
  if (!finder_) return false;
  lastRound_ = finder_->found();
  finder_->clear();
  return finder_->ask(searchAddresses());
}

std::vector<platform::GameEntry> DialogActions::listen(std::uint32_t ms) {
  if (!finder_) return {};
  finder_->collect(ms);
  listed_ = finder_->found();
  for (const FoundSession& old : lastRound_) {
    const bool again =
        std::any_of(listed_.begin(), listed_.end(), [&old](const FoundSession& f) { return keyOf(f) == keyOf(old); });
    if (!again) listed_.push_back(old);
  }
  std::vector<platform::GameEntry> games;
  for (const FoundSession& s : listed_) games.push_back({s.ad.name, keyOf(s)});
  return games;
}

bool DialogActions::join(std::uint64_t key) {
  auto it = std::find_if(listed_.begin(), listed_.end(), [key](const FoundSession& s) { return keyOf(s) == key; });
  if (it == listed_.end()) return false;
  session_ = NetSession::join(*it);
  return session_ != nullptr;
}

bool DialogActions::create(const std::string& name) {
  session_ = NetSession::create(name);
  return session_ != nullptr;
}

}  // namespace korvo::stdlib::net
