// ravlin: the multipath administration utility.
#include "dispatcher.h"
#include "output_policy.h"

int main(int argc, char** argv) {
    buffer_output();
    int status = run_ravlin(argc - 1, argv + 1);
    flush_output();  // every command path returns here
    return status;
}
