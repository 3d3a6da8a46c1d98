// Turns hardware faults of the program thread (invalid access, illegal instruction,
// integer division by zero, stack overflow) into runtime errors while a program runs.
#pragma once

namespace korvo {

// Installs the translation for the calling thread; the destructor restores what was there.
// While one is installed, another (a run started inside a running program) changes nothing.
class FatalTranslation {
 public:
  FatalTranslation();
  ~FatalTranslation();
  FatalTranslation(const FatalTranslation&) = delete;
  FatalTranslation& operator=(const FatalTranslation&) = delete;

 private:
  bool installed_ = false;
};

}  // namespace korvo
