// ravlin: the multipath administration utility.
#include "dispatcher.h"

int main(int argc, char** argv) { return run_ravlin(argc - 1, argv + 1); }
