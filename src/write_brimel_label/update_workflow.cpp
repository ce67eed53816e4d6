#include "write_brimel_label/write_brimel_label.h"

#include "basic_type/confirmation.h"
#include "file_parser/file_parser.h"
#include "platform/interrupt.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

// How the writer is asked for its manual, for the hint of a file that cannot be opened.
const char G_help_words[] = "-h or help";

// The address came from the service.
console_message_t name_and_address(const brimel_config_rm6x_device& p_device) {
    return label_file_text(p_device.m_device_name) + " (" +
           service_text(p_device.m_zel_device_mac_adr) + ") ";
}

// The target devices sorted into the three groups of the confirmation screen.
struct device_groups_t {
    console_message_t m_valid_device_info;
    console_message_t m_not_found_device;
    console_message_t m_not_valid_device;
    std::size_t m_valid_dev_count = 0;
    std::size_t m_not_found_count = 0;
    std::size_t m_not_valid_dev_count = 0;
};

device_groups_t sort_devices(const std::vector<brimel_config_rm6x_device>& p_devices) {
    device_groups_t groups;
    for (const brimel_config_rm6x_device& device : p_devices) {
        if (device.m_ambiguous) {
            continue;  // warned about already, never written
        }
        if (device.is_KALDEN_RM6X_device()) {
            groups.m_valid_device_info +=
                numbered_device_line(++groups.m_valid_dev_count, name_and_address(device));
            if (device.get_preset_list_size() == 0) {
                printf_error_message("Warning: no labels was set for " + device.m_device_name +
                                     ". All of its current stored labels will be erased.\r\n");
            }
        } else if (device.m_zel_device_mac_adr.empty()) {
            groups.m_not_found_device += numbered_device_line(
                ++groups.m_not_found_count, label_file_text(device.m_device_name));
        } else {
            groups.m_not_valid_device +=
                numbered_device_line(++groups.m_not_valid_dev_count, name_and_address(device));
        }
    }
    return groups;
}

void warn_about(const device_groups_t& p_groups) {
    if (!p_groups.m_not_found_device.empty()) {
        printf_error_message("Warning: those devices were not found on the network:\r\n" +
                             p_groups.m_not_found_device + "\r\n");
    }
    if (!p_groups.m_not_valid_device.empty()) {
        printf_error_message(
            "Warning: those devices were found but are not KALDEM-RM6X compatible devices: \r\n");
        printf_error_message(p_groups.m_not_valid_device);
    }
}

// Names again each label line the file refused, with what it does to the presets after it.
void name_refused_lines(const std::string& p_file) {
    for (const refused_line_t& line : refused_label_lines()) {
        printf_error_message(refused_line_warning(p_file, line));
    }
}

std::string writing_failed(const std::string& p_name) {
    return p_name + "'s labels writting process failed, check device connection.\r\n";
}

enum update_outcome_t { UPDATE_WRITTEN, UPDATE_FAILED, UPDATE_STOPPED };

// What a Ctrl-C left of a device that was to be written, for the stop report.
const std::string G_not_started = "not started: its labels are unchanged";

enum area_work_t { ERASING, WRITING };

// "entry 7 erased" or "entries 1 to 6 erased"; nothing for an empty range.
void add_entries(std::string& p_state, std::size_t p_first, std::size_t p_last,
                 const char* p_word) {
    if (p_first > p_last) {
        return;
    }
    p_state += p_state.empty() ? "" : ", ";
    p_state += p_first == p_last
                   ? "entry " + std::to_string(p_first)
                   : "entries " + std::to_string(p_first) + " to " + std::to_string(p_last);
    p_state += std::string(" ") + p_word;
}

// What the label area holds after the first p_done pages of an erase or a transfer, which
// goes through the area entry by entry, three pages each. With p_in_doubt the page after
// them failed: the service may have carried it out, so its entry counts as partly done.
std::string area_state(area_work_t p_work, std::size_t p_done, bool p_in_doubt) {
    const std::size_t entries = label_preset_count;
    const std::size_t done = p_done / label_pages_per_preset;
    const bool partly = p_done % label_pages_per_preset != 0 || p_in_doubt;
    const bool erasing = p_work == ERASING;
    std::string state;
    add_entries(state, 1, done, erasing ? "erased" : "written");
    add_entries(state, done + 1, partly ? done + 1 : 0,
                erasing ? "partly erased" : "partly written");
    add_entries(state, done + (partly ? 2 : 1), entries, erasing ? "unchanged" : "empty");
    return state;
}

std::string area_state_line(const std::string& p_name, const std::string& p_state) {
    return p_name + "'s label area: " + p_state + ".\r\n";
}

std::string erase_stopped(std::size_t p_pages) {
    return "erase stopped at page " + std::to_string(p_pages) + " of " +
           std::to_string(label_area_pages) + ": " + area_state(ERASING, p_pages, false);
}

std::string transfer_stopped(std::size_t p_pages, std::size_t p_total) {
    return "transfer stopped at page " + std::to_string(p_pages) + " of " +
           std::to_string(p_total) + ": " + area_state(WRITING, p_pages, false);
}

std::string stop_report_line(const std::string& p_name, const std::string& p_state) {
    return "\t" + p_name + ": " + p_state + "\r\n";
}

// Completes the erase line of a device that failed with " FAILED"; the failure line and, when
// given, what became of its label area follow.
update_outcome_t erase_failed(progress_line& p_line, const std::string& p_name,
                              const std::string& p_after) {
    p_line.end(LINE_FAILED);
    printf_error_message(writing_failed(p_name));
    if (!p_after.empty()) {
        printf_error_message(p_after);
    }
    return UPDATE_FAILED;
}

// Completes the progress line of the device the Ctrl-C stopped.
update_outcome_t stopped(progress_line& p_line, const std::string& p_name,
                         const std::string& p_state, std::string& p_stop_report) {
    p_line.end(LINE_STOPPED);
    p_stop_report += stop_report_line(p_name, p_state);
    return UPDATE_STOPPED;
}

// Writes the presets into an erased device; a Ctrl-C that came during the erase's last
// page stops it before its first.
update_outcome_t transfer_labels(brimel_config_rm6x_device& p_device, std::string& p_stop_report) {
    const std::string& name = p_device.m_device_name;
    const std::size_t pages = p_device.get_preset_list_size() * label_pages_per_preset;
    // Device names are letters, digits and "-": shown as they are.
    progress_line line(
        console_message_t(PROGRAM_TEXT, "Running transfer of " + name + "'s new labels..."), pages,
        true);
    progress_counter& write_progress = line.counter();
    bool stop = platform::interrupted();
    const Status state =
        stop ? FAIL : p_device.write_preset_label_in_device(&write_progress, &stop);
    if (stop) {
        return stopped(line, name, transfer_stopped(write_progress.done(), pages), p_stop_report);
    }
    if (state == FAIL) {
        // No " FAILED" here: the failure line follows the progress text on the same line.
        line.end(LINE_UNFINISHED);
        printf_error_message(writing_failed(name));
        printf_error_message(
            area_state_line(name, area_state(WRITING, write_progress.done(), true)));
        return UPDATE_FAILED;
    }
    line.end(LINE_OK);
    printf_str_color(name + "'s labels written successfully\r\n", GREEN);
    return UPDATE_WRITTEN;
}

// Locates, erases and writes one compatible device. A Ctrl-C stops it after the page in
// flight; its line of the stop report then goes to p_stop_report.
update_outcome_t update_device(brimel_config_rm6x_device& p_device, std::string& p_stop_report) {
    const std::string& name = p_device.m_device_name;
    Status state = p_device.set_cspr_page();
    if (state == SUCCESS) {
        state = p_device.set_device_start_from_cspr_offset();
    }
    if (platform::interrupted()) {
        p_stop_report += stop_report_line(name, G_not_started);
        return UPDATE_STOPPED;
    }
    progress_line line(console_message_t(PROGRAM_TEXT, "Erase " + name + "'s old labels..."),
                       label_area_pages, true);
    if (state == FAIL) {
        return erase_failed(line, name, std::string());
    }
    if (!p_device.has_safe_label_area()) {
        return erase_failed(
            line, name,
            name + "'s " +
                unsafe_area_words(p_device.m_cspr_page, p_device.m_device_start_from_CSPR_offset) +
                ": nothing was erased or written.\r\n");
    }
    progress_counter& erase_progress = line.counter();
    bool stop = false;
    state = p_device.intialize_device_label_in_device(&erase_progress, &stop);
    if (stop) {
        return stopped(line, name, erase_stopped(erase_progress.done()), p_stop_report);
    }
    if (state == FAIL) {
        return erase_failed(
            line, name, area_state_line(name, area_state(ERASING, erase_progress.done(), true)));
    }
    line.end(LINE_OK);
    if (p_device.get_preset_list_size() == 0) {
        printf_str_color(name + "'s labels erased successfully\r\n", GREEN);
        return UPDATE_WRITTEN;
    }
    return transfer_labels(p_device, p_stop_report);
}

// Says that a Ctrl-C stopped the update before anything was written, p_when.
Status stopped_before_writing(const std::string& p_when) {
    printf_error_message("Update stopped by Ctrl-C " + p_when + ": nothing was written.\r\n");
    return FAIL;
}

// After an accepted file: the devices on the network are listed, the workflow finds,
// confirms and writes the target devices, and "Done" closes the run whatever happened. A
// label line the file refused fails the run even when every device was written: the
// presets after it are not where the file puts them.
Status run_device_stage() {
    // From the first command on, Ctrl-C stops the run instead of ending the tool.
    platform::catch_interrupts();
    req_device_discover();  // a failed listing simply leaves the network list empty
    const Status result = zel_config_env::instance().update_devices_info();
    printf_str("Done\r\n");
    return refused_label_lines().empty() ? result : FAIL;
}

}  // namespace

Status read_and_transfer_label_configuration(std::string p_file_name) {
    const Status ret_status = read_label_file(p_file_name, G_help_words);
    return ret_status == SUCCESS ? run_device_stage() : ret_status;
}

// From the listing on, a first Ctrl-C is caught and stays seen: a command in flight ends,
// then the update stops where it is, whatever command, stage or device comes next.
Status zel_config_env::update_devices_info() {
    request_network_information(*this);
    if (platform::interrupted()) {
        return stopped_before_writing("while the devices were asked for their information");
    }
    mark_ambiguous_targets(*this);
    const device_groups_t groups = sort_devices(device_list);
    warn_about(groups);
    name_refused_lines(current_file);
    // Without target devices there is nothing to fail.
    const Status no_device_written = device_list.empty() ? SUCCESS : FAIL;
    if (groups.m_valid_dev_count == 0) {
        printf_error_message("No matching KALDEN-RM6X devices.\r\n");
        return no_device_written;
    }
    const confirmation_t answer = ask_confirmation(groups.m_valid_device_info);
    if (answer == STOPPED_AT_PROMPT) {
        return stopped_before_writing("at the prompt");
    }
    if (answer != CONFIRMED) {
        return answer == REFUSED ? SUCCESS : FAIL;
    }
    // The devices left unfinished are reported, each with the state it is in.
    Status result = SUCCESS;
    std::string stop_report;
    for (brimel_config_rm6x_device& device : device_list) {
        if (device.m_ambiguous || !device.is_KALDEN_RM6X_device()) {
            continue;
        }
        if (platform::interrupted()) {
            stop_report += stop_report_line(device.m_device_name, G_not_started);
        } else if (update_device(device, stop_report) != UPDATE_WRITTEN) {
            result = FAIL;
        }
    }
    if (!stop_report.empty()) {
        printf_error_message("Update stopped by Ctrl-C:\r\n" + stop_report);
    } else if (platform::interrupted()) {
        // It came during the last command: each device's outcome is said above.
        printf_error_message(
            "Update stopped by Ctrl-C during its last command: nothing was "
            "left to stop.\r\n");
    }
    return platform::interrupted() ? FAIL : result;
}
