#include "write_brimel_label/write_brimel_label.h"

#include "file_parser/file_parser.h"

namespace {

// After a Ctrl-C, one line names the label files left on the command line, if any.
void report_files_not_run(const std::vector<std::string>& p_args, std::size_t p_first) {
    std::string files;
    for (std::size_t arg_idx = p_first; arg_idx < p_args.size(); ++arg_idx) {
        const std::string& arg = p_args[arg_idx];
        if (!is_help_cmd(arg)) {
            files += (files.empty() ? "" : ", ") + arg;
        }
    }
    if (!files.empty()) {
        printf_error_message("Stopped by Ctrl-C; these label files were not run: " + files +
                             "\r\n");
    }
}

}  // namespace

int write_brimel_label_main(const std::vector<std::string>& p_args) {
    if (p_args.size() == 1) {
        write_label_user_manual(p_args[0]);
        return SUCCESS;
    }
    if (p_args.empty()) {
        printf_error_message("Unknow error\r\n" + str_exit_failure);
        return FAIL;
    }
    const std::string& program = p_args[0];
    printf_str_color("Launch " + program + "\r\n", GREEN);
    Status ret_status = SUCCESS;
    for (std::size_t arg_idx = 1; arg_idx < p_args.size(); ++arg_idx) {
        const std::string& arg = p_args[arg_idx];
        if (is_help_cmd(arg)) {
            write_label_user_manual(program);
        } else {
            // Every other word, the find words included, names a label file.
            // The exit status is the last file's: an earlier failure is not carried over.
            ret_status = read_and_transfer_label_configuration(arg);
        }
        if (zel_config_env::instance().stopped_by_ctrl_c) {
            report_files_not_run(p_args, arg_idx + 1);
            return FAIL;
        }
    }
    return ret_status;
}
