// Input scripts: the event lines, relative times, ordering and the errors they report.
#include <sstream>

#include <gtest/gtest.h>

#include "backend/headless/headless_video.h"
#include "backend/headless/input_script.h"

namespace korvo::platform {
namespace {

InputScript parse(const std::string& text) {
  std::istringstream in(text);
  return parseInputScript(in);
}

TEST(InputScript, EveryEventKindParses) {
  const InputScript s = parse(
      "# a demo\n"
      "100 key down 57   # space\n"
      "+50 key up 57\n"
      "200 mouse move 320 -4\n"
      "210 mouse press 2\n"
      "220 wheel -3\n"
      "230 joy 1 axis x=-0.5\n"
      "240 joy 0 down 7\n"
      "250 close\n"
      "\n"
      "260 deactivate\n");
  ASSERT_EQ(s.error, "");
  ASSERT_EQ(s.events.size(), 10u);
  EXPECT_EQ(s.events[0].time, 100u);
  EXPECT_EQ(s.events[0].event.type, WindowEventType::kKeyDown);
  EXPECT_EQ(s.events[0].event.key, 57);
  EXPECT_EQ(s.events[1].time, 150u);
  EXPECT_EQ(s.events[1].event.type, WindowEventType::kKeyUp);
  EXPECT_EQ(s.events[2].event.x, 320);
  EXPECT_EQ(s.events[2].event.y, -4);
  // "press" is a down and an up at the same moment.
  EXPECT_EQ(s.events[3].event.type, WindowEventType::kMouseDown);
  EXPECT_EQ(s.events[4].event.type, WindowEventType::kMouseUp);
  EXPECT_EQ(s.events[4].event.button, 2);
  EXPECT_EQ(s.events[5].event.delta, -360);
  ASSERT_TRUE(s.events[6].joystick);
  EXPECT_EQ(s.events[6].joy.port, 1);
  EXPECT_TRUE(s.events[6].joy.isAxis);
  EXPECT_EQ(s.events[6].joy.index, 0);
  EXPECT_FLOAT_EQ(s.events[6].joy.value, -0.5f);
  ASSERT_TRUE(s.events[7].joystick);
  EXPECT_FALSE(s.events[7].joy.isAxis);
  EXPECT_EQ(s.events[7].joy.index, 7);
  EXPECT_TRUE(s.events[7].joy.down);
  EXPECT_EQ(s.events[8].event.type, WindowEventType::kClose);
  EXPECT_EQ(s.events[9].event.type, WindowEventType::kDeactivate);
}

TEST(InputScript, LinesOutOfOrderAreSortedStably) {
  const InputScript s = parse("300 key down 1\n100 key down 2\n100 key down 3\n");
  ASSERT_EQ(s.events.size(), 3u);
  EXPECT_EQ(s.events[0].event.key, 2);
  EXPECT_EQ(s.events[1].event.key, 3);
  EXPECT_EQ(s.events[2].event.key, 1);
}

TEST(InputScript, BadLinesAreReportedWithTheirNumber) {
  const char* bad[] = {"abc key down 1",
                       "10 key down 0",
                       "10 key down 256",
                       "10 key hold 5",
                       "10 mouse down 4",
                       "10 mouse move 1",
                       "10 joy 16 down 1",
                       "10 joy 0 axis w=1",
                       "10 joy 0 axis x=abc",
                       "10 wheel",
                       "10 teleport",
                       "-5 close",
                       "10"};
  for (const char* line : bad) {
    const InputScript s = parse(std::string("# ok\n") + line + "\n");
    EXPECT_TRUE(s.events.empty()) << line;
    EXPECT_EQ(s.error.rfind("line 2: ", 0), 0u) << line << " -> " << s.error;
  }
}

TEST(InputScript, FrameListsAndPatterns) {
  FrameCapture c;
  ASSERT_TRUE(parseFrameList("1,5,10-12", c));
  EXPECT_TRUE(c.wants(1));
  EXPECT_TRUE(c.wants(11));
  EXPECT_FALSE(c.wants(2));
  EXPECT_FALSE(c.wants(13));
  FrameCapture bad;
  EXPECT_FALSE(parseFrameList("3-1", bad));
  EXPECT_FALSE(parseFrameList("x", bad));
  EXPECT_FALSE(parseFrameList("0", bad));
  c.pattern = "out/f###.bmp";
  EXPECT_EQ(c.path(7), "out/f007.bmp");
  EXPECT_EQ(c.path(12345), "out/f12345.bmp");
  c.pattern = "%s%n.bmp";  // no placeholder: the name is used as it stands
  EXPECT_EQ(c.path(3), "%s%n.bmp");
}

}  // namespace
}  // namespace korvo::platform
