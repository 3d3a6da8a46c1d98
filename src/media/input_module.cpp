// The input module: its life in the runtime and its registrations.
#include <memory>

#include "media/media_modules.h"
#include "media/input/input_commands.h"
#include "media/input/input_system.h"
#include "media/input/runtime_input_host.h"

namespace korvo {
namespace {

using platform::InputSystem;
using platform::RuntimeHost;
using platform::SubsystemSlot;

// Lives as long as the process: the input system refers to it.
platform::RuntimeInputHost gInputHost;

}  // namespace

bool createInputModule() {
  RuntimeHost* host = RuntimeHost::current();
  if (!host) return false;
  InputSystem* input = host->open(SubsystemSlot::kInput, [] {
    auto system = std::make_unique<InputSystem>(gInputHost, platform::joystickSource());
    system->resume();
    return system;
  });
  if (!input) return false;
  platform::setCommandInput(input);
  return true;
}

void destroyInputModule() {
  InputSystem* input = platform::commandInput();
  platform::setCommandInput(nullptr);
  if (RuntimeHost* host = RuntimeHost::current(); host && input) host->close(SubsystemSlot::kInput, input);
}

void registerInputCommands(Registrar& r) {
  using namespace cmd;
  r.add("%KeyDown%key", entry<&KeyDown>());
  r.add("%KeyHit%key", entry<&KeyHit>());
  r.add("%GetKey", entry<&GetKey>());
  r.add("%WaitKey", entry<&WaitKey>());
  r.add("FlushKeys", entry<&FlushKeys>());
  r.add("%MouseDown%button", entry<&MouseDown>());
  r.add("%MouseHit%button", entry<&MouseHit>());
  r.add("%GetMouse", entry<&GetMouse>());
  r.add("%MouseX", entry<&MouseX>());
  r.add("%MouseY", entry<&MouseY>());
  r.add("%MouseZ", entry<&MouseZ>());
  r.add("%MouseXSpeed", entry<&MouseXSpeed>());
  r.add("%MouseYSpeed", entry<&MouseYSpeed>());
  r.add("%MouseZSpeed", entry<&MouseZSpeed>());
  r.add("FlushMouse", entry<&FlushMouse>());
  r.add("MoveMouse%x%y", entry<&MoveMouse>());
  r.add("%JoyType%port=0", entry<&JoyType>());
  r.add("%JoyDown%button%port=0", entry<&JoyDown>());
  r.add("%JoyHit%button%port=0", entry<&JoyHit>());
  r.add("%GetJoy%port=0", entry<&GetJoy>());
  r.add("#JoyX%port=0", entry<&JoyX>());
  r.add("#JoyY%port=0", entry<&JoyY>());
  r.add("#JoyZ%port=0", entry<&JoyZ>());
  r.add("#JoyU%port=0", entry<&JoyU>());
  r.add("#JoyV%port=0", entry<&JoyV>());
  r.add("#JoyPitch%port=0", entry<&JoyPitch>());
  r.add("#JoyYaw%port=0", entry<&JoyYaw>());
  r.add("#JoyRoll%port=0", entry<&JoyRoll>());
  r.add("%JoyHat%port=0", entry<&JoyHat>());
  r.add("%JoyXDir%port=0", entry<&JoyXDir>());
  r.add("%JoyYDir%port=0", entry<&JoyYDir>());
  r.add("%JoyZDir%port=0", entry<&JoyZDir>());
  r.add("%JoyUDir%port=0", entry<&JoyUDir>());
  r.add("%JoyVDir%port=0", entry<&JoyVDir>());
  r.add("FlushJoy", entry<&FlushJoy>());
  r.add("EnableDirectInput%enable", entry<&EnableDirectInput>());
  r.add("%DirectInputEnabled", entry<&DirectInputEnabled>());
}

}  // namespace korvo
