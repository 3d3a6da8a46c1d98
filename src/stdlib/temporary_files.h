// The temporaries a replacement is written to: hidden files beside the target named
// ".NAME.part-PID-N", made fresh for each replacement, and removed again when their writing
// process is gone (killed while writing, it never removed its own).
#pragma once

#include <string>
#include <sys/stat.h>

namespace korvo::stdlib {

// The folder of path ("." for a bare name).
std::string directoryOf(const std::string& path);

// Creates a new, empty temporary beside target with the mode of old (the file it will
// replace) or, without one, 0666 less the umask. Its name, or empty with errno telling why.
std::string createTemporaryBeside(const std::string& target, const struct stat* old);

// Removes the temporaries of target whose process no longer runs.
void removeLeftoverTemporaries(const std::string& target);

}  // namespace korvo::stdlib
