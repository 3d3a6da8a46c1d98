// The input commands, and the waiting routines beside WaitKey that the command table does
// not list (WaitMouse, MouseWait, WaitJoy, JoyWait): built for hosts that want them.
#pragma once

#include <cstdint>

namespace korvo::platform {
class InputSystem;
// The input system the commands use (null: every query gives 0).
void setCommandInput(InputSystem* input);
InputSystem* commandInput();
}  // namespace korvo::platform

namespace korvo::cmd {

std::int32_t KeyDown(std::int32_t key);
std::int32_t KeyHit(std::int32_t key);
std::int32_t GetKey();
std::int32_t WaitKey();
void FlushKeys();
std::int32_t MouseDown(std::int32_t button);
std::int32_t MouseHit(std::int32_t button);
std::int32_t GetMouse();
std::int32_t WaitMouse();
std::int32_t MouseWait();
std::int32_t MouseX();
std::int32_t MouseY();
std::int32_t MouseZ();
std::int32_t MouseXSpeed();
std::int32_t MouseYSpeed();
std::int32_t MouseZSpeed();
void FlushMouse();
void MoveMouse(std::int32_t x, std::int32_t y);
std::int32_t JoyType(std::int32_t port);
std::int32_t JoyDown(std::int32_t button, std::int32_t port);
std::int32_t JoyHit(std::int32_t button, std::int32_t port);
std::int32_t GetJoy(std::int32_t port);
std::int32_t WaitJoy(std::int32_t port);
std::int32_t JoyWait(std::int32_t port);
float JoyX(std::int32_t port);
float JoyY(std::int32_t port);
float JoyZ(std::int32_t port);
float JoyU(std::int32_t port);
float JoyV(std::int32_t port);
float JoyPitch(std::int32_t port);
float JoyYaw(std::int32_t port);
float JoyRoll(std::int32_t port);
std::int32_t JoyHat(std::int32_t port);
std::int32_t JoyXDir(std::int32_t port);
std::int32_t JoyYDir(std::int32_t port);
std::int32_t JoyZDir(std::int32_t port);
std::int32_t JoyUDir(std::int32_t port);
std::int32_t JoyVDir(std::int32_t port);
void FlushJoy();
void EnableDirectInput(std::int32_t enable);
std::int32_t DirectInputEnabled();

}  // namespace korvo::cmd
