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
#include "device_core/output_text.h"
#include "device_core/venue_report.h"
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
        const console_message_t warning = target_warning(p_view, target.m_target, G_not_done);
        if (!warning.empty()) {
            printf_error_message(warning);
        }
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

// Reads the devices as one venue, on one progress line with its live count and its outcome,
// " OK", " STOPPED", or " FAILED" followed by each device that failed and why. Nothing is
// asked of any once a Ctrl-C came. p_reading counts each read or not.
std::vector<area_read_t> read_devices(service_connections& p_links, const network_view_t& p_view,
                                      const std::vector<std::string>& p_names,
                                      const std::vector<std::string>& p_macs,
                                      reading_t& p_reading) {
    std::vector<area_read_t> reads(p_macs.size());
    if (!p_macs.empty() && !platform::interrupted()) {
        progress_line line(reading_head(p_names), p_macs.size());
        reads = read_device_areas(p_links, p_view.m_keys, whole_areas(p_macs), &line);
        line.end(reading_outcome(reads));
    }
    for (std::size_t k = 0; k < reads.size(); ++k) {
        const area_read_t& read = reads[k];
        if (platform::interrupted() && read.m_state != AREA_READ) {
            reads[k].m_state = AREA_STOPPED;
        } else if (read.m_state == AREA_UNSAFE) {
            printf_error_message(read_msg::area_unsafe(p_names[k], read.m_location));
        } else if (read.m_state == AREA_NOT_READ) {
            printf_error_message(read_msg::read_failed_at(p_names[k], read));
        }
        (read.m_state == AREA_READ ? p_reading.m_read : p_reading.m_not_read).push_back(p_names[k]);
    }
    return reads;
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
std::string backup_body(service_connections& p_links, const network_view_t& p_view,
                        const std::vector<target_t>& p_targets,
                        std::vector<std::string>& p_left_out, reading_t& p_reading) {
    std::vector<std::string> names;
    std::vector<std::string> macs;
    for (const target_t& target : p_targets) {
        if (target.can_be_read()) {
            names.push_back(target.name());
            macs.push_back(target.device()->m_mac);
        }
    }
    const std::vector<area_read_t> reads = read_devices(p_links, p_view, names, macs, p_reading);
    std::string body;
    for (std::size_t k = 0; k < reads.size(); ++k) {
        const area_read_t& read = reads[k];
        if (read.m_state != AREA_READ) {
            p_left_out.push_back(
                read.m_state == AREA_UNSAFE
                    ? read_msg::left_out_unsafe(names[k], macs[k], read.m_location)
                    : read_msg::left_out_unread(names[k], macs[k], read.m_failed_page));
            continue;
        }
        std::vector<entry_note_t> notes;
        body += (body.empty() ? "" : "\r\n") +
                device_backup_text(names[k], macs[k], read.m_entries, notes);
        for (const entry_note_t& note : notes) {
            printf_error_message(read_msg::entry_warning(names[k], note));
        }
    }
    return body;
}

// What a verify found of one target of the file.
struct verify_result_t {
    std::string m_name;
    std::string m_mac;    // empty when not found
    const char* m_state;  // as the JSON says it
    job_status_t m_status;
    std::vector<entry_difference_t> m_differences;
};

// What a target is before its read, or why it cannot be read.
verify_result_t looked_up(const target_t& p_target) {
    verify_result_t result{p_target.name(),
                           p_target.device() != nullptr ? p_target.device()->m_mac : "",
                           "same",
                           JOB_DONE,
                           {}};
    if (p_target.m_target.m_unanswered) {
        // Not proven different: the service did not tell which device it is.
        result.m_state = "no information answer";
        result.m_status = JOB_FAILED;
    } else if (p_target.state() != NAME_FOUND) {
        result.m_state = p_target.state() == NAME_NOT_FOUND        ? "not found"
                         : p_target.state() == NAME_NOT_COMPATIBLE ? "not compatible"
                                                                   : "ambiguous";
        result.m_status = JOB_DIFFERS;
    }
    return result;
}

// A read target compared with what the file would write.
void compare(const area_read_t& p_read, const label_file_target_t& p_file_target,
             verify_result_t& p_result) {
    if (p_read.m_state != AREA_READ) {
        p_result.m_state = "not read";
        p_result.m_status = JOB_FAILED;
        return;
    }
    p_result.m_differences = entry_differences(p_file_target.m_presets, p_read.m_entries);
    if (!p_result.m_differences.empty()) {
        p_result.m_state = "differs";
        p_result.m_status = JOB_DIFFERS;
    }
}

// The verdict is the result on standard output; beside JSON, a message.
void print_verdict(const console_message_t& p_text, color_code_t p_color, bool p_json) {
    if (p_json) {
        printf_str_color(p_text, p_color);
    } else {
        printf_result_color(p_text, p_color);
    }
}

// The targets counted by what the verify found.
venue_totals_t verify_totals(const std::vector<verify_result_t>& p_results) {
    venue_totals_t totals;
    totals.m_devices = p_results.size();
    for (const verify_result_t& result : p_results) {
        const std::string state = result.m_state;
        totals.m_same += state == "same" ? 1 : 0;
        totals.m_differing += state == "differs" ? 1 : 0;
        totals.m_differences += result.m_differences.size();
        totals.m_not_found += state == "not found" || state == "no information answer" ? 1 : 0;
        totals.m_not_compatible += state == "not compatible" ? 1 : 0;
        totals.m_ambiguous += state == "ambiguous" ? 1 : 0;
        totals.m_not_read += state == "not read" ? 1 : 0;
    }
    return totals;
}

// Each target that differs with its differences, then the totals line.
void report(const std::vector<verify_result_t>& p_results, const std::string& p_file, bool p_json) {
    for (const verify_result_t& result : p_results) {
        if (!result.m_differences.empty()) {
            print_verdict(differs_head(result.m_name, result.m_mac, p_file), RED, p_json);
            print_verdict(difference_lines(result.m_differences), RESET, p_json);
        }
    }
    const venue_totals_t totals = verify_totals(p_results);
    print_verdict(totals_line(console_message_t(PROGRAM_TEXT, "Verify"),
                              counted(totals.m_differences, "entry differs", "entries differ"),
                              totals, "holds the file", "hold the file"),
                  totals.m_same == totals.m_devices ? GREEN : RED, p_json);
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
std::string verify_json(const std::string& p_file, const std::string& p_greeting,
                        std::size_t p_connections, const std::vector<verify_result_t>& p_results) {
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
    json_members_t members = json_service(p_greeting, p_connections);
    members.push_back({"file", json_string(p_file)});
    members.push_back({"refused_lines", json_array(lines)});
    members.push_back({"targets", json_array(targets)});
    members.push_back({"totals", totals_json(verify_totals(p_results), "entries")});
    return json_result(members);
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

bool look(service_connections& p_links, network_view_t& p_view, bool p_json) {
    // From the first command on, Ctrl-C stops the job instead of ending the program.
    platform::catch_interrupts();
    look_at_network(p_links, p_view);
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

job_status_t back_up(service_connections& p_links, const read_options_t& p_options) {
    read_output_t output;
    if (!open_read_output(p_options.m_output, p_options.m_force, output)) {
        return JOB_FAILED;
    }
    network_view_t view;
    if (!look(p_links, view, false)) {
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
    const std::string body = backup_body(p_links, view, targets, left_out, reading);
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

job_status_t verify(service_connections& p_links, const read_options_t& p_options) {
    const std::string& file = p_options.m_verify;
    const bool json = p_options.m_json;
    if (read_label_file(file, help_options) == FAIL) {
        return fail(TROUBLE_FILE, read_msg::file_not_read(file), json);
    }
    job_status_t status = report_refused_lines(file);
    const std::string unknown = name_of_no_target({label_file_targets()}, p_options.m_only);
    if (!unknown.empty()) {
        tell_usage_error(
            console_message_t(PROGRAM_TEXT, usage_line(read_msg::program,
                                                       read_msg::no_such_target(unknown, file))),
            json);
        return JOB_FAILED;
    }
    const std::vector<label_file_target_t> file_targets =
        named_targets(label_file_targets(), p_options.m_only);
    network_view_t view;
    if (file_targets.empty()) {
        printf_error_message(read_msg::no_target(file));
        status = JOB_DIFFERS;
    } else if (!look(p_links, view, json)) {
        return JOB_FAILED;
    }
    std::vector<std::string> names;
    names.reserve(file_targets.size());
    for (const label_file_target_t& target : file_targets) {
        names.push_back(target.m_name);
    }
    const std::vector<target_t> targets = look_up(view, names, nullptr);
    std::vector<verify_result_t> results;
    std::vector<std::string> read_names;
    std::vector<std::string> read_macs;
    for (const target_t& target : targets) {
        results.push_back(looked_up(target));
        if (target.state() == NAME_FOUND) {
            read_names.push_back(target.name());
            read_macs.push_back(target.device()->m_mac);
        }
    }
    reading_t reading;
    const std::vector<area_read_t> reads =
        read_devices(p_links, view, read_names, read_macs, reading);
    // The targets keep the file's order: each has its presets at its own place.
    for (std::size_t k = 0, read = 0; k < targets.size(); ++k) {
        if (targets[k].state() == NAME_FOUND) {
            compare(reads[read++], file_targets[k], results[k]);
        }
        status = std::max(status, results[k].m_status);
    }
    if (stop_reported(reading, json)) {
        return JOB_FAILED;
    }
    if (!targets.empty()) {
        report(results, file, json);
    }
    if (json && !print_result(verify_json(file, view.m_greeting, p_links.accepted(), results))) {
        return JOB_FAILED;
    }
    return status;
}

job_status_t capture(service_connections& p_links, const read_options_t& p_options) {
    read_output_t output;
    if (!open_read_output(p_options.m_capture, p_options.m_force, output)) {
        return JOB_FAILED;
    }
    network_view_t view;
    const bool listed = look(p_links, view, false);
    if (listed && view.m_devices.empty()) {
        printf_error_message(read_msg::nothing_listed);
    }
    if (!listed || view.m_devices.empty()) {
        abandon_read_output(output, read_msg::capture_not_written);
        return JOB_FAILED;
    }
    job_status_t status = view.m_link_lost ? JOB_FAILED : JOB_DONE;
    std::string text = capture_head(view, G_project_version);
    std::vector<std::string> names;
    std::vector<std::string> macs;
    for (const network_device_t& device : view.m_devices) {
        if (device.m_answered && device.m_info.is_compatible()) {
            names.push_back(device.m_info.m_alias);
            macs.push_back(device.m_identifier);
        }
    }
    reading_t reading;
    const std::vector<area_read_t> reads = read_devices(p_links, view, names, macs, reading);
    std::size_t read = 0;
    for (const network_device_t& device : view.m_devices) {
        if (!device.m_answered) {
            printf_error_message(read_msg::no_answer(device.m_identifier));
            text += uncaptured_device_text(device);
            status = JOB_FAILED;
            continue;
        }
        if (!device.m_info.is_compatible()) {
            text += captured_device_text(device, nullptr);
            continue;
        }
        const area_read_t& area_read = reads[read++];
        // An area over its location bytes is not read: its location bytes are kept alone.
        if (area_read.m_state == AREA_READ || area_read.m_state == AREA_UNSAFE) {
            const captured_area_t area{area_read.m_location, area_read.m_entries};
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
