// The sound tests' program: plays what its command line says, one step a word, and logs what
// it sees (run with KORVO_DEBUG=1, so that the log lines reach standard output).
//   music:FILE   PlayMusic, log "channel N" (0 when the file does not play)
//   sound:FILE   LoadSound and PlaySound, log "channel N"
//   cd:T:M       PlayCDTrack T with mode M, log "channel N"
//   wait:MS      Delay
//   playing      log "playing 0|1" for the channel
//   stop         StopChannel      pause / resume   PauseChannel / ResumeChannel
//   volume:V     ChannelVolume V/100
//   movie:FILE   OpenMovie, log "movie W H"; DrawMovie and Flip until it ends, log "draws N"
#include "korvo.hpp"

using namespace korvo;

namespace {

// The first word of line (up to a space), taken off it.
String takeWord(String& line) {
  const int32_t space = Instr(line, " ");
  if (space == 0) {
    String word = line;
    line = "";
    return word;
  }
  String word = Left(line, space - 1);
  line = Mid(line, space + 1);
  return word;
}

}  // namespace

extern "C" void __MAIN() {
  String line = CommandLine();
  int32_t channel = 0;
  while (Len(line) > 0) {
    String word = takeWord(line);
    const int32_t colon = Instr(word, ":");
    const String name = colon ? Left(word, colon - 1) : word;
    const String arg = colon ? Mid(word, colon + 1) : String("");
    if (name == "music") {
      channel = PlayMusic(arg);
      DebugLog("channel " + String(channel));
    } else if (name == "sound") {
      channel = PlaySound(LoadSound(arg));
      DebugLog("channel " + String(channel));
    } else if (name == "cd") {
      const int32_t at = Instr(arg, ":");
      channel = PlayCDTrack(Left(arg, at - 1).toInt(), Mid(arg, at + 1).toInt());
      DebugLog("channel " + String(channel));
    } else if (name == "wait") {
      Delay(arg.toInt());
    } else if (name == "playing") {
      DebugLog("playing " + String(ChannelPlaying(channel)));
    } else if (name == "stop") {
      StopChannel(channel);
    } else if (name == "pause") {
      PauseChannel(channel);
    } else if (name == "resume") {
      ResumeChannel(channel);
    } else if (name == "volume") {
      ChannelVolume(channel, static_cast<float>(arg.toInt()) / 100.0f);
    } else if (name == "movie") {
      const int32_t movie = OpenMovie(arg);
      DebugLog("movie " + String(MovieWidth(movie)) + " " + String(MovieHeight(movie)));
      int32_t draws = 0;
      while (DrawMovie(movie)) {
        Flip();
        ++draws;
      }
      DebugLog("draws " + String(draws));
    } else {
      RuntimeError("unknown step " + word);
    }
  }
}
