// The block table as the program's data statements: per block its name, description, map
// character and the three flags that offer it in the editor for movement styles 0, 1 and 2.
#include "tobrix.hpp"

using korvo::DataEnd;
using korvo::Datum;

#define BLOCK(name, description, ch, f0, f1, f2) \
  Datum(name), Datum(description), Datum(ch), Datum(f0), Datum(f1), Datum(f2)
#define NOTHING_YET BLOCK("Nothing Yet", "", ".", 0, 0, 0)
#define PIPE(f1) BLOCK("Pipe", "A Mario pipe.  Draw a 2*x rectangle to create a pipe.", "p", 0, f1, 0)
#define DARTS(heading, ch) BLOCK("Darts", "Shoots darts, heading " heading ".", ch, 1, 0, 1)
#define SPIKES(ch) BLOCK("Spikes", "Spikes can kill the player", ch, 1, 0, 1)
#define WALL(f) BLOCK("Wall", "Use for solid walls and floors.", "2", f, f, f)

// levelblockdata: 76 blocks read at start-up, then two entries that are never read.
extern "C" const KvDataEntry __DATA[] = {
    BLOCK("Nothing", "This is nothing!", "0", 0, 0, 0),
    BLOCK("Floor", "As Zorbel, you can grab onto these as rails.", "1", 1, 1, 1),
    WALL(1),
    BLOCK("Ladder", "For climbing up and down levels.", "3", 1, 1, 0),
    BLOCK("? Block", "Use to stand on and collect items.", "?", 0, 1, 0),
    BLOCK("Pushable Block", "Can be moved about the level.", "b", 1, 0, 0),
    BLOCK("Rope", "For sliding down rapidly", ".", 1, 0, 0),
    BLOCK("Ropedata", "", ".", 0, 0, 0), BLOCK("Ropedata", "", ".", 0, 0, 0), BLOCK("Ropedata", "", ".", 0, 0, 0),
    SPIKES("k"), SPIKES("K"), SPIKES("l"), SPIKES("L"),
    BLOCK("Grippable Wall", "You can grab and walljump from these blocks", "g", 1, 0, 0),
    DARTS("to the right", "A"),
    DARTS("to the left", "a"),
    BLOCK("Outward Block", "A block you can stand on, unless the switch is active.", "D", 1, 1, 0),
    BLOCK("Inward Block", "A block you cannot stand on, unless the switch is active.", "d", 1, 1, 0),
    BLOCK("Inactive Switch", "A timed switch awaiting activation.", "C", 1, 1, 0),
    BLOCK("Switch Stage", "Intermediate switch stage", ".", 0, 0, 0),
    BLOCK("Switch Stage", "Intermediate switch stage", ".", 0, 0, 0),
    BLOCK("Sealed Switch", "Another timed switch must be activated before this switch is usable.", "c", 1, 1, 0),
    BLOCK("Balloons!", "Grab a balloon", ".", 0, 0, 0),
    BLOCK("Balloons!", "Grab one and float on upwards", "e", 1, 0, 0),
    BLOCK("Nothing Yet", "", ".", 0, 0, 0),
    PIPE(1), PIPE(0),
    BLOCK("Zorb Sphere", "The blue spheres that Zorbel collects for points.", "P", 1, 0, 0),
    BLOCK("Used ?", "", "1", 0, 0, 0),
    DARTS("downwards", "f"),
    DARTS("upwards", "F"),
    // 32 to 50
    NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET,
    NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET,
    NOTHING_YET, NOTHING_YET, NOTHING_YET,
    PIPE(0), PIPE(0),
    WALL(0),
    BLOCK("Start", "Where the player starts off in a level", "s", 1, 1, 1),
    BLOCK("Rings", "Collectable Rings", "r", 0, 0, 1),
    BLOCK("Water", "Where zorbel does his weekly swim", "w", 1, 1, 1),
    BLOCK("Exit", "This is the exit for a level", "x", 1, 1, 1),
    BLOCK("Hint Placement", "You probably shouldn't go placing these", "#", 0, 0, 0),
    BLOCK("Mario Suit", "Transforms Zorbel into Mario for a little while", "h", 1, 0, 1),
    BLOCK("Sonic Suit", "Transforms Zorbel into Sonic for a little while", "H", 1, 1, 0),
    // 61 to 75
    NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET,
    NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET, NOTHING_YET,
    // never read
    NOTHING_YET, NOTHING_YET,
    DataEnd(),
};

void readblocktable() {
  blockinfo.dim(3, 100);
  blockuser.dim(5, 100);
  korvo::Restore(__DATA);
  for (int32_t b = 0; b <= 75; ++b) {
    for (int32_t i = 1; i <= 3; ++i) blockinfo(i, b) = korvo::DataString();
    for (int32_t style = 0; style <= 2; ++style) blockuser(style, b) = korvo::DataInt();
  }
}
