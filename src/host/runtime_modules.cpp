// The module table in creation order and the registration order of the command table.
#include "host/runtime_modules.h"

namespace korvo {
namespace {

bool createNothing() { return true; }
void destroyNothing() {}

const RuntimeModule kModules[] = {
    {"basic", &createBasicModule, &destroyBasicModule, "basic_create failed"},
    {"math", &createMathModule, &destroyMathModule, "math_create failed"},
    {"string", &createStringModule, &destroyStringModule, "string_create failed"},
    {"stream", &createStreamModule, &destroyStreamModule, "stream_create failed"},
    {"sockets", &createSocketsModule, &destroySocketsModule, "sockets_create failed"},
    {"filesystem", &createFilesystemModule, &destroyFilesystemModule, "filesystem_create failed"},
    {"bank", &createBankModule, &destroyBankModule, "bank_create failed"},
    {"graphics", &createGraphicsModule, &destroyGraphicsModule, "graphics_create failed"},
    {"input", &createInputModule, &destroyInputModule, "input_create failed"},
    {"audio", &createAudioModule, &destroyAudioModule, "audio_create failed"},
    {"multiplay", &createMultiplayModule, &destroyMultiplayModule, "multiplay_create failed"},
    {"korvo3d", &createNothing, &destroyNothing, "korvo3d_create failed"},
};

}  // namespace

std::span<const RuntimeModule> runtimeModules() { return kModules; }

void registerAllCommands(Registrar& r) {
  registerRuntimeCommands(r);
  registerBasicCommands(r);
  registerMathCommands(r);
  registerStringCommands(r);
  registerStreamCommands(r);
  registerSocketsCommands(r);
  registerFilesystemCommands(r);
  registerBankCommands(r);
  registerGraphicsCommands(r);
  registerInputCommands(r);
  registerAudioCommands(r);
  registerMultiplayCommands(r);
}

}  // namespace korvo
