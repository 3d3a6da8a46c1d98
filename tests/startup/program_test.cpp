// Programs compiled at test time with the SDK and run through the linker: lookup order,
// hardware faults translated into runtime errors, and errors or End raised deep inside
// program code, which carries no unwind tables.
#include <signal.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/kv_string.h"
#include "startup/program_builder.h"
#include "support/recording_hooks.h"
#include "startup/runtime_interface.h"
#include "startup/runtime_modules.h"

namespace korvo {
namespace {

using testing::Program;

// Builds and links source, failing the test when either step fails.
std::unique_ptr<Program> load(const std::string& source) {
  std::string error;
  const auto image = testing::buildProgram(source, &error);
  EXPECT_TRUE(image) << error;
  if (!image) return nullptr;
  auto program = std::make_unique<Program>(*image);
  EXPECT_TRUE(program->linked()) << program->failure().message;
  return program->linked() ? std::move(program) : nullptr;
}

class Programs : public ::testing::Test {
 protected:
  const char* run(const Program& program) { return runOnModules(program.main(), "", &hooks, runtimeModules()); }
  testing::RecordingHooks hooks;
};

TEST_F(Programs, ModuleDefinitionOfARuntimeNameWins) {
  auto program = load(R"(
    #include "korvo.h"
    int32_t _vresult;
    __attribute__((noinline)) void _fcls(void) { _vresult += 21; }
    void __MAIN(void) { _fcls(); _fcls(); }
  )");
  ASSERT_TRUE(program);
  EXPECT_EQ(run(*program), nullptr);
  EXPECT_EQ(program->int32("_vresult"), 42);
  EXPECT_EQ(hooks.messages, std::vector<std::string>{"Program has ended"});
}

TEST_F(Programs, InternalRoutinesAreReachedOnlyThroughTheirLinkerNames) {
  auto program = load(R"(
    #include "korvo.h"
    int32_t _vresult;
    void __MAIN(void) { _vresult = __kvStrToInt(__kvStrConst("  -7")) * 10 + __kvStrCompare(__kvStrConst("a"), __kvStrConst("a")); }
  )");
  ASSERT_TRUE(program);
  EXPECT_EQ(run(*program), nullptr);
  EXPECT_EQ(program->int32("_vresult"), -70);

  std::string error;
  EXPECT_FALSE(testing::buildProgram(R"(
    struct KvString;
    struct KvString* _kvStrConst(const char* text);
    void __MAIN(void) { _kvStrConst("x"); }
  )",
                                     &error));
  EXPECT_NE(error.find("1 undefined symbol"), std::string::npos) << error;
  EXPECT_NE(error.find("\n  _kvStrConst"), std::string::npos) << error;
}

TEST_F(Programs, FreestandingCppWithVirtualCallsAndPointerTables) {
  std::string error;
  const auto image = testing::buildProgram(R"(
    #include "korvo.h"
    struct Counter { int n = 0; virtual void bump() { ++n; } };
    struct Twice : Counter { void bump() override { n += 2; } };
    static Counter one;
    static Twice twice;
    static Counter* const table[] = {&one, &twice};
    int32_t _vresult;
    extern "C" void __MAIN(void) {
      for (int i = 0; i < 5; ++i) table[i & 1]->bump();
      _vresult = twice.n * 100 + one.n;
    }
  )",
                                           &error, testing::Language::kCpp);
  ASSERT_TRUE(image) << error;
  Program program(*image);
  ASSERT_TRUE(program.linked());
  EXPECT_EQ(run(program), nullptr);
  EXPECT_EQ(program.int32("_vresult"), 403);

  EXPECT_FALSE(testing::buildProgram(R"(
    #include "korvo.h"
    struct Logged { Logged() { _fdebuglog(__kvStrConst("made")); } };
    static Logged logged;
    extern "C" void __MAIN(void) {}
  )",
                                     &error, testing::Language::kCpp));
  EXPECT_NE(error.find("static constructors and destructors are not supported"), std::string::npos) << error;
}

TEST_F(Programs, MainLaterInItsSectionIsReachedFromOffsetZero) {
  auto program = load(R"(
    #include "korvo.h"
    int32_t _vresult;
    __attribute__((section(".text.shared"), noinline)) int32_t _ftwice(int32_t n) { return n * 2; }
    __attribute__((section(".text.shared"))) void __MAIN(void) { _vresult = _ftwice(21); }
  )");
  ASSERT_TRUE(program);
  EXPECT_EQ(run(*program), nullptr);
  EXPECT_EQ(program->int32("_vresult"), 42);
}

TEST_F(Programs, PackingRefusesWhatCannotRun) {
  std::string error;
  EXPECT_FALSE(testing::buildProgram("int _vx;\n", &error));
  EXPECT_NE(error.find("no object defines __MAIN"), std::string::npos) << error;
  EXPECT_FALSE(testing::buildProgram("void _fhelper(void);\nvoid __MAIN(void) { _fhelper(); }\n", &error));
  EXPECT_NE(error.find("\n  _fhelper"), std::string::npos) << error;
  EXPECT_FALSE(testing::buildProgram(
      "void __MAIN(void) {}\nvoid* memcpy(void* d, const void* s, unsigned long n) { return d; }\n", &error));
  EXPECT_NE(error.find("symbol memcpy is defined twice"), std::string::npos) << error;
}

struct FaultCase {
  const char* name;
  const char* body;
  const char* message;
};

class Faults : public Programs, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(Faults, BecomeRuntimeErrorsThroughTheHooks) {
  auto program = load(std::string(R"(
    #include "korvo.h"
    volatile int32_t _vbefore, _vafter;
    volatile int32_t _vzero, _vsink;
    int32_t* volatile _vnowhere;
    __attribute__((noinline)) int32_t _fdeep(int32_t n) {
      volatile char frame[256];
      frame[0] = (char)n;
      return _fdeep(n + 1) + frame[0];
    }
    void __MAIN(void) {
      _vbefore = 1;
  )") + GetParam().body +
                      R"(
      _vafter = 1;
    }
  )");
  ASSERT_TRUE(program);
  struct sigaction before {};
  sigaction(SIGSEGV, nullptr, &before);
  EXPECT_STREQ(run(*program), GetParam().message);
  EXPECT_EQ(program->int32("_vbefore"), 1);
  EXPECT_EQ(program->int32("_vafter"), 0);
  EXPECT_EQ(hooks.messages, std::vector<std::string>{std::string("!") + GetParam().message});
  EXPECT_EQ(hooks.events, std::vector<std::string>{"suspended"});
  struct sigaction after {};
  sigaction(SIGSEGV, nullptr, &after);
  EXPECT_EQ(before.sa_sigaction, after.sa_sigaction) << "the translator is removed after the run";
}

INSTANTIATE_TEST_SUITE_P(Translator, Faults,
                         ::testing::Values(FaultCase{"DivideByZero", "_vsink = 10 / _vzero;", "Integer divide by zero"},
                                           FaultCase{"NullPointer", "_vsink = *_vnowhere;", "Memory access violation"},
                                           FaultCase{"IllegalInstruction", "__builtin_trap();", "Illegal instruction"},
                                           FaultCase{"StackOverflow", "_vsink = _fdeep(0);", "Stack overflow!"},
                                           FaultCase{"Breakpoint", "__asm__ volatile(\"int3\");",
                                                     "Unknown runtime exception"}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(Programs, RuntimeErrorDeepInProgramCallsReachesTheRunLoop) {
  auto program = load(R"(
    #include "korvo.h"
    int32_t _vreached;
    __attribute__((noinline)) void _fdescend(int32_t n) {
      if (n == 0) _fruntimeerror(__kvStrConst("deep trouble"));
      else _fdescend(n - 1);
      _vreached += 1;
    }
    void __MAIN(void) { _fdescend(100); _vreached = 1000; }
  )");
  ASSERT_TRUE(program);
  EXPECT_STREQ(run(*program), "deep trouble");
  EXPECT_EQ(program->int32("_vreached"), 0);
  EXPECT_EQ(hooks.messages, std::vector<std::string>{"!deep trouble"});

  // The runtime and its translator stay usable for the next program.
  hooks.messages.clear();
  auto next = load(R"(
    #include "korvo.h"
    int32_t _vresult;
    void __MAIN(void) { _vresult = 7; }
  )");
  ASSERT_TRUE(next);
  EXPECT_EQ(run(*next), nullptr);
  EXPECT_EQ(next->int32("_vresult"), 7);
}

TEST_F(Programs, EndDeepInProgramCallsIsQuietAfterRuntimeStats) {
  auto program = load(R"(
    #include "korvo.h"
    KvString* _vname;
    KvString* _vtitle;
    KvObj* _vthing;
    struct { KvObjType type; const KvTypeRecord* fields[2]; } _tthing;
    int32_t _vreached;
    __attribute__((noinline)) void _fdescend(int32_t n) {
      if (n == 0) _fend();
      else _fdescend(n - 1);
      _vreached += 1;
    }
    void __MAIN(void) {
      kvObjTypeInit(&_tthing.type, 2);
      _tthing.fields[0] = &__kvIntType;
      _tthing.fields[1] = &__kvStrType;
      __kvStrStore(&_vname, __kvStrConst("korvo"));
      __kvStrStore(&_vtitle, __kvStrConst("basic"));
      __kvObjStore(&_vthing, __kvObjNew(&_tthing.type));
      __kvObjDelete(__kvObjNew(&_tthing.type));
      _fruntimestats();
      _fdescend(64);
    }
  )");
  ASSERT_TRUE(program);
  EXPECT_EQ(run(*program), nullptr);
  EXPECT_EQ(program->int32("_vreached"), 0);
  EXPECT_TRUE(hooks.messages.empty());
  EXPECT_EQ(hooks.logs, (std::vector<std::string>{"Active strings :2", "Active objects :1", "Unreleased objs:1"}));
}

// Records the live strings when the modules go, before the basic module frees the pool.
std::int32_t gLiveAtEnd = -1;
void noteLiveStrings() { gLiveAtEnd = core::liveStringCount(); }
bool createNothing() { return true; }

TEST_F(Programs, ErrorsReleaseTheRuntimesTemporariesOnTheWayOut) {
  // WriteLine holds its string argument when it finds that the stream does not exist; the
  // runtime's frames unwind to the command boundary and release it.
  auto program = load(R"(
    #include "korvo.h"
    void __MAIN(void) { _fwriteline(12345, __kvStrConst("held while raising")); }
  )");
  ASSERT_TRUE(program);
  const std::span<const RuntimeModule> all = runtimeModules();
  const RuntimeModule modules[] = {all[0], {"probe", &createNothing, &noteLiveStrings, "probe_create failed"}};
  EXPECT_STREQ(runOnModules(program->main(), "", &hooks, modules), "Stream does not exist");
  EXPECT_EQ(gLiveAtEnd, 0);
}

}  // namespace
}  // namespace korvo
