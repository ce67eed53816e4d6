#include "write_brimel_label/write_brimel_label.h"

#include "platform/program.h"

int main(int argc, char** argv) {
    platform::prepare_process();
    return write_brimel_label_main(argc, argv);
}
