// The program: its command line, and the output its jobs write, checked before any read.
#include "read_brimel_label/read_brimel_label.h"

#include "basic_type/command_line.h"
#include "read_brimel_label/read_messages.h"
#include "read_brimel_label/read_output.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

const char G_output_option[] = "-o";
const char G_force_option[] = "--force";
const char G_verify_option[] = "--verify";
const char G_capture_option[] = "--capture";
const char G_help_option[] = "--help";
const char G_version_option[] = "--version";
const char G_list_option[] = "--list";
const char G_json_option[] = "--json";
const char G_device_option[] = "--device";

const std::vector<option_rule_t> G_table = {
    {G_help_option, nullptr, false, "-h"},
    {G_version_option},
    {G_output_option, option_file_value, false, "--output"},
    {G_force_option},
    {G_verify_option, option_file_value, false, nullptr, true},
    {G_capture_option, option_file_value},
    {G_list_option},
    {G_json_option},
    {zel_service_port_option, option_port_value},
    {zel_connections_option, option_count_value},
    {G_device_option, option_device_value, true},
};

// What the options ask together must make one job.
bool check_job(const read_options_t& p_options, std::string& p_what) {
    if (!p_options.m_verify.empty() &&
        (!p_options.m_devices.empty() || !p_options.m_output.empty())) {
        p_what =
            std::string(G_verify_option) + " takes its devices from its file and writes no backup";
    } else if (!p_options.m_capture.empty() &&
               (!p_options.m_devices.empty() || !p_options.m_output.empty() ||
                !p_options.m_verify.empty())) {
        p_what = std::string(G_capture_option) + " reads every device and writes only its file";
    } else if (p_options.m_list && (!p_options.m_devices.empty() || !p_options.m_output.empty() ||
                                    !p_options.m_verify.empty() || !p_options.m_capture.empty())) {
        p_what = std::string(G_list_option) + " lists the whole network and writes no file";
    } else if (p_options.m_force && p_options.m_output.empty() && p_options.m_capture.empty()) {
        p_what = std::string(G_force_option) + " goes with -o or --capture";
    } else if (!p_options.m_only.empty() && p_options.m_verify.empty()) {
        p_what = std::string(G_device_option) + " goes with --verify";
    } else if (p_options.m_json && !p_options.m_list && p_options.m_verify.empty()) {
        p_what = std::string(G_json_option) + " goes with --list or --verify";
    }
    return p_what.empty();
}

}  // namespace

bool parse_read_options(const std::vector<std::string>& p_args, read_options_t& p_options,
                        std::string& p_what) {
    command_line_t line;
    if (!parse_command_line(G_table, {}, p_args, line, p_what)) {
        return false;
    }
    p_options.m_help = line.has(G_help_option);
    p_options.m_version = line.has(G_version_option);
    p_options.m_devices = line.m_operands;
    p_options.m_output = line.value(G_output_option);
    p_options.m_force = line.has(G_force_option);
    p_options.m_verify = line.value(G_verify_option);
    p_options.m_capture = line.value(G_capture_option);
    p_options.m_list = line.has(G_list_option);
    p_options.m_json = line.has(G_json_option);
    p_options.m_port = line.value(zel_service_port_option);
    p_options.m_connections = line.value(zel_connections_option);
    p_options.m_only = line.values(G_device_option);
    return check_job(p_options, p_what);
}

namespace {

// The program but for the check of its standard output.
job_status_t run_read_program(const std::vector<std::string>& p_args) {
    read_options_t options;
    std::string what;
    const std::vector<std::string> words(p_args.begin() + (p_args.empty() ? 0 : 1), p_args.end());
    const bool json = option_given(words, G_json_option);
    if (!parse_read_options(words, options, what)) {
        // The line quotes the operator's words: shown by the terminal rule.
        tell_usage_error(given_text(usage_line(read_msg::program, what, "")) + "\r\n", json);
        return JOB_FAILED;
    }
    if (options.m_help) {
        printf_str_color(read_user_manual_text(), CYAN);
        return JOB_DONE;
    }
    if (options.m_version) {
        printf_str(read_msg::version());
        return JOB_DONE;
    }
    socket_handle link;
    std::size_t connections = 1;
    if (!use_chosen_links(read_msg::program, options.m_port, options.m_connections, json, link,
                          connections)) {
        return JOB_FAILED;
    }
    service_connections links(link, connections);
    // Standard output carries the results alone (a backup, the list, a verdict, JSON): the
    // greeting, the progress and every message go to standard error.
    messages_to_standard_error();
    if (options.m_list) {
        return read_job::list(links, options.m_json);
    }
    if (!options.m_capture.empty()) {
        return read_job::capture(links, options);
    }
    return options.m_verify.empty() ? read_job::back_up(links, options)
                                    : read_job::verify(links, options);
}

}  // namespace

int read_brimel_label_main(const std::vector<std::string>& p_args) {
    // Before anything else: whatever follows, no memory write can leave this program.
    refuse_memory_writes();
    return checked_output_status(run_read_program(p_args));
}
