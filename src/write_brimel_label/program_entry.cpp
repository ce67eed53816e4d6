#include "write_brimel_label/write_brimel_label.h"

#include "file_parser/file_parser.h"

int write_brimel_label_main(int argc, char** argv) {
    if (argc == 1) {
        write_label_user_manual(argv[0] != nullptr ? argv[0] : "");
        return SUCCESS;
    }
    if (argc < 1) {
        printf_error_message("Unknow error\r\n" + str_exit_failure);
        return FAIL;
    }
    const std::string program = argv[0] != nullptr ? argv[0] : "";
    printf_str_color("Launch " + program + "\r\n", GREEN);
    Status ret_status = SUCCESS;
    for (int arg_idx = 1; arg_idx < argc; ++arg_idx) {
        const std::string arg = argv[arg_idx];
        if (is_help_cmd(arg)) {
            write_label_user_manual(program);
        } else {
            // Every other word, the find words included, names a label file.
            // The exit status is the last file's: an earlier failure is not carried over.
            ret_status = read_and_transfer_label_configuration(arg);
        }
    }
    return ret_status;
}
