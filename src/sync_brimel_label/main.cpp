#include "platform/program.h"
#include "sync_brimel_label/sync_brimel_label.h"

int main(int argc, char** argv) {
    return platform::run_program(argc, argv, sync_brimel_label_main);
}
