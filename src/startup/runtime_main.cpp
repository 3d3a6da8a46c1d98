// The runtime executable's process entry: everything happens in kvWinMain.
#include "startup/program_launch.h"

int main() { kvWinMain(); }
