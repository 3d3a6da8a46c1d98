// The filesystem module: takes the host's file-system object at start-up and gives it
// back at the end; keeps the set of open files, which checks file handles and closes what a
// program leaves open (finishing it after an orderly end, abandoning replacements after a
// runtime error, a fault or the window's close); the file-stream commands.
#include <memory>

#include "base/handle_registry.h"
#include "base/kv_ex.h"
#include "stdlib/stdlib_modules.h"
#include "backend/path_resolver.h"
#include "host/host_record.h"
#include "stdlib/file_stream.h"
#include "stdlib/file_system.h"
#include "stdlib/filesystem_commands.h"

namespace korvo {
namespace {

using stdlib::FileMode;
using stdlib::FileStream;

constexpr const char* kNoFile = "File does not exist";

struct OpenFiles {
  // Under their streams' handles, so the stream commands reach them too.
  HandleRegistry<FileStream> byHandle;
  stdlib::FileSystem* fileSystem = nullptr;
};

// The running host's open files; null when none runs.
OpenFiles* files() { return platform::RecordOf<OpenFiles>::find(); }

std::int32_t openFile(KvString* filename, FileMode mode) {
  core::StringArg name(filename);
  OpenFiles* open = files();
  if (!open || !open->fileSystem) return 0;
  auto stream = FileStream::open(platform::resolvePath(name.view()), mode);
  if (!stream) return 0;
  const std::int32_t handle = stream->handle();
  open->byHandle.insert(handle, std::move(stream));
  return handle;
}

// The open file behind handle; a dead one raises "File does not exist" in debug mode.
FileStream* requireFile(std::int32_t handle) {
  OpenFiles* open = files();
  FileStream* file = open ? open->byHandle.find(handle) : nullptr;
  if (!file && debugMode()) raiseError(kNoFile);
  return file;
}

}  // namespace

namespace stdlib {

FileSystem* fileSystem() {
  const OpenFiles* open = files();
  return open ? open->fileSystem : nullptr;
}

}  // namespace stdlib

namespace cmd {

std::int32_t OpenFile(KvString* filename) { return openFile(filename, FileMode::kUpdate); }

std::int32_t ReadFile(KvString* filename) { return openFile(filename, FileMode::kRead); }

std::int32_t WriteFile(KvString* filename) { return openFile(filename, FileMode::kReplace); }

void CloseFile(std::int32_t fileStream) {
  if (requireFile(fileStream)) files()->byHandle.erase(fileStream);
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
  OpenFiles* open = files();
  if (!host || !open) return false;
  open->fileSystem = host->open(platform::SubsystemSlot::kFiles, [] { return std::make_unique<stdlib::FileSystem>(); });
  return open->fileSystem != nullptr;
}

// The record stays with the host to its end, so that a module created again in the same
// run reuses no handle.
void destroyFilesystemModule() {
  OpenFiles* open = files();
  if (!open) return;
  // What a failed or interrupted program was writing is half done: the old files stay.
  if (programEnd() != ProgramEnd::kOrderly) {
    for (const auto& [handle, file] : open->byHandle) file->abandon();
  }
  open->byHandle.clear();
  if (platform::RuntimeHost* host = platform::RuntimeHost::current()) {
    host->close(platform::SubsystemSlot::kFiles, open->fileSystem);
  }
  open->fileSystem = nullptr;
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
