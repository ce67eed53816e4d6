#include "write_brimel_label/write_brimel_label.h"

#include "file_parser/file_parser.h"
#include "platform/interrupt.h"
#include "platform/program.h"
#include "project_version.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

const std::string G_program = "write_brimel_label";
// A wrong command line, or a rehearsal whose service does not say it is simulated: nothing
// was sent to the service.
const int G_usage_status = 2;
const char G_version_option[] = "--version";
const char G_end_of_options[] = "--";
// A help word too, in any letter case like the others.
const std::vector<std::string> G_long_help = {"--help"};

bool is_help_word(const std::string& p_arg) {
    return is_help_cmd(p_arg) || is_cmd(G_long_help, p_arg);
}

// An argument before "--" that starts with "-", is no word of the program and names no
// file: an option mistyped or of another program ("--dry-run"), never a label file.
bool is_unknown_option(const std::string& p_arg) {
    return !p_arg.empty() && p_arg[0] == '-' && !is_help_word(p_arg) && p_arg != G_version_option &&
           !platform::names_a_file(p_arg);
}

// The first unknown option before "--", or nullptr.
const std::string* first_unknown_option(const std::vector<std::string>& p_args) {
    for (std::size_t arg_idx = 1; arg_idx < p_args.size(); ++arg_idx) {
        if (p_args[arg_idx] == G_end_of_options) {
            break;
        }
        if (is_unknown_option(p_args[arg_idx])) {
            return &p_args[arg_idx];
        }
    }
    return nullptr;
}

// The label files of the arguments from p_first on, in order, joined by ", ".
console_message_t label_files(const std::vector<std::string>& p_args, std::size_t p_first,
                              bool p_options_ended) {
    console_message_t files;
    for (std::size_t arg_idx = p_first; arg_idx < p_args.size(); ++arg_idx) {
        const std::string& arg = p_args[arg_idx];
        if (!p_options_ended && arg == G_end_of_options) {
            p_options_ended = true;
        } else if (p_options_ended || (!is_help_word(arg) && arg != G_version_option)) {
            files += (files.empty() ? "" : ", ") + given_text(arg);
        }
    }
    return files;
}

// After a Ctrl-C, one line names the label files left on the command line, if any.
void report_files_not_run(const std::vector<std::string>& p_args, std::size_t p_first,
                          bool p_options_ended) {
    const console_message_t files = label_files(p_args, p_first, p_options_ended);
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
    if (const std::string* unknown = first_unknown_option(p_args)) {
        printf_error_message(G_program + ": unknown option " + given_text(*unknown) +
                             " (see --help)\r\n");
        return G_usage_status;
    }
    // Only a label file reaches the service: help words and --version run whatever the port.
    // A port that cannot be had is a wrong way to start the program, as an unknown option
    // is (nothing read or connected), not a label file's failed run (1).
    if (!label_files(p_args, 1, false).empty() &&
        !use_chosen_service_port(G_program, nullptr, zel_config_env::instance().zel_service)) {
        return G_usage_status;
    }
    const std::string& program = p_args[0];
    printf_str_color("Launch " + given_text(program) + "\r\n", GREEN);
    Status ret_status = SUCCESS;
    bool options_ended = false;
    for (std::size_t arg_idx = 1; arg_idx < p_args.size(); ++arg_idx) {
        const std::string& arg = p_args[arg_idx];
        if (!options_ended && arg == G_end_of_options) {
            options_ended = true;
        } else if (!options_ended && is_help_word(arg)) {
            write_label_user_manual(program);
        } else if (!options_ended && arg == G_version_option) {
            printf_str(G_program + " " + G_project_version + "\r\n");
        } else if (read_and_transfer_label_configuration(arg) == FAIL) {
            // Every other word, the find words included, names a label file. One file that
            // failed fails the run, whatever the files after it do.
            ret_status = FAIL;
        }
        // A rehearsal that found the show's service stops at once: nothing was sent to it.
        if (zel_config_env::instance().zel_service.refused_as_not_simulated()) {
            return G_usage_status;
        }
        // A Ctrl-C caught while this file ran, up to its very end, stops the run.
        if (platform::interrupted()) {
            report_files_not_run(p_args, arg_idx + 1, options_ended);
            return FAIL;
        }
    }
    return ret_status;
}
