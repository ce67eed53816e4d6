#include "platform/program.h"
#include "read_brimel_label/read_brimel_label.h"

int main(int argc, char** argv) {
    return platform::run_program(argc, argv, read_brimel_label_main);
}
