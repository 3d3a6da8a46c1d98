// The FreeType library handle.
#include "media/text/freetype_library.h"

namespace korvo::platform {
namespace {

struct Library {
  Library() { FT_Init_FreeType(&handle); }
  ~Library() {
    if (handle) FT_Done_FreeType(handle);
  }
  FT_Library handle = nullptr;
};

}  // namespace

FT_Library freetype() {
  static Library library;
  return library.handle;
}

}  // namespace korvo::platform
