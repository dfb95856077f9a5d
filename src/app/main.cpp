// The program's entry: everything happens in the platform layer's start-up.
#include "app/startup.h"

int main(int argc, char** argv) { return win_main(argc, argv); }
