// The program: its command line, its label files (or undo record) read first, then synced one
// after another.
#include "basic_type/command_line.h"
#include "device_core/output_text.h"
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
const char G_force[] = "--force";
const char G_save_undo[] = "--save-undo";
const char G_undo[] = "--undo";
const char G_device[] = "--device";

const std::vector<option_rule_t> G_table = {
    {G_help, nullptr, false, "-h"},
    {G_version},
    {G_yes},
    {G_dry_run},
    {G_json},
    {G_force},
    {G_save_undo, option_file_value},
    {G_undo, option_file_value},
    {G_device, option_device_value, true},
    {zel_service_port_option, option_port_value},
    {zel_connections_option, option_count_value},
};
const std::vector<option_conflict_t> G_conflicts = {{G_yes, G_dry_run}};

// What the options ask together must make one job.
bool check_job(const sync_job::options_t& p_options, bool p_help_or_version, std::string& p_what) {
    const bool undo = !p_options.m_undo.empty();
    if (undo && !p_options.m_files.empty()) {
        p_what = std::string(G_undo) + " takes its devices from its record, not from a label file";
    } else if (!undo && p_options.m_files.empty() && !p_help_or_version) {
        p_what = "no label file given";
    } else if (p_options.m_force && p_options.m_save_undo.empty()) {
        p_what = std::string(G_force) + " goes with " + G_save_undo;
    }
    return p_what.empty();
}

// The undo record is checked, and its folder tried, before anything is read: false after
// the message when it could not be written.
bool undo_record_can_be_written(const sync_job::options_t& p_options) {
    if (p_options.m_save_undo.empty()) {
        return true;
    }
    platform::output_file_t record;
    std::string reason;
    const platform::output_result_t result =
        record.open(p_options.m_save_undo, p_options.m_force, reason);
    if (result != platform::OUTPUT_OK) {
        printf_error_message(output_refused(p_options.m_save_undo, result, reason, false));
        return false;
    }
    record.discard();
    return true;
}

// Reads every file first: a --device name no file targets is a usage error before anything
// is connected. False after saying it.
bool read_files(const sync_job::options_t& p_options, std::vector<sync_job::file_sync_t>& p_files) {
    if (!p_options.m_undo.empty()) {
        p_files.push_back(sync_job::read_record(p_options.m_undo));
    }
    for (const std::string& file : p_options.m_files) {
        p_files.push_back(sync_job::read_file(file));
    }
    std::vector<std::vector<label_file_target_t>> targets;
    for (const sync_job::file_sync_t& file : p_files) {
        targets.emplace_back();
        for (const sync_job::device_sync_t& device : file.m_devices) {
            targets.back().push_back(label_file_target_t{device.m_name, {}, 0});
        }
    }
    const std::string unknown = name_of_no_target(targets, p_options.m_only);
    if (!unknown.empty()) {
        tell_usage_error(
            console_message_t(PROGRAM_TEXT,
                              usage_line(sync_msg::program, sync_msg::no_such_target(unknown))),
            p_options.m_json);
        return false;
    }
    return true;
}

}  // namespace

bool sync_job::parse_options(const std::vector<std::string>& p_args, options_t& p_options,
                             bool& p_help, bool& p_version, std::string& p_what) {
    command_line_t line;
    if (!parse_command_line(G_table, G_conflicts, p_args, line, p_what)) {
        return false;
    }
    p_help = line.has(G_help);
    p_version = line.has(G_version);
    p_options.m_port = line.value(zel_service_port_option);
    p_options.m_connections = line.value(zel_connections_option);
    p_options.m_yes = line.has(G_yes);
    p_options.m_dry_run = line.has(G_dry_run);
    p_options.m_json = line.has(G_json);
    p_options.m_force = line.has(G_force);
    p_options.m_save_undo = line.value(G_save_undo);
    p_options.m_undo = line.value(G_undo);
    p_options.m_only = line.values(G_device);
    p_options.m_files = line.m_operands;
    return check_job(p_options, p_help || p_version, p_what);
}

namespace {

// The program but for the check of its standard output.
job_status_t run_sync_program(const std::vector<std::string>& p_args) {
    sync_job::options_t options;
    bool help = false;
    bool version = false;
    std::string what;
    const std::vector<std::string> words(p_args.begin() + (p_args.empty() ? 0 : 1), p_args.end());
    const bool json = option_given(words, G_json);
    if (!sync_job::parse_options(words, options, help, version, what)) {
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
    std::size_t connections = 1;
    if (!use_chosen_links(sync_msg::program, options.m_port, options.m_connections, json, link,
                          connections)) {
        return JOB_FAILED;
    }
    service_connections links(link, connections);
    if (options.m_json) {
        messages_to_standard_error();  // the JSON alone goes to standard output
    }
    std::vector<sync_job::file_sync_t> files;
    if (!undo_record_can_be_written(options) || !read_files(options, files)) {
        return JOB_FAILED;
    }
    sync_job::run_t run{links, options, files.size(), {}, false, false, false};
    std::vector<std::string> not_run;
    for (sync_job::file_sync_t& file : files) {
        if (platform::interrupted()) {
            file.m_state = sync_job::FILE_NOT_RUN;
            file.m_devices.clear();  // none was looked at
            not_run.push_back(file.m_file);
        } else {
            sync_job::sync_file(run, file);
        }
    }
    if (!not_run.empty()) {
        printf_error_message(sync_msg::files_not_run(not_run));
    }
    if (!options.m_save_undo.empty()) {
        printf_str(run.m_written.empty() ? sync_msg::no_undo_record(options.m_save_undo)
                   : run.m_record_failed
                       ? console_message_t()
                       : sync_msg::undo_hint(options.m_save_undo, link.service_port()));
    }
    std::string reason;
    if (options.m_json &&
        !platform::write_standard_output(
            sync_job::run_json(files, options.m_dry_run, link.greeting(), links.accepted()),
            reason)) {
        printf_error_message(standard_output_failed(reason));
        return JOB_FAILED;
    }
    return sync_job::run_status(files);
}

}  // namespace

int sync_brimel_label_main(const std::vector<std::string>& p_args) {
    return checked_output_status(run_sync_program(p_args));
}
