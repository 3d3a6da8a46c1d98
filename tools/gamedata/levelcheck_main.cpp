// tobrix-levelcheck FILE...: reports what makes each level impossible or broken; exits 1
// when any level has a problem.
#include <fstream>
#include <iostream>
#include <iterator>

#include "level_check.h"

int main(int argc, char** argv) {
  using namespace tobrix::gamedata;
  int bad = 0;
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::cerr << argv[i] << ": cannot be read\n";
      ++bad;
      continue;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> problems;
    const LevelText level = parseLevel(text, problems);
    for (const std::string& p : checkLevel(level)) problems.push_back(p);
    for (const std::string& p : problems) std::cerr << argv[i] << ": " << p << "\n";
    if (!problems.empty()) ++bad;
  }
  return bad == 0 ? 0 : 1;
}
