// What the game's start-up makes, without its asset files: a window, fonts by face name,
// solid 32 by 32 sheets (so sprites collide wherever they overlap), the arrays and the
// block table. For the modules that run the game's routines in tests and benchmarks.
#pragma once

#include "tobrix.hpp"

void testworld();
