// The commands of drivers, modes, displays, gamma and buffers.
#pragma once

#include <cstdint>

#include "core/kv_string.h"

namespace korvo::cmd {

std::int32_t CountGfxDrivers();
KvString* GfxDriverName(std::int32_t driver);
void SetGfxDriver(std::int32_t driver);
std::int32_t CountGfxModes();
std::int32_t GfxModeExists(std::int32_t width, std::int32_t height, std::int32_t depth);
std::int32_t GfxModeWidth(std::int32_t mode);
std::int32_t GfxModeHeight(std::int32_t mode);
std::int32_t GfxModeDepth(std::int32_t mode);
std::int32_t AvailVidMem();
std::int32_t TotalVidMem();
void Graphics(std::int32_t width, std::int32_t height, std::int32_t depth, std::int32_t mode);
void EndGraphics();
void SetGamma(std::int32_t srcRed, std::int32_t srcGreen, std::int32_t srcBlue, float destRed, float destGreen,
              float destBlue);
void UpdateGamma(std::int32_t calibrate);
float GammaRed(std::int32_t red);
float GammaGreen(std::int32_t green);
float GammaBlue(std::int32_t blue);
std::int32_t FrontBuffer();
std::int32_t BackBuffer();
std::int32_t ScanLine();
void VWait(std::int32_t frames);
void Flip(std::int32_t vwait);
std::int32_t GraphicsWidth();
std::int32_t GraphicsHeight();
std::int32_t GraphicsDepth();
void SetBuffer(std::int32_t buffer);
std::int32_t GraphicsBuffer();
std::int32_t LoadBuffer(std::int32_t buffer, KvString* file);
std::int32_t SaveBuffer(std::int32_t buffer, KvString* file);

}  // namespace korvo::cmd

namespace korvo::platform {

// The open flags of a Graphics mode argument (0 to 3); -1 for an illegal mode.
std::int32_t graphicsModeFlags(std::int32_t mode, bool debug);

// Module life: the default 400 × 300 window at create (false when it cannot open), and
// everything released at destroy.
bool startGraphicsCommands();
void stopGraphicsCommands();

}  // namespace korvo::platform
