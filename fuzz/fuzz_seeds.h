// Seed inputs of a fuzz target, made in code. Each target defines makeSeeds beside its
// LLVMFuzzerTestOneInput; the corpus driver runs the seeds and writes them out for the
// committed corpus (fuzz/corpus/NAME).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvo::fuzz {

using Bytes = std::vector<std::uint8_t>;

class Seeds {
 public:
  struct Seed {
    std::string name;
    Bytes bytes;
  };

  void add(std::string name, Bytes bytes) { seeds_.push_back({std::move(name), std::move(bytes)}); }
  void add(std::string name, std::string_view text) { add(std::move(name), Bytes(text.begin(), text.end())); }
  const std::vector<Seed>& all() const { return seeds_; }

 private:
  std::vector<Seed> seeds_;
};

// Defined by every fuzz target: its seeds, small inputs that reach each part of its code.
void makeSeeds(Seeds& seeds);

}  // namespace korvo::fuzz
