#include "write_brimel_label/write_brimel_label.h"

#include "platform/program.h"

int main(int argc, char** argv) {
    platform::prepare_process();
    std::vector<std::string> args = platform::program_arguments(argc, argv);
    std::vector<char*> arg_pointers;
    for (std::string& arg : args) {
        arg_pointers.push_back(&arg[0]);
    }
    arg_pointers.push_back(nullptr);
    return write_brimel_label_main(static_cast<int>(args.size()), arg_pointers.data());
}
