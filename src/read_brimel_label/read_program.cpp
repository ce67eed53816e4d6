// The program: its command line, the devices it reads, the backup it prints or writes to a
// file, --verify and --capture.
#include "read_brimel_label/read_brimel_label.h"

#include <filesystem>
#include <fstream>
#include <unordered_set>

#include "device_core/device_core.h"
#include "file_parser/file_parser.h"
#include "project_version.h"
#include "read_brimel_label/read_messages.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

const std::vector<std::string> G_help_words = {"h", "-h", "help", "--help"};
const char G_output_option[] = "-o";
const char G_force_option[] = "--force";
const char G_verify_option[] = "--verify";
const char G_capture_option[] = "--capture";
// The backup is written beside its file under this suffix, then renamed into place.
const char G_temporary_suffix[] = ".part";
// The ambiguity warning ends "It is not read.".
const char G_not_done[] = "read";

// A device to read: its name and what it answered.
struct target_t {
    std::string m_name;
    const net_device_info_t* m_device = nullptr;
};

// Lists the network and asks every listed device for its information; says so when the
// service was lost on the way.
void look(network_view_t& p_view) {
    look_at_network(p_view);
    if (p_view.m_link_lost) {
        printf_error_message(read_msg::link_lost);
    }
}

// The names that can be read, in order, after a warning about each of the others: first the
// ambiguous ones, then those not found, not compatible, or not a section name.
std::vector<target_t> readable(const network_view_t& p_view,
                               const std::vector<std::string>& p_names) {
    std::vector<name_lookup_t> lookups;
    for (const std::string& name : p_names) {
        lookups.push_back(look_up_name(p_view, name));
        if (lookups.back().m_state == NAME_AMBIGUOUS) {
            printf_error_message(
                ambiguity_warning(name, lookups.back().m_macs, lookups.back().m_names, G_not_done));
        }
    }
    std::vector<target_t> targets;
    for (std::size_t k = 0; k < p_names.size(); ++k) {
        const std::string& name = p_names[k];
        const name_lookup_t& lookup = lookups[k];
        if (lookup.m_state == NAME_NOT_FOUND) {
            printf_error_message(read_msg::not_found(name));
        } else if (lookup.m_state == NAME_NOT_COMPATIBLE) {
            printf_error_message(read_msg::not_compatible(name, lookup.m_device->m_mac));
        } else if (lookup.m_state == NAME_FOUND && !is_section_name(name)) {
            printf_error_message(read_msg::not_nameable(name, lookup.m_device->m_mac));
        } else if (lookup.m_state == NAME_FOUND) {
            targets.push_back(target_t{name, lookup.m_device});
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

// Reads a device's label area between a progress line with its live count and its outcome,
// " OK" or " FAILED" and what failed; the location first, as the update does, so that its
// messages come before the progress line. p_location receives what was read of it.
Status read_device(const network_view_t& p_view, const std::string& p_name,
                   const std::string& p_mac, label_location_t& p_location,
                   label_entries_t& p_entries) {
    uint32_t failed_page = 0;
    Status read = read_label_location(p_mac, p_view.m_keys, p_location, failed_page);
    printf_str_color(read_msg::reading(p_name), CYAN);
    if (read == SUCCESS && p_location.is_safe()) {
        progress_counter progress(label_area_pages);
        read = read_label_area(p_mac, p_view.m_keys, p_location, p_entries, failed_page, &progress);
        progress.clear();
        if (read == SUCCESS) {
            printf_str_color(read_msg::read_ok, GREEN);
            return SUCCESS;
        }
    }
    p_entries.clear();
    printf_error_message(read_msg::read_failed);
    printf_error_message(read == SUCCESS ? read_msg::area_unsafe(p_name, p_location.m_page_index,
                                                                 p_location.m_start_offset)
                                         : read_msg::read_failed_at(p_name, failed_page));
    return FAIL;
}

// Reads the named devices, or every compatible one, into p_backup; FAIL when none could be
// read or a read failed.
Status read_backup(const std::vector<std::string>& p_names, std::string& p_backup) {
    network_view_t view;
    look(view);
    const std::vector<target_t> targets = readable(view, names_to_read(view, p_names));
    if (targets.empty()) {
        printf_error_message(read_msg::no_device);
        return FAIL;
    }
    for (const target_t& target : targets) {
        label_location_t location;
        label_entries_t entries;
        if (read_device(view, target.m_name, target.m_device->m_mac, location, entries) == FAIL) {
            return FAIL;
        }
        std::vector<entry_note_t> notes;
        p_backup +=
            (p_backup.empty() ? "" : "\r\n") +
            device_backup_text(target.m_name, target.m_device->m_mac, entry_texts(entries), notes);
        for (const entry_note_t& note : notes) {
            printf_error_message(
                read_msg::entry_warning(target.m_name, note.m_number, note.m_reason));
        }
    }
    return SUCCESS;
}

// A path as the program was given it, in UTF-8 on every platform (Windows too).
std::filesystem::path path_of(const std::string& p_utf8) {
    return std::filesystem::u8path(p_utf8);
}

// Writes the text to a temporary file beside p_file, then renames it into place.
Status write_output_file(const std::string& p_file, const std::string& p_text,
                         std::string (*p_written)(const std::string&)) {
    const std::filesystem::path temporary = path_of(p_file + G_temporary_suffix);
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << p_text;
    out.close();
    std::error_code error;
    if (out) {
        std::filesystem::rename(temporary, path_of(p_file), error);
    }
    if (!out || error) {
        std::filesystem::remove(temporary, error);
        printf_error_message(read_msg::output_failed(p_file));
        return FAIL;
    }
    printf_str_color(p_written(p_file), GREEN);
    return SUCCESS;
}

bool refused_output(const read_options_t& p_options, const std::string& p_file) {
    std::error_code ignored;
    if (!p_file.empty() && !p_options.m_force &&
        std::filesystem::exists(path_of(p_file), ignored)) {
        printf_error_message(read_msg::output_exists(p_file));
        return true;
    }
    return false;
}

Status back_up(const read_options_t& p_options) {
    const std::string& file = p_options.m_output;
    if (refused_output(p_options, file)) {
        return FAIL;
    }
    // Printed, the backup is all that goes to standard output.
    if (file.empty()) {
        messages_to_standard_error();
    }
    std::string backup;
    if (read_backup(p_options.m_devices, backup) == FAIL) {
        if (!file.empty()) {
            printf_error_message(read_msg::backup_not_written(file));
        }
        return FAIL;
    }
    if (file.empty()) {
        write_data(backup);
        return SUCCESS;
    }
    return write_output_file(file, backup, read_msg::backup_written);
}

// The capture of one answered device: its line, and for a compatible device its location
// bytes and its label area read whole. FAIL when a compatible device could not be read; an
// area over its own location bytes is not read, and the capture goes on without it.
Status capture_device(const network_view_t& p_view, const network_device_t& p_device,
                      std::string& p_text) {
    if (!p_device.m_info.is_compatible()) {
        p_text += captured_device_text(p_device, nullptr);
        return SUCCESS;
    }
    captured_area_t area;
    if (read_device(p_view, p_device.m_info.m_alias, p_device.m_identifier, area.m_location,
                    area.m_entries) == FAIL &&
        (area.m_location.m_start_offset < 0 || area.m_location.is_safe())) {
        return FAIL;
    }
    p_text += captured_device_text(p_device, &area);
    return SUCCESS;
}

Status capture_network(std::string& p_text) {
    network_view_t view;
    look(view);
    if (view.m_devices.empty()) {
        printf_error_message(read_msg::nothing_listed);
        return FAIL;
    }
    p_text = capture_head(view, G_project_version);
    for (const network_device_t& device : view.m_devices) {
        if (!device.m_answered) {
            printf_error_message(read_msg::not_captured(device.m_identifier));
            p_text += uncaptured_device_text(device);
        } else if (capture_device(view, device, p_text) == FAIL) {
            return FAIL;
        }
    }
    return SUCCESS;
}

Status capture(const read_options_t& p_options) {
    std::string text;
    if (refused_output(p_options, p_options.m_capture)) {
        return FAIL;
    }
    if (capture_network(text) == FAIL) {
        printf_error_message(read_msg::capture_not_written(p_options.m_capture));
        return FAIL;
    }
    return write_output_file(p_options.m_capture, text, read_msg::capture_written);
}

// Tells whether the device holds what the update would write; false when it does not.
bool device_matches(const label_file_target_t& p_target, const std::string& p_mac,
                    const label_entries_t& p_entries, const std::string& p_file) {
    const std::vector<entry_difference_t> differences =
        entry_differences(p_target.m_presets, entry_texts(p_entries));
    if (differences.empty()) {
        printf_str_color(
            read_msg::matches(p_target.m_name, p_mac, p_file, p_target.m_presets.size()), GREEN);
        return true;
    }
    printf_str_color(read_msg::differs(p_target.m_name, p_mac, p_file), RED);
    printf_str(read_msg::difference_lines(differences));
    return false;
}

// As the update does, the targets not found, not compatible or ambiguous are warned about
// and left out; none to compare while the file names targets is a failure.
Status verify(const std::string& p_file) {
    if (read_label_file(p_file) == FAIL) {
        return FAIL;
    }
    const std::vector<label_file_target_t> file_targets = label_file_targets();
    std::vector<std::string> names;
    for (const label_file_target_t& target : file_targets) {
        names.push_back(target.m_name);
    }
    network_view_t view;
    look(view);
    const std::vector<target_t> targets = readable(view, names);
    if (targets.empty() && !file_targets.empty()) {
        printf_error_message(read_msg::no_device);
        return FAIL;
    }
    Status result = SUCCESS;
    for (const target_t& target : targets) {
        const label_file_target_t* file_target = nullptr;
        for (const label_file_target_t& candidate : file_targets) {
            file_target = candidate.m_name == target.m_name ? &candidate : file_target;
        }
        label_location_t location;
        label_entries_t entries;
        if (read_device(view, target.m_name, target.m_device->m_mac, location, entries) == FAIL ||
            !device_matches(*file_target, target.m_device->m_mac, entries, p_file)) {
            result = FAIL;
        }
    }
    return result;
}

Status refuse_command_line(const std::string& p_what) {
    printf_error_message(read_msg::bad_command_line(p_what));
    return FAIL;
}

}  // namespace

Status parse_read_options(const std::vector<std::string>& p_args, read_options_t& p_options) {
    for (std::size_t k = 0; k < p_args.size(); ++k) {
        const std::string& word = p_args[k];
        const bool names_file =
            word == G_output_option || word == G_verify_option || word == G_capture_option;
        if (is_cmd(G_help_words, word)) {
            p_options.m_help = true;
        } else if (word == G_force_option) {
            p_options.m_force = true;
        } else if (names_file && (k + 1 == p_args.size() || p_args[k + 1].empty())) {
            return refuse_command_line(word + " needs a file name");
        } else if (names_file) {
            std::string& file = word == G_output_option   ? p_options.m_output
                                : word == G_verify_option ? p_options.m_verify
                                                          : p_options.m_capture;
            file = p_args[++k];
        } else if (!word.empty() && word[0] == '-') {
            return refuse_command_line("unknown option " + word);
        } else {
            p_options.m_devices.push_back(word);
        }
    }
    if (!p_options.m_verify.empty() &&
        (!p_options.m_devices.empty() || !p_options.m_output.empty())) {
        return refuse_command_line(std::string(G_verify_option) +
                                   " takes its devices from its file and writes no backup");
    }
    if (!p_options.m_capture.empty() &&
        (!p_options.m_devices.empty() || !p_options.m_output.empty() ||
         !p_options.m_verify.empty())) {
        return refuse_command_line(std::string(G_capture_option) +
                                   " reads every device and writes only its file");
    }
    return SUCCESS;
}

int read_brimel_label_main(const std::vector<std::string>& p_args) {
    // Before anything else: whatever follows, no memory write can leave this program.
    refuse_memory_writes();
    read_options_t options;
    const std::vector<std::string> words(p_args.begin() + (p_args.empty() ? 0 : 1), p_args.end());
    if (parse_read_options(words, options) == FAIL) {
        return FAIL;
    }
    if (options.m_help) {
        printf_str_color(read_user_manual_text(p_args.empty() ? "" : p_args[0]), CYAN);
        return SUCCESS;
    }
    if (!options.m_capture.empty()) {
        return capture(options);
    }
    return options.m_verify.empty() ? back_up(options) : verify(options.m_verify);
}
