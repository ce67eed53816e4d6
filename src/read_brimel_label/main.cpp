#include "read_brimel_label/read_brimel_label.h"

int main(int argc, char** argv) {
    return read_brimel_label_main(argc, argv);
}
