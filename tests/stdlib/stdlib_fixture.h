// A test fixture with a host, the string pool, the filesystem and bank modules, and a
// fresh working directory of its own; plus small helpers for strings, files and errors.
#pragma once

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "core/kv_string.h"
#include "base/kv_ex.h"
#include "support/recording_hooks.h"
#include "startup/runtime_modules.h"
#include "host/runtime_host.h"

namespace korvo::testing {

class StdlibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setDebugMode(false);
    host_ = platform::RuntimeHost::create("", &hooks_);
    ASSERT_NE(host_, nullptr);
    createBasicModule();
    ASSERT_TRUE(createFilesystemModule());
    createBankModule();
    char cwd[PATH_MAX];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    oldDir_ = cwd;
    std::string pattern = (std::filesystem::temp_directory_path() / "korvo-stdlib-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ASSERT_EQ(::chdir(dir_.c_str()), 0);
  }

  void TearDown() override {
    setDebugMode(false);
    destroyBankModule();
    destroyFilesystemModule();
    destroyBasicModule();
    platform::RuntimeHost::destroy(host_);
    EXPECT_EQ(::chdir(oldDir_.c_str()), 0);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  static KvString* str(std::string_view text) { return core::newString(text); }
  static std::string text(KvString* s) { return core::takeString(s); }

  static void putFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string getFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Runs f in debug mode and expects the runtime error message.
  template <typename F>
  static void expectError(F&& f, const char* message) {
    setDebugMode(true);
    try {
      f();
      ADD_FAILURE() << "no error, expected: " << message;
    } catch (const KvEx& e) {
      EXPECT_STREQ(e.message, message);
    }
    setDebugMode(false);
  }

  RecordingHooks hooks_;
  platform::RuntimeHost* host_ = nullptr;
  std::string oldDir_;
  std::string dir_;
};

}  // namespace korvo::testing
