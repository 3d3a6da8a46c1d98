// The bank module: nothing to set up; frees every bank left at the end and registers the
// bank commands.
#include "host/runtime_modules.h"
#include "stdlib/bank_commands.h"

namespace korvo {

bool createBankModule() { return true; }

void destroyBankModule() { stdlib::freeAllBanks(); }

void registerBankCommands(Registrar& r) {
  using namespace cmd;
  r.add("%CreateBank%size=0", entry<&CreateBank>());
  r.add("FreeBank%bank", entry<&FreeBank>());
  r.add("%BankSize%bank", entry<&BankSize>());
  r.add("ResizeBank%bank%size", entry<&ResizeBank>());
  r.add("CopyBank%src_bank%src_offset%dest_bank%dest_offset%count", entry<&CopyBank>());
  r.add("%PeekByte%bank%offset", entry<&PeekByte>());
  r.add("%PeekShort%bank%offset", entry<&PeekShort>());
  r.add("%PeekInt%bank%offset", entry<&PeekInt>());
  r.add("#PeekFloat%bank%offset", entry<&PeekFloat>());
  r.add("PokeByte%bank%offset%value", entry<&PokeByte>());
  r.add("PokeShort%bank%offset%value", entry<&PokeShort>());
  r.add("PokeInt%bank%offset%value", entry<&PokeInt>());
  r.add("PokeFloat%bank%offset#value", entry<&PokeFloat>());
  r.add("%ReadBytes%bank%file%offset%count", entry<&ReadBytes>());
  r.add("%WriteBytes%bank%file%offset%count", entry<&WriteBytes>());
  r.add("%CallDLL$dll_name$func_name%in_bank=0%out_bank=0", entry<&CallDLL>());
}

}  // namespace korvo
