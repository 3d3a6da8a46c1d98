// Message box dispatch with the standard-error fallback.
#include "backend/message_box.h"

#include <cstdio>

namespace korvo::platform {
namespace {
MessageBoxPresenter& presenter() {
  static MessageBoxPresenter p;
  return p;
}
}  // namespace

void setMessageBoxPresenter(MessageBoxPresenter p) { presenter() = std::move(p); }

BoxAnswer showOnStandardError(const MessageBoxRequest& request) {
  if (request.caption.empty()) {
    std::fprintf(stderr, "%s\n", request.text.c_str());
  } else {
    std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
  }
  std::fflush(stderr);
  return BoxAnswer::kOk;
}

BoxAnswer showMessageBox(const MessageBoxRequest& request) {
  return presenter() ? presenter()(request) : showOnStandardError(request);
}

}  // namespace korvo::platform
