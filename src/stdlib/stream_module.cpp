// The stream module: nothing to set up (streams belong to the modules that open them);
// registers the commands that work on every kind of stream.
#include "host/runtime_modules.h"
#include "stdlib/stream_commands.h"

namespace korvo {

bool createStreamModule() { return true; }

void destroyStreamModule() {}

void registerStreamCommands(Registrar& r) {
  using namespace cmd;
  r.add("%Eof%stream", entry<&Eof>());
  r.add("%ReadAvail%stream", entry<&ReadAvail>());
  r.add("%ReadByte%stream", entry<&ReadByte>());
  r.add("%ReadShort%stream", entry<&ReadShort>());
  r.add("%ReadInt%stream", entry<&ReadInt>());
  r.add("#ReadFloat%stream", entry<&ReadFloat>());
  r.add("$ReadString%stream", entry<&ReadString>());
  r.add("$ReadLine%stream", entry<&ReadLine>());
  r.add("WriteByte%stream%byte", entry<&WriteByte>());
  r.add("WriteShort%stream%short", entry<&WriteShort>());
  r.add("WriteInt%stream%int", entry<&WriteInt>());
  r.add("WriteFloat%stream#float", entry<&WriteFloat>());
  r.add("WriteString%stream$string", entry<&WriteString>());
  r.add("WriteLine%stream$string", entry<&WriteLine>());
  r.add("CopyStream%src_stream%dest_stream%buffer_size=16384", entry<&CopyStream>());
}

}  // namespace korvo
