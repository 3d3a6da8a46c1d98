// The filesystem module: takes the host's file-system object at start-up and gives it
// back at the end; keeps the set of open files, which checks file handles and closes what a
// program leaves open (finishing it after an orderly end, abandoning replacements after a
// runtime error, a fault or the window's close); the file-stream commands.
#include <memory>

#include "base/handle_registry.h"
#include "base/kv_ex.h"
#include "stdlib/stdlib_modules.h"
#include "backend/path_resolver.h"
#include "host/runtime_host.h"
#include "stdlib/file_stream.h"
#include "stdlib/file_system.h"
#include "stdlib/filesystem_commands.h"

namespace korvo {
namespace {

using stdlib::FileMode;
using stdlib::FileStream;

struct OpenFiles {
  // Under their streams' handles, so the stream commands reach them too.
  HandleRegistry<FileStream> byHandle;
  stdlib::FileSystem* fileSystem = nullptr;
};

OpenFiles& files() {
  static OpenFiles open;
  return open;
}

std::int32_t openFile(KvString* filename, FileMode mode) {
  core::StringArg name(filename);
  if (!files().fileSystem) return 0;
  auto stream = FileStream::open(platform::resolvePath(name.view()), mode);
  if (!stream) return 0;
  const std::int32_t handle = stream->handle();
  files().byHandle.insert(handle, std::move(stream));
  return handle;
}

// The open file behind handle; a dead one raises "File does not exist" in debug mode.
FileStream* requireFile(std::int32_t handle) { return files().byHandle.require(handle, "File does not exist"); }

}  // namespace

namespace stdlib {

FileSystem* fileSystem() { return files().fileSystem; }

}  // namespace stdlib

namespace cmd {

std::int32_t OpenFile(KvString* filename) { return openFile(filename, FileMode::kUpdate); }

std::int32_t ReadFile(KvString* filename) { return openFile(filename, FileMode::kRead); }

std::int32_t WriteFile(KvString* filename) { return openFile(filename, FileMode::kReplace); }

void CloseFile(std::int32_t fileStream) {
  if (requireFile(fileStream)) files().byHandle.erase(fileStream);
}

std::int32_t FilePos(std::int32_t fileStream) {
  FileStream* file = requireFile(fileStream);
  return file ? file->position() : 0;
}

std::int32_t SeekFile(std::int32_t fileStream, std::int32_t pos) {
  FileStream* file = requireFile(fileStream);
  return file ? file->seek(pos) : 0;
}

}  // namespace cmd

bool createFilesystemModule() {
  platform::RuntimeHost* host = platform::RuntimeHost::current();
  if (!host) return false;
  files().fileSystem =
      host->open(platform::SubsystemSlot::kFiles, [] { return std::make_unique<stdlib::FileSystem>(); });
  return files().fileSystem != nullptr;
}

void destroyFilesystemModule() {
  // What a failed or interrupted program was writing is half done: the old files stay.
  if (programEnd() != ProgramEnd::kOrderly) {
    for (const auto& [handle, file] : files().byHandle) file->abandon();
  }
  files().byHandle.clear();
  if (platform::RuntimeHost* host = platform::RuntimeHost::current()) {
    host->close(platform::SubsystemSlot::kFiles, files().fileSystem);
  }
  files().fileSystem = nullptr;
}

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
