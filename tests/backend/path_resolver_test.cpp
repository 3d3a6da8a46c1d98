// Program file names: backslashes and letter case.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "backend/path_resolver.h"

namespace korvo::platform {
namespace {

namespace fs = std::filesystem;

TEST(PathResolver, BackslashesAndCaseResolveToTheRealFile) {
  const fs::path root = fs::temp_directory_path() / ("korvo_path_test-" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "System" / "098");
  std::ofstream(root / "System" / "098" / "Tiles.PNG") << "x";

  const std::string base = root.string();
  EXPECT_EQ(resolvePath(base + "\\system\\098\\tiles.png"), base + "/System/098/Tiles.PNG");
  EXPECT_EQ(resolvePath(base + "/System/098/Tiles.PNG"), base + "/System/098/Tiles.PNG");
  // A new file keeps its spelling inside the resolved folder.
  EXPECT_EQ(resolvePath(base + "\\SYSTEM\\new.txt"), base + "/System/new.txt");
  EXPECT_EQ(resolvePath(""), "");
  fs::remove_all(root);
}

}  // namespace
}  // namespace korvo::platform
