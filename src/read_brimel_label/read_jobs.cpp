// The jobs of the program: the backup, --verify and --capture, each telling the operator
// what it found and what it could not do.
#include "read_brimel_label/read_brimel_label.h"

#include <algorithm>
#include <unordered_set>

#include "basic_type/command_line.h"
#include "basic_type/json_text.h"
#include "device_core/backup_text.h"
#include "device_core/label_compare.h"
#include "device_core/label_reading.h"
#include "device_core/network_capture.h"
#include "device_core/network_view.h"
#include "file_parser/file_parser.h"
#include "platform/clock.h"
#include "platform/interrupt.h"
#include "platform/output_file.h"
#include "project_version.h"
#include "read_brimel_label/read_messages.h"
#include "read_brimel_label/read_output.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace read_job {

namespace {

// The ambiguity warning ends "It is not read.".
const char G_not_done[] = "read";

// The kinds of the JSON error, in the order of trouble_t; docs/json.md describes them.
const char* const G_kinds[] = {"file", "service not reached", "listing refused", "no listing",
                               "stopped"};

trouble_t trouble_of(look_trouble_t p_trouble) {
    return p_trouble == LOOK_STOPPED       ? TROUBLE_STOPPED
           : p_trouble == LOOK_NOT_REACHED ? TROUBLE_NOT_REACHED
           : p_trouble == LOOK_REFUSED     ? TROUBLE_LISTING_REFUSED
                                           : TROUBLE_NO_LISTING;
}

// A name to read, what it means on the network and, when found or not compatible, what its
// device answered.
struct target_t {
    target_lookup_t m_target;
    bool m_readable = true;  // a found device whose name a label file can give

    const std::string& name() const { return m_target.m_name; }
    name_state_t state() const { return m_target.m_lookup.m_state; }
    const net_device_info_t* device() const { return m_target.m_lookup.m_device; }
    bool can_be_read() const { return state() == NAME_FOUND && m_readable; }
};

// The listed devices that gave no information answer, each warned about; for p_left_out.
void unanswered(const network_view_t& p_view, std::vector<std::string>& p_left_out) {
    for (const network_device_t& device : p_view.m_devices) {
        if (!device.m_answered) {
            printf_error_message(read_msg::no_answer(device.m_identifier));
            p_left_out.push_back(read_msg::left_out_no_answer(device.m_identifier));
        }
    }
}

// What a name that cannot be read is, for the top of a backup.
std::string left_out_text(const target_t& p_target, const std::string& p_mac) {
    const std::string& name = p_target.name();
    switch (p_target.state()) {
        case NAME_AMBIGUOUS:
            return read_msg::left_out_ambiguous(name);
        case NAME_NOT_FOUND:
            return read_msg::left_out_not_found(name, p_target.m_target.m_unanswered);
        case NAME_NOT_COMPATIBLE:
            return read_msg::left_out_not_compatible(name, p_mac);
        default:
            return read_msg::left_out_not_nameable(name, p_mac);
    }
}

// How each name finds its device, in order, after a warning about each that cannot be read:
// first, when a name was not found, the listed devices that gave no information answer (that
// name may be one of theirs), then each name not found, not compatible, ambiguous, or not a
// section name; what each of those is goes to p_left_out, when given (a backup's).
std::vector<target_t> look_up(const network_view_t& p_view, const std::vector<std::string>& p_names,
                              std::vector<std::string>* p_left_out) {
    std::vector<target_t> targets;
    targets.reserve(p_names.size());
    bool unanswered_may_be_it = false;
    for (target_lookup_t& lookup : look_up_targets(p_view, p_names)) {
        unanswered_may_be_it = unanswered_may_be_it || lookup.m_unanswered;
        targets.push_back(target_t{std::move(lookup)});
    }
    std::vector<std::string> unanswered_left_out;
    if (unanswered_may_be_it) {
        unanswered(p_view, p_left_out != nullptr ? *p_left_out : unanswered_left_out);
    }
    for (target_t& target : targets) {
        const std::string mac = target.device() != nullptr ? target.device()->m_mac : "";
        printf_error_message(target_warning(p_view, target.m_target, G_not_done));
        if (target.state() == NAME_FOUND && !is_section_name(target.name())) {
            printf_error_message(read_msg::not_nameable(target.name(), mac));
            target.m_readable = false;
        }
        if (p_left_out != nullptr && !target.can_be_read()) {
            p_left_out->push_back(left_out_text(target, mac));
        }
    }
    return targets;
}

// The names given once each, in order; none given: every compatible device that answered,
// in the order they answered.
std::vector<std::string> names_to_read(const network_view_t& p_view,
                                       const std::vector<std::string>& p_names) {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (const std::string& name : p_names) {
        if (seen.insert(name).second) {
            names.push_back(name);
        }
    }
    if (!p_names.empty()) {
        return names;
    }
    for (const network_device_t& device : p_view.m_devices) {
        if (device.m_answered && device.m_info.is_compatible() &&
            seen.insert(device.m_info.m_alias).second) {
            names.push_back(device.m_info.m_alias);
        }
    }
    return names;
}

// The devices a job read whole, and those it was to read and did not, for the report of a stop.
struct reading_t {
    std::vector<std::string> m_read;
    std::vector<std::string> m_not_read;
};

// Reads a device's label area on a progress line with its live count and its outcome, " OK",
// " STOPPED", or " FAILED" followed by what failed. Unless a Ctrl-C came before: then nothing
// is asked of it. p_reading counts it read or not.
area_read_t read_device(socket_handle& p_link, const network_view_t& p_view,
                        const std::string& p_name, const std::string& p_mac, reading_t& p_reading) {
    area_read_t read;
    if (platform::interrupted()) {
        read.m_state = AREA_STOPPED;
    } else {
        progress_line line(read_msg::reading(p_name), label_area_pages);
        read = read_device_area(p_link, p_view.m_keys, p_mac, &line.counter());
        line.end(read.m_state == AREA_READ      ? LINE_OK
                 : read.m_state == AREA_STOPPED ? LINE_STOPPED
                                                : LINE_FAILED);
        if (read.m_state == AREA_UNSAFE || read.m_state == AREA_NOT_READ) {
            printf_error_message(read.m_state == AREA_UNSAFE
                                     ? read_msg::area_unsafe(p_name, read.m_location)
                                     : read_msg::read_failed_at(p_name, read));
        }
    }
    (read.m_state == AREA_READ ? p_reading.m_read : p_reading.m_not_read).push_back(p_name);
    return read;
}

// After the devices were read: a Ctrl-C that came meanwhile fails the job, saying which
// devices were read and which not.
bool stop_reported(const reading_t& p_reading, bool p_json) {
    if (!platform::interrupted()) {
        return false;
    }
    fail(TROUBLE_STOPPED, read_msg::stopped(p_reading.m_read, p_reading.m_not_read), p_json);
    return true;
}

// The text of each device read, one after another; what could not be read goes to
// p_left_out.
std::string backup_body(socket_handle& p_link, const network_view_t& p_view,
                        const std::vector<target_t>& p_targets,
                        std::vector<std::string>& p_left_out, reading_t& p_reading) {
    std::string body;
    for (const target_t& target : p_targets) {
        if (!target.can_be_read()) {
            continue;
        }
        const std::string& name = target.name();
        const std::string& mac = target.device()->m_mac;
        const area_read_t read = read_device(p_link, p_view, name, mac, p_reading);
        if (read.m_state != AREA_READ) {
            p_left_out.push_back(read.m_state == AREA_UNSAFE
                                     ? read_msg::left_out_unsafe(name, mac, read.m_location)
                                     : read_msg::left_out_unread(name, mac, read.m_failed_page));
            continue;
        }
        std::vector<entry_note_t> notes;
        body += (body.empty() ? "" : "\r\n") + device_backup_text(name, mac, read.m_entries, notes);
        for (const entry_note_t& note : notes) {
            printf_error_message(read_msg::entry_warning(name, note));
        }
    }
    return body;
}

// Reads a compatible device whole for the capture; an area over its location bytes is not
// read, and its location bytes are kept without it. FAIL when the device could not be read.
Status capture_area(socket_handle& p_link, const network_view_t& p_view,
                    const network_device_t& p_device, captured_area_t& p_area,
                    reading_t& p_reading) {
    const area_read_t read =
        read_device(p_link, p_view, p_device.m_info.m_alias, p_device.m_identifier, p_reading);
    p_area.m_location = read.m_location;
    p_area.m_entries = read.m_entries;
    return read.m_state == AREA_READ || read.m_state == AREA_UNSAFE ? SUCCESS : FAIL;
}

// The verdict on a device is the result on standard output; beside JSON, a message.
void print_verdict(const console_message_t& p_text, color_code_t p_color, bool p_json) {
    if (p_json) {
        printf_str_color(p_text, p_color);
    } else {
        printf_result_color(p_text, p_color);
    }
}

// Tells whether the device holds what the update would write, or each difference.
void report(const label_file_target_t& p_target, const std::string& p_mac,
            const std::vector<entry_difference_t>& p_differences, const std::string& p_file,
            bool p_json) {
    if (p_differences.empty()) {
        print_verdict(read_msg::matches(p_target.m_name, p_mac, p_file, p_target.m_presets.size()),
                      GREEN, p_json);
        return;
    }
    print_verdict(read_msg::differs(p_target.m_name, p_mac, p_file), RED, p_json);
    print_verdict(read_msg::difference_lines(p_differences), RESET, p_json);
}

// What a verify found of one target of the file.
struct verify_result_t {
    std::string m_name;
    std::string m_mac;    // empty when not found
    const char* m_state;  // as the JSON says it
    job_status_t m_status;
    std::vector<entry_difference_t> m_differences;
};

// Reads and compares one target, or says why it cannot be.
verify_result_t verify_target(socket_handle& p_link, const network_view_t& p_view,
                              const target_t& p_target, const label_file_target_t& p_file_target,
                              const std::string& p_file, bool p_json, reading_t& p_reading) {
    verify_result_t result{p_target.name(),
                           p_target.device() != nullptr ? p_target.device()->m_mac : "",
                           "same",
                           JOB_DONE,
                           {}};
    if (p_target.m_target.m_unanswered) {
        // Not proven different: the service did not tell which device it is.
        result.m_state = "no information answer";
        result.m_status = JOB_FAILED;
        return result;
    }
    if (p_target.state() != NAME_FOUND) {
        result.m_state = p_target.state() == NAME_NOT_FOUND        ? "not found"
                         : p_target.state() == NAME_NOT_COMPATIBLE ? "not compatible"
                                                                   : "ambiguous";
        result.m_status = JOB_DIFFERS;
        return result;
    }
    const area_read_t read = read_device(p_link, p_view, p_target.name(), result.m_mac, p_reading);
    if (read.m_state != AREA_READ) {
        result.m_state = "not read";
        result.m_status = JOB_FAILED;
        return result;
    }
    result.m_differences = entry_differences(p_file_target.m_presets, read.m_entries);
    report(p_file_target, result.m_mac, result.m_differences, p_file, p_json);
    if (!result.m_differences.empty()) {
        result.m_state = "differs";
        result.m_status = JOB_DIFFERS;
    }
    return result;
}

std::string fields_json(const label_preset_t& p_fields) {
    return json_object({{"label", json_cp850_string(p_fields.label)},
                        {"device", json_cp850_string(p_fields.device_id)},
                        {"channel", json_cp850_string(p_fields.channel_id)}});
}

std::string difference_json(const entry_difference_t& p_difference) {
    const char* const kinds[] = {"changed", "added", "erased"};
    return json_object({{"entry", json_number(static_cast<long long>(p_difference.m_number))},
                        {"kind", json_string(kinds[p_difference.m_kind])},
                        {"expected", fields_json(p_difference.m_expected)},
                        {"found", fields_json(p_difference.m_found)}});
}

// What the verify found, for a script: the file, its refused label lines, and each target
// with its state and differing entries.
std::string verify_json(const std::string& p_file, const std::vector<verify_result_t>& p_results) {
    std::vector<std::string> lines;
    for (const uint32_t line : refused_line_numbers()) {
        lines.push_back(json_number(line));
    }
    std::vector<std::string> targets;
    for (const verify_result_t& result : p_results) {
        std::vector<std::string> differences;
        for (const entry_difference_t& difference : result.m_differences) {
            differences.push_back(difference_json(difference));
        }
        targets.push_back(json_object(
            {{"name", json_cp850_string(result.m_name)},
             {"mac", result.m_mac.empty() ? json_null : json_cp850_string(result.m_mac)},
             {"state", json_string(result.m_state)},
             {"differences", json_array(differences)}}));
    }
    return json_result({{"file", json_string(p_file)},
                        {"refused_lines", json_array(lines)},
                        {"targets", json_array(targets)}});
}

// Each refused label line, with the shift it puts on the presets after it.
job_status_t report_refused_lines(const std::string& p_file) {
    for (const refused_line_t& line : refused_label_lines()) {
        printf_error_message(refused_line_warning(p_file, line));
    }
    return refused_label_lines().empty() ? JOB_DONE : JOB_DIFFERS;
}

}  // namespace

bool print_result(const std::string& p_text) {
    std::string reason;
    if (!platform::write_standard_output(p_text, reason)) {
        printf_error_message(standard_output_failed(reason));
        return false;
    }
    return true;
}

job_status_t fail(trouble_t p_trouble, const console_message_t& p_message, bool p_json) {
    printf_error_message(p_message);
    if (p_json) {
        print_result(json_error_result(G_kinds[p_trouble], p_message.shown(false)));
    }
    return JOB_FAILED;
}

job_status_t fail(trouble_t p_trouble, const std::string& p_words, bool p_json) {
    return fail(p_trouble, console_message_t(PROGRAM_TEXT, p_words), p_json);
}

bool look(socket_handle& p_link, network_view_t& p_view, bool p_json) {
    // From the first command on, Ctrl-C stops the job instead of ending the program.
    platform::catch_interrupts();
    look_at_network(p_link, p_view);
    show_greeting(p_view.m_greeting);
    const look_trouble_t trouble = look_trouble(p_view);
    if (trouble == LOOK_NOT_REACHED) {
        printf_error_message(p_view.m_not_reached);
    }
    if (trouble != LOOK_DONE) {
        fail(trouble_of(trouble), look_trouble_message(trouble, p_view, G_not_done), p_json);
        return false;
    }
    if (p_view.m_link_lost) {
        printf_error_message(link_lost_warning);
    }
    return true;
}

job_status_t back_up(socket_handle& p_link, const read_options_t& p_options) {
    read_output_t output;
    if (!open_read_output(p_options.m_output, p_options.m_force, output)) {
        return JOB_FAILED;
    }
    network_view_t view;
    if (!look(p_link, view, false)) {
        abandon_read_output(output, read_msg::backup_not_written);
        return JOB_FAILED;
    }
    std::vector<std::string> left_out;
    if (p_options.m_devices.empty()) {
        unanswered(view, left_out);
    }
    const std::vector<target_t> targets =
        look_up(view, names_to_read(view, p_options.m_devices), &left_out);
    if (std::none_of(targets.begin(), targets.end(),
                     [](const target_t& p_target) { return p_target.can_be_read(); })) {
        printf_error_message(read_msg::no_device);
        abandon_read_output(output, read_msg::backup_not_written);
        return JOB_FAILED;
    }
    reading_t reading;
    const std::string body = backup_body(p_link, view, targets, left_out, reading);
    if (stop_reported(reading, false)) {
        abandon_read_output(output, read_msg::backup_not_written);
        return JOB_FAILED;
    }
    const std::string text =
        read_msg::backup_head(platform::local_date_time(), view.m_name, left_out) + body;
    // A device whose name no label file can give is in no backup, ever: it does not keep a
    // backup of every other device from replacing the file.
    const std::size_t never = static_cast<std::size_t>(
        std::count_if(targets.begin(), targets.end(), [](const target_t& p_target) {
            return p_target.state() == NAME_FOUND && !p_target.m_readable;
        }));
    if (!finish_read_output(output, text, left_out.size() == never, read_msg::backup_written,
                            read_msg::backup_not_written)) {
        return JOB_FAILED;
    }
    return left_out.empty() ? JOB_DONE : JOB_FAILED;
}

job_status_t verify(socket_handle& p_link, const std::string& p_file, bool p_json) {
    if (read_label_file(p_file, help_options) == FAIL) {
        return fail(TROUBLE_FILE, read_msg::file_not_read(p_file), p_json);
    }
    job_status_t status = report_refused_lines(p_file);
    const std::vector<label_file_target_t> file_targets = label_file_targets();
    std::vector<verify_result_t> results;
    network_view_t view;
    if (file_targets.empty()) {
        printf_error_message(read_msg::no_target(p_file));
        status = JOB_DIFFERS;
    } else if (!look(p_link, view, p_json)) {
        return JOB_FAILED;
    }
    std::vector<std::string> names;
    names.reserve(file_targets.size());
    for (const label_file_target_t& target : file_targets) {
        names.push_back(target.m_name);
    }
    reading_t reading;
    const std::vector<target_t> targets = look_up(view, names, nullptr);
    for (std::size_t k = 0; k < targets.size(); ++k) {
        // The targets keep the file's order: each has its presets at its own place.
        verify_result_t result =
            verify_target(p_link, view, targets[k], file_targets[k], p_file, p_json, reading);
        status = std::max(status, result.m_status);
        if (p_json) {
            results.push_back(std::move(result));  // only a script's JSON needs them all
        }
    }
    if (stop_reported(reading, p_json)) {
        return JOB_FAILED;
    }
    if (p_json && !print_result(verify_json(p_file, results))) {
        return JOB_FAILED;
    }
    return status;
}

job_status_t capture(socket_handle& p_link, const read_options_t& p_options) {
    read_output_t output;
    if (!open_read_output(p_options.m_capture, p_options.m_force, output)) {
        return JOB_FAILED;
    }
    network_view_t view;
    const bool listed = look(p_link, view, false);
    if (listed && view.m_devices.empty()) {
        printf_error_message(read_msg::nothing_listed);
    }
    if (!listed || view.m_devices.empty()) {
        abandon_read_output(output, read_msg::capture_not_written);
        return JOB_FAILED;
    }
    job_status_t status = view.m_link_lost ? JOB_FAILED : JOB_DONE;
    std::string text = capture_head(view, G_project_version);
    reading_t reading;
    for (const network_device_t& device : view.m_devices) {
        captured_area_t area;
        if (!device.m_answered) {
            printf_error_message(read_msg::no_answer(device.m_identifier));
            text += uncaptured_device_text(device);
            status = JOB_FAILED;
        } else if (!device.m_info.is_compatible()) {
            text += captured_device_text(device, nullptr);
        } else if (capture_area(p_link, view, device, area, reading) == SUCCESS) {
            text += captured_device_text(device, &area);
        } else {
            text += unread_device_text(device);
            status = JOB_FAILED;
        }
    }
    if (stop_reported(reading, false)) {
        abandon_read_output(output, read_msg::capture_not_written);
        return JOB_FAILED;
    }
    return finish_read_output(output, text, status == JOB_DONE, read_msg::capture_written,
                              read_msg::capture_not_written)
               ? status
               : JOB_FAILED;
}

}  // namespace read_job
