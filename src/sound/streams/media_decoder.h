// Other media files through FFmpeg: what the stream readers do not take (".wma", ".asf",
// ".m4a", ".flac", ".opus", a film's sound ...) decoded to 16-bit PCM of at most two channels
// in the file's rate. FFmpeg opens local files only.
#pragma once

#include <string>

#include "sound/formats/sound_decoder.h"

namespace korvo::sound::streams {

// A name of the hypertext scheme ("http:" and two slashes or backslashes, in any case).
bool isNetworkName(const std::string& name);
// The name without a leading "file://".
std::string withoutFileScheme(const std::string& name);

// The decoder for the named file (resolved like every file the runtime opens); code 10 for a
// network name or anything FFmpeg cannot open or decode, 12 without memory.
formats::DecoderResult openMediaDecoder(const std::string& name);

}  // namespace korvo::sound::streams
