// The math module: seeds the random generator at start-up and registers the math commands.
#include "host/runtime_modules.h"
#include "stdlib/math_commands.h"

namespace korvo {

namespace {
constexpr std::int32_t kStartSeed = 0x1234;
}  // namespace

bool createMathModule() {
  cmd::SeedRnd(kStartSeed);
  return true;
}

void destroyMathModule() {}

void registerMathCommands(Registrar& r) {
  using namespace cmd;
  r.add("#Sin#degrees", entry<&Sin>());
  r.add("#Cos#degrees", entry<&Cos>());
  r.add("#Tan#degrees", entry<&Tan>());
  r.add("#ASin#float", entry<&ASin>());
  r.add("#ACos#float", entry<&ACos>());
  r.add("#ATan#float", entry<&ATan>());
  r.add("#ATan2#floata#floatb", entry<&ATan2>());
  r.add("#Sqr#float", entry<&Sqr>());
  r.add("#Floor#float", entry<&Floor>());
  r.add("#Ceil#float", entry<&Ceil>());
  r.add("#Exp#float", entry<&Exp>());
  r.add("#Log#float", entry<&Log>());
  r.add("#Log10#float", entry<&Log10>());
  r.add("#Rnd#from#to=0", entry<&Rnd>());
  r.add("%Rand%from%to=1", entry<&Rand>());
  r.add("SeedRnd%seed", entry<&SeedRnd>());
  r.add("%RndSeed", entry<&RndSeed>());
}

}  // namespace korvo
