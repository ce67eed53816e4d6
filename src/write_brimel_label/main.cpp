#include "write_brimel_label/write_brimel_label.h"

int main(int argc, char** argv) {
    return write_brimel_label_main(argc, argv);
}
