#include "platform/program.h"
#include "sim/sim_program.h"

int main(int argc, char** argv) {
    return platform::run_program(argc, argv, zel_service_sim_main);
}
