// The program: its command line, and the label files it syncs one after another.
#include "basic_type/command_line.h"
#include "platform/interrupt.h"
#include "platform/output_file.h"
#include "sync_brimel_label/sync_brimel_label.h"
#include "sync_brimel_label/sync_messages.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

const char G_help[] = "--help";
const char G_version[] = "--version";
const char G_yes[] = "--yes";
const char G_dry_run[] = "--dry-run";
const char G_json[] = "--json";

const std::vector<option_spec_t> G_table = {
    {G_help, nullptr, false, "-h"},
    {G_version},
    {G_yes},
    {G_dry_run},
    {G_json},
    {zel_service_port_option, "a port number"},
};
const std::vector<option_conflict_t> G_conflicts = {{G_yes, G_dry_run}};

}  // namespace

bool sync_job::parse_options(const std::vector<std::string>& p_args, options_t& p_options,
                             bool& p_help, bool& p_version, std::string& p_port,
                             std::string& p_what) {
    command_line_t line;
    if (!parse_command_line(G_table, G_conflicts, p_args, line, p_what)) {
        return false;
    }
    p_help = line.has(G_help);
    p_version = line.has(G_version);
    p_port = line.value(zel_service_port_option);
    p_options.m_yes = line.has(G_yes);
    p_options.m_dry_run = line.has(G_dry_run);
    p_options.m_json = line.has(G_json);
    p_options.m_files = line.m_operands;
    if (p_options.m_files.empty() && !p_help && !p_version) {
        p_what = "no label file given";
        return false;
    }
    return true;
}

namespace {

// The program but for the check of its standard output.
job_status_t run_sync_program(const std::vector<std::string>& p_args) {
    sync_job::options_t options;
    bool help = false;
    bool version = false;
    std::string port;
    std::string what;
    const std::vector<std::string> words(p_args.begin() + (p_args.empty() ? 0 : 1), p_args.end());
    const bool json = option_given(words, G_json);
    if (!sync_job::parse_options(words, options, help, version, port, what)) {
        // The line quotes the operator's words: shown by the terminal rule.
        tell_usage_error(given_text(usage_line(sync_msg::program, what, "")) + "\r\n", json);
        return JOB_FAILED;
    }
    if (help) {
        printf_str_color(sync_user_manual_text(), CYAN);
        return JOB_DONE;
    }
    if (version) {
        printf_str(sync_msg::version());
        return JOB_DONE;
    }
    socket_handle link;
    link.keep_quiet();  // each failure is told with the device it belongs to
    if (!use_chosen_service_port(sync_msg::program, port.empty() ? nullptr : &port, link, json)) {
        return JOB_FAILED;
    }
    if (options.m_json) {
        messages_to_standard_error();  // the JSON alone goes to standard output
    }
    std::vector<sync_job::file_sync_t> files;
    std::vector<std::string> not_run;
    for (const std::string& file : options.m_files) {
        if (platform::interrupted()) {
            files.push_back(sync_job::file_sync_t{file, sync_job::FILE_NOT_RUN, {}, {}});
            not_run.push_back(file);
        } else {
            files.push_back(sync_job::sync_file(link, file, options));
        }
    }
    if (!not_run.empty()) {
        printf_error_message(sync_msg::files_not_run(not_run));
    }
    std::string reason;
    if (options.m_json &&
        !platform::write_standard_output(sync_job::run_json(files, options.m_dry_run), reason)) {
        printf_error_message(standard_output_failed(reason));
        return JOB_FAILED;
    }
    return sync_job::run_status(files);
}

}  // namespace

int sync_brimel_label_main(const std::vector<std::string>& p_args) {
    return checked_output_status(run_sync_program(p_args));
}
