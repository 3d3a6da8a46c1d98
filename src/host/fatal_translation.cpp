// Placeholder translation: installs nothing until the signal translator is built.
#include "host/fatal_translation.h"

namespace korvo {

FatalTranslation::FatalTranslation() {}
FatalTranslation::~FatalTranslation() {}

}  // namespace korvo
