// The module table: creation order, and with it the registration order of the command table.
#include "startup/runtime_modules.h"

namespace korvo {
namespace {

bool createNothing() { return true; }
void destroyNothing() {}

const RuntimeModule kModules[] = {
    {"basic", &createBasicModule, &destroyBasicModule, "basic_create failed", &registerBasicCommands},
    {"math", &createMathModule, &destroyMathModule, "math_create failed", &registerMathCommands},
    {"string", &createStringModule, &destroyStringModule, "string_create failed", &registerStringCommands},
    {"stream", &createStreamModule, &destroyStreamModule, "stream_create failed", &registerStreamCommands},
    {"sockets", &createSocketsModule, &destroySocketsModule, "sockets_create failed", &registerSocketsCommands},
    {"filesystem", &createFilesystemModule, &destroyFilesystemModule, "filesystem_create failed",
     &registerFilesystemCommands},
    {"bank", &createBankModule, &destroyBankModule, "bank_create failed", &registerBankCommands},
    {"graphics", &createGraphicsModule, &destroyGraphicsModule, "graphics_create failed", &registerGraphicsCommands},
    {"input", &createInputModule, &destroyInputModule, "input_create failed", &registerInputCommands},
    {"audio", &createAudioModule, &destroyAudioModule, "audio_create failed", &registerAudioCommands},
    {"multiplay", &createMultiplayModule, &destroyMultiplayModule, "multiplay_create failed",
     &registerMultiplayCommands},
    {"korvo3d", &createNothing, &destroyNothing, "korvo3d_create failed"},
};

}  // namespace

std::span<const RuntimeModule> runtimeModules() { return kModules; }

void registerAllCommands(Registrar& r) {
  registerRuntimeCommands(r);
  for (const RuntimeModule& module : kModules) {
    if (module.registerCommands) module.registerCommands(r);
  }
}

}  // namespace korvo
