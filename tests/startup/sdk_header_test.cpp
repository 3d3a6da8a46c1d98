// The generated korvo.h: one declaration per registration of the command table, C types
// from the signature, keyword parameters renamed, defaults noted.
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "startup/command_table.h"
#include "startup/runtime_interface.h"

namespace korvo {
namespace {

std::string header() {
  std::ifstream in(std::string(KORVO_SDK_DIR) + "/korvo.h");
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SdkHeader, DeclaresEveryRegistrationByItsLinkerName) {
  const std::string text = header();
  ASSERT_FALSE(text.empty());
  RuntimeInterface& runtime = *runtimeGetRuntime();
  int count = 0;
  while (const char* name = runtime.nextSymbol()) {
    EXPECT_NE(text.find(" " + linkerName(name) +
                        (name[0] == '_' && std::string(name).find("Type") != std::string::npos ? ";" : "(")),
              std::string::npos)
        << name;
    ++count;
  }
  EXPECT_GT(count, 0);
}

TEST(SdkHeader, SignaturesBecomeCTypes) {
  const std::string text = header();
  for (const char* line : {
           "void _fend(void);  /* End */",
           "int32_t _fmillisecs(void);  /* %MilliSecs */",
           "void _fapptitle(KvString* title, KvString* close_prompt /* = \"\" */);",
           "int32_t _fcreatetimer(int32_t hertz);",
           "KvString* __kvStrConst(const char* text);",
           "extern const KvTypeRecord __kvIntType;",
           "int32_t __kvObjEachFirst(KvObj** variable, KvObjType* type);",
           "float _fsqr(float float_);  /* #Sqr#float */",
           "void _fwriteint(int32_t stream, int32_t int_);",
           "KvString* _fmid(KvString* string, int32_t start, int32_t count /* = -1 */);",
       }) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace korvo
