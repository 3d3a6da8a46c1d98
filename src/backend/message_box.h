// Modal message boxes. Start-up installs the presenter of the video backend in use (SDL shows
// real boxes); without one the text goes to standard error and the answer is OK. Tests
// install stubs.
#pragma once

#include <functional>
#include <string>

namespace korvo::platform {

enum class BoxButtons { kOk, kOkCancel };
enum class BoxIcon { kNone, kWarning };
enum class BoxAnswer { kOk, kCancel };

struct MessageBoxRequest {
  std::string caption;
  std::string text;
  BoxButtons buttons = BoxButtons::kOk;
  BoxIcon icon = BoxIcon::kNone;
};

using MessageBoxPresenter = std::function<BoxAnswer(const MessageBoxRequest&)>;

// Replaces the presenter (null restores the standard-error fallback).
void setMessageBoxPresenter(MessageBoxPresenter presenter);

// The fallback presenter: the text on standard error, answered OK.
BoxAnswer showOnStandardError(const MessageBoxRequest& request);

// Shows the box and returns the user's answer.
BoxAnswer showMessageBox(const MessageBoxRequest& request);

}  // namespace korvo::platform
