#include "tune_text.h"

#include <cmath>
#include <map>
#include <sstream>
#include <stdexcept>

#include "synth.h"

namespace tobrix::gamedata {
namespace {

constexpr int kCycle = 64;  // samples in one looped cycle of a tonal instrument
// A 64-sample cycle at relative note 12, finetune 5 sounds C-4 at 261.6 Hz.
constexpr std::int8_t kCycleNote = 12, kCycleFinetune = 5;
// Drum hits are rendered at the rate that note C-4 plays at relative note 17.
constexpr int kDrumRate = 22335;
constexpr std::int8_t kDrumNote = 17;

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

XmInstrument makeInstrument(const std::vector<std::string>& w) {
  // instrument NAME KIND [duty D] [volume V] [pan P] [envelope T:V ...] [sustain N] [fadeout F]
  XmInstrument in;
  in.name = w.at(1);
  const std::string& kind = w.at(2);
  double duty = 0.25;
  for (std::size_t i = 3; i < w.size(); ++i) {
    if (w[i] == "duty") duty = std::stod(w.at(++i));
    else if (w[i] == "volume") in.volume = static_cast<std::uint8_t>(std::stoi(w.at(++i)));
    else if (w[i] == "pan") in.pan = static_cast<std::uint8_t>(std::stoi(w.at(++i)));
    else if (w[i] == "sustain") in.sustainPoint = std::stoi(w.at(++i));
    else if (w[i] == "fadeout") in.fadeout = static_cast<std::uint16_t>(std::stoi(w.at(++i)));
    else if (w[i] == "envelope") {
      while (i + 1 < w.size() && w[i + 1].find(':') != std::string::npos) {
        const std::string& p = w[++i];
        const std::size_t colon = p.find(':');
        in.envelope.emplace_back(static_cast<std::uint16_t>(std::stoi(p.substr(0, colon))),
                                 static_cast<std::uint16_t>(std::stoi(p.substr(colon + 1))));
      }
    } else throw std::runtime_error("unknown instrument setting " + w[i]);
  }
  if (kind == "kick" || kind == "snare" || kind == "hat" || kind == "openhat") {
    SoundBuffer drum(kDrumRate);
    if (kind == "kick") drum.kick(0, 1);
    else if (kind == "snare") drum.snare(0, 1);
    else drum.hat(0, 1, kind == "openhat");
    in.sample = drum.finish(0.9);
    in.relativeNote = kDrumNote;
  } else {
    const Wave wave = waveNamed(kind);
    for (int i = 0; i < kCycle; ++i) {
      in.sample.push_back(static_cast<std::int16_t>(std::lround(waveValue(wave, (i + 0.5) / kCycle, duty) * 24000)));
    }
    in.loop = true;
    in.relativeNote = kCycleNote;
    in.finetune = kCycleFinetune;
  }
  return in;
}

// "C-5", "C#5", "Db5" -> 1..96 (C-0 is 1).
std::uint8_t noteNumber(const std::string& s) {
  static constexpr int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7};
  if (s.size() != 3 || s[0] < 'A' || s[0] > 'G' || s[2] < '0' || s[2] > '7') throw std::runtime_error("bad note " + s);
  int n = kSemitones[s[0] - 'A'] + 12 * (s[2] - '0');
  if (s[1] == '#') ++n;
  else if (s[1] == 'b') --n;
  else if (s[1] != '-') throw std::runtime_error("bad note " + s);
  return static_cast<std::uint8_t>(n + 1);
}

std::uint8_t effectNumber(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'A' && c <= 'Z') return static_cast<std::uint8_t>(c - 'A' + 10);
  throw std::runtime_error(std::string("bad effect ") + c);
}

class TuneParser {
 public:
  XmSong parse(std::string_view text) {
    std::istringstream in{std::string(text)};
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == '#') continue;
      try {
        take(words(line), line);
      } catch (const std::exception& e) {
        throw std::runtime_error("tune line " + std::to_string(number) + ": " + e.what());
      }
    }
    song_.channels = static_cast<int>(channels_.size());
    return song_;
  }

 private:
  void take(const std::vector<std::string>& w, const std::string& line) {
    const std::string& verb = w.at(0);
    if (verb == "title") song_.name = line.substr(6);
    else if (verb == "speed") song_.speed = std::stoi(w.at(1));
    else if (verb == "tempo") song_.bpm = std::stoi(w.at(1));
    else if (verb == "restart") song_.restart = std::stoi(w.at(1));
    else if (verb == "instrument") {
      instruments_[w.at(1)] = static_cast<std::uint8_t>(song_.instruments.size() + 1);
      song_.instruments.push_back(makeInstrument(w));
    } else if (verb == "channel") {
      channels_.push_back({w.at(1), instrument(w.at(2))});
    } else if (verb == "alias") {
      aliases_[w.at(1)] = w.at(2);
    } else if (verb == "bar") {
      bars_[w.at(1)] = std::vector<std::string>(w.begin() + 2, w.end());
    } else if (verb == "pattern") {
      patternNames_[w.at(1)] = static_cast<std::uint8_t>(song_.patterns.size());
      song_.patterns.push_back(pattern(w));
    } else if (verb == "order") {
      for (std::size_t i = 1; i < w.size(); ++i) {
        const auto it = patternNames_.find(w[i]);
        if (it == patternNames_.end()) throw std::runtime_error("no pattern " + w[i]);
        song_.orders.push_back(it->second);
      }
    } else throw std::runtime_error("unknown line " + verb);
  }

  std::uint8_t instrument(const std::string& name) const {
    const auto it = instruments_.find(name);
    if (it == instruments_.end()) throw std::runtime_error("no instrument " + name);
    return it->second;
  }

  // One row's token: "." or a note ("==" keys off), then ":vNN" (volume), ":dN"/":uN"
  // (volume slide down/up per tick), ":xEPP" (effect E, parameter PP in hex), "@NAME"
  // (instrument instead of the channel's).
  XmCell cell(std::string token, std::uint8_t defaultInstrument) const {
    const auto alias = aliases_.find(token.substr(0, token.find(':')));
    if (alias != aliases_.end()) token = alias->second + token.substr(alias->first.size());
    XmCell c;
    std::vector<std::string> parts;
    std::stringstream split(token);
    for (std::string part; std::getline(split, part, ':');) parts.push_back(part);
    std::string note = parts.at(0);
    std::uint8_t inst = defaultInstrument;
    if (const std::size_t at = note.find('@'); at != std::string::npos) {
      inst = instrument(note.substr(at + 1));
      note = note.substr(0, at);
    }
    if (note == "==") c.note = 97;
    else if (note != ".") {
      c.note = noteNumber(note);
      c.instrument = inst;
    }
    for (std::size_t i = 1; i < parts.size(); ++i) {
      const std::string& p = parts[i];
      if (p.size() >= 2 && p[0] == 'v') c.volume = static_cast<std::uint8_t>(0x10 + std::min(64, std::stoi(p.substr(1))));
      else if (p.size() == 2 && p[0] == 'd') c.volume = static_cast<std::uint8_t>(0x60 + (p[1] - '0'));
      else if (p.size() == 2 && p[0] == 'u') c.volume = static_cast<std::uint8_t>(0x70 + (p[1] - '0'));
      else if (p.size() == 4 && p[0] == 'x') {
        c.effect = effectNumber(p[1]);
        c.param = static_cast<std::uint8_t>(std::stoi(p.substr(2), nullptr, 16));
      } else throw std::runtime_error("bad cell part " + p + " in " + token);
    }
    return c;
  }

  // The rows of a bar: tokens, "TOKEN*N" repeating one N times.
  std::vector<XmCell> barRows(const std::string& name, std::uint8_t inst) const {
    const auto it = bars_.find(name);
    if (it == bars_.end()) throw std::runtime_error("no bar " + name);
    std::vector<XmCell> rows;
    for (const std::string& token : it->second) {
      const std::size_t star = token.find('*');
      const int times = star == std::string::npos ? 1 : std::stoi(token.substr(star + 1));
      const XmCell c = cell(token.substr(0, star), inst);
      for (int i = 0; i < times; ++i) rows.push_back(c);
    }
    return rows;
  }

  // pattern NAME ROWS CHANNEL: BAR BAR ... ; CHANNEL: ... ; echo CHANNEL FROM DELAY VOLUME
  XmPattern pattern(const std::vector<std::string>& w) {
    XmPattern p;
    p.rows = std::stoi(w.at(2));
    p.cells.assign(static_cast<std::size_t>(p.rows) * channels_.size(), XmCell{});
    std::size_t channel = channels_.size();
    int row = 0;
    for (std::size_t i = 3; i < w.size(); ++i) {
      if (w[i] == "echo") {
        echo(p, channelIndex(w.at(i + 1)), channelIndex(w.at(i + 2)), std::stoi(w.at(i + 3)), std::stoi(w.at(i + 4)));
        i += 4;
        continue;
      }
      if (w[i].back() == ':') {
        channel = channelIndex(w[i].substr(0, w[i].size() - 1));
        row = 0;
        continue;
      }
      if (channel == channels_.size()) throw std::runtime_error("bars before a channel name");
      for (const XmCell& c : barRows(w[i], channels_[channel].second)) {
        if (row >= p.rows) throw std::runtime_error("channel " + channels_[channel].first + " runs past the pattern");
        p.cells[static_cast<std::size_t>(row++) * channels_.size() + channel] = c;
      }
    }
    return p;
  }

  // The echo channel repeats another channel's notes a few rows later, quieter.
  void echo(XmPattern& p, std::size_t to, std::size_t from, int delay, int volume) const {
    for (int r = 0; r + delay < p.rows; ++r) {
      XmCell c = p.cells[static_cast<std::size_t>(r) * channels_.size() + from];
      if (c.note == 0) continue;
      c.volume = c.note == 97 ? 0 : static_cast<std::uint8_t>(0x10 + volume);
      c.effect = c.param = 0;
      p.cells[static_cast<std::size_t>(r + delay) * channels_.size() + to] = c;
    }
  }

  std::size_t channelIndex(const std::string& name) const {
    for (std::size_t i = 0; i < channels_.size(); ++i) {
      if (channels_[i].first == name) return i;
    }
    throw std::runtime_error("no channel " + name);
  }

  XmSong song_;
  std::map<std::string, std::uint8_t> instruments_, patternNames_;
  std::vector<std::pair<std::string, std::uint8_t>> channels_;
  std::map<std::string, std::string> aliases_;
  std::map<std::string, std::vector<std::string>> bars_;
};

}  // namespace

XmSong parseTune(std::string_view text) { return TuneParser().parse(text); }

double tuneSeconds(const XmSong& song) {
  double seconds = 0;
  int speed = song.speed, bpm = song.bpm;
  for (std::uint8_t order : song.orders) {
    const XmPattern& p = song.patterns.at(order);
    for (int r = 0; r < p.rows; ++r) {
      for (int c = 0; c < song.channels; ++c) {
        const XmCell& cell = p.cells[static_cast<std::size_t>(r * song.channels + c)];
        if (cell.effect == 15 && cell.param >= 32) bpm = cell.param;
        else if (cell.effect == 15 && cell.param > 0) speed = cell.param;
      }
      seconds += speed * 2.5 / bpm;
    }
  }
  return seconds;
}

}  // namespace tobrix::gamedata
