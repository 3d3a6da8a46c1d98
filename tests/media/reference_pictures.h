// Comparing a canvas with a reference picture in reference/ (24-bit BMP), pixel for pixel.
// KORVO_UPDATE_REFERENCES=1 rewrites the pictures instead; review them by eye.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "media/canvas_test_support.h"

namespace korvo::test {

// Compares the canvas with reference/name, or rewrites it when updating.
inline void expectMatchesReference(const Canvas& c, const std::string& name) {
  const std::string path = std::string(KORVO_REFERENCE_DIR) + "/" + name;
  const Bitmap actual = snapshot(c);
  if (updatingReferences()) {
    std::ofstream(path, std::ios::binary) << encodeBmp(actual);
    GTEST_SKIP() << "rewrote " << path;
  }
  const auto expected = readBmp(path);
  ASSERT_TRUE(expected) << "missing reference " << path;
  ASSERT_EQ(expected->width, actual.width);
  ASSERT_EQ(expected->height, actual.height);
  int differing = 0;
  for (std::size_t i = 0; i < actual.argb.size(); ++i) {
    if (actual.argb[i] != expected->argb[i] && differing++ < 10) {
      ADD_FAILURE() << name << ": pixel (" << i % actual.width << "," << i / actual.width << ") is " << std::hex
                    << actual.argb[i] << ", reference " << expected->argb[i];
    }
  }
  EXPECT_EQ(differing, 0) << name;
}

}  // namespace korvo::test
