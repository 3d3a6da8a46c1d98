// The session dialog of StartNetGame, as the host offers it: the multiplayer module says
// what the dialog does with the network, the graphics layer shows the dialog itself (it
// installs its runner when it starts).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvo::platform {

// A game in progress as the dialog lists it; the key stays the same for the same game from
// one refresh to the next.
struct GameEntry {
  std::string name;
  std::uint64_t key = 0;
};

class SessionDialogActions {
 public:
  virtual ~SessionDialogActions() = default;
  // Opens the connection; false when it cannot be opened.
  virtual bool openConnection() = 0;
  virtual void closeConnection() = 0;
  // Asks for the games in progress again; false when no question could go out.
  virtual bool askForGames() = 0;
  // Listens up to ms of real time for answers; the games found lately.
  virtual std::vector<GameEntry> listen(std::uint32_t ms) = 0;
  // Joins or creates a game; false when that failed.
  virtual bool join(std::uint64_t key) = 0;
  virtual bool create(const std::string& name) = 0;
};

// Shows the dialog until a game is joined (1) or created (2), or the user cancels (0).
using SessionDialogRunner = std::int32_t (*)(SessionDialogActions& actions);
void setSessionDialogRunner(SessionDialogRunner runner);
// Runs the installed dialog; 0 when there is none.
std::int32_t runSessionDialog(SessionDialogActions& actions);

}  // namespace korvo::platform
