// The filesystem module: takes the host's file-system object at start-up, gives it back
// (after closing every open file) at the end, and registers the file commands.
#include "host/runtime_modules.h"
#include "stdlib/filesystem_commands.h"

namespace korvo {

bool createFilesystemModule() { return stdlib::openFileSystem(); }

void destroyFilesystemModule() { stdlib::closeFileSystem(); }

void registerFilesystemCommands(Registrar& r) {
  using namespace cmd;
  r.add("%OpenFile$filename", entry<&OpenFile>());
  r.add("%ReadFile$filename", entry<&ReadFile>());
  r.add("%WriteFile$filename", entry<&WriteFile>());
  r.add("CloseFile%file_stream", entry<&CloseFile>());
  r.add("%FilePos%file_stream", entry<&FilePos>());
  r.add("%SeekFile%file_stream%pos", entry<&SeekFile>());
  r.add("%ReadDir$dirname", entry<&ReadDir>());
  r.add("CloseDir%dir", entry<&CloseDir>());
  r.add("$NextFile%dir", entry<&NextFile>());
  r.add("$CurrentDir", entry<&CurrentDir>());
  r.add("ChangeDir$dir", entry<&ChangeDir>());
  r.add("CreateDir$dir", entry<&CreateDir>());
  r.add("DeleteDir$dir", entry<&DeleteDir>());
  r.add("%FileSize$file", entry<&FileSize>());
  r.add("%FileType$file", entry<&FileType>());
  r.add("CopyFile$file$to", entry<&CopyFile>());
  r.add("DeleteFile$file", entry<&DeleteFile>());
}

}  // namespace korvo
