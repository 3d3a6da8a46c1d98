#include "style_theme.h"

namespace tobrix::gamedata {

namespace {
// Cave on (30, 15, 0); sky world on (107, 140, 255); speed world on (34, 0, 170).
constexpr StyleTheme kThemes[kStyles] = {
    {rgb(30, 15, 0), rgb(196, 122, 62), rgb(152, 86, 40), rgb(104, 54, 24), rgb(58, 28, 8), rgb(150, 170, 60),
     rgb(84, 104, 28), rgb(170, 112, 56), rgb(96, 56, 24), rgb(226, 218, 196), rgb(120, 110, 96), rgb(255, 190, 40),
     rgb(90, 170, 120), rgb(40, 90, 60)},
    {rgb(107, 140, 255), rgb(246, 198, 128), rgb(222, 150, 74), rgb(160, 92, 36), rgb(112, 58, 20), rgb(120, 220, 70),
     rgb(40, 150, 40), rgb(250, 240, 230), rgb(180, 150, 130), rgb(200, 204, 216), rgb(100, 104, 120),
     rgb(255, 220, 40), rgb(240, 100, 180), rgb(150, 40, 110)},
    {rgb(34, 0, 170), rgb(150, 200, 255), rgb(80, 96, 170), rgb(44, 52, 110), rgb(20, 20, 60), rgb(255, 240, 90),
     rgb(230, 120, 20), rgb(110, 230, 255), rgb(30, 120, 170), rgb(255, 120, 220), rgb(150, 40, 130),
     rgb(120, 255, 160), rgb(255, 170, 60), rgb(150, 80, 20)},
};
}  // namespace

const StyleTheme& theme(int style) { return kThemes[style]; }

std::uint32_t noise(int x, int y, int seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                    static_cast<std::uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

}  // namespace tobrix::gamedata
