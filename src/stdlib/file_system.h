// The host's file-system object: it owns the directory listings a program has open and
// closes whatever is left when the host takes it back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/handle_registry.h"
#include "host/runtime_host.h"

namespace korvo::stdlib {

// One ReadDir listing: its entries and the next one to hand out.
class Directory {
 public:
  explicit Directory(std::vector<std::string> entries) : entries_(std::move(entries)) {}
  // The next entry's name, or "" once the listing is finished.
  std::string next();

 private:
  std::vector<std::string> entries_;
  std::size_t at_ = 0;
};

class FileSystem : public platform::HostSubsystem {
 public:
  // Lists path (a platform path); the new directory's handle, or 0 when it cannot be read.
  std::int32_t openDirectory(const std::string& path);
  // The open directory; a dead handle raises "Directory does not exist" in debug mode and
  // gives null otherwise.
  Directory* directory(std::int32_t handle) const;
  // Closes an open directory; other handles are ignored.
  void closeDirectory(std::int32_t handle);
  std::size_t openDirectories() const { return directories_.size(); }

 private:
  HandleRegistry<Directory> directories_;
};

}  // namespace korvo::stdlib
