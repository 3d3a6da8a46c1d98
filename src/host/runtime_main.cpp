// The runtime executable's process entry: everything happens in kvWinMain.
#include "host/program_launch.h"

int main() { kvWinMain(); }
