// The string module: nothing to set up; registers the string commands.
#include "host/runtime_modules.h"
#include "stdlib/string_commands.h"

namespace korvo {

bool createStringModule() { return true; }

void destroyStringModule() {}

void registerStringCommands(Registrar& r) {
  using namespace cmd;
  r.add("$String$string%repeat", entry<&String>());
  r.add("$Left$string%count", entry<&Left>());
  r.add("$Right$string%count", entry<&Right>());
  r.add("$Replace$string$from$to", entry<&Replace>());
  r.add("%Instr$string$find%from=1", entry<&Instr>());
  r.add("$Mid$string%start%count=-1", entry<&Mid>());
  r.add("$Upper$string", entry<&Upper>());
  r.add("$Lower$string", entry<&Lower>());
  r.add("$Trim$string", entry<&Trim>());
  r.add("$LSet$string%size", entry<&LSet>());
  r.add("$RSet$string%size", entry<&RSet>());
  r.add("$Chr%ascii", entry<&Chr>());
  r.add("%Asc$string", entry<&Asc>());
  r.add("%Len$string", entry<&Len>());
  r.add("$Hex%value", entry<&Hex>());
  r.add("$Bin%value", entry<&Bin>());
  r.add("$CurrentDate", entry<&CurrentDate>());
  r.add("$CurrentTime", entry<&CurrentTime>());
}

}  // namespace korvo
