#include "platform/program.h"
#include "write_brimel_label/write_brimel_label.h"

int main(int argc, char** argv) {
    return platform::run_program(argc, argv, write_brimel_label_main);
}
