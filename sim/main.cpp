#include "sim/sim_program.h"

int main(int argc, char** argv) {
    return zel_service_sim_main(argc, argv);
}
