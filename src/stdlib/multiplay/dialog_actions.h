// What the session dialog does with the network: TCP/IP is its one connection; the games it
// lists are those that answered the last two rounds of questions; joining or creating one
// leaves the session here for StartNetGame to enter.
#pragma once

#include <memory>
#include <vector>

#include "host/session_dialog.h"
#include "stdlib/multiplay/net_session.h"
#include "stdlib/multiplay/session_finder.h"

namespace korvo::stdlib::net {

class DialogActions : public platform::SessionDialogActions {
 public:
  bool openConnection() override;
  void closeConnection() override;
  bool askForGames() override;
  std::vector<platform::GameEntry> listen(std::uint32_t ms) override;
  bool join(std::uint64_t key) override;
  bool create(const std::string& name) override;

  // The session joined or created, if any.
  std::unique_ptr<NetSession> takeSession() { return std::move(session_); }

 private:
  std::unique_ptr<SessionFinder> finder_;
  std::vector<FoundSession> lastRound_;
  std::vector<FoundSession> listed_;
  std::unique_ptr<NetSession> session_;
};

}  // namespace korvo::stdlib::net
