// The filesystem module's commands: file streams, directory listings and path commands.
// Program names go through the path resolver ('\' is a separator, case is forgiven).
#pragma once

#include <cstdint>

#include "core/kv_string.h"

namespace korvo {

namespace stdlib {
class FileSystem;
// The host's file-system object while the module lives, or null.
FileSystem* fileSystem();
}  // namespace stdlib

namespace cmd {

std::int32_t OpenFile(KvString* filename);
std::int32_t ReadFile(KvString* filename);
// The new file replaces the old one only when closed (CloseFile or shutdown).
std::int32_t WriteFile(KvString* filename);
void CloseFile(std::int32_t fileStream);
std::int32_t FilePos(std::int32_t fileStream);
std::int32_t SeekFile(std::int32_t fileStream, std::int32_t pos);
std::int32_t ReadDir(KvString* dirname);
void CloseDir(std::int32_t dir);
KvString* NextFile(std::int32_t dir);
// Ends in '/'.
KvString* CurrentDir();
void ChangeDir(KvString* dir);
void CreateDir(KvString* dir);
void DeleteDir(KvString* dir);
std::int32_t FileSize(KvString* file);
// 0 missing, 1 file, 2 directory.
std::int32_t FileType(KvString* file);
void CopyFile(KvString* file, KvString* to);
void DeleteFile(KvString* file);

}  // namespace cmd
}  // namespace korvo
