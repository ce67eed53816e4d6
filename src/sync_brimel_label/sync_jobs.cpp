// The jobs of a run: a label file synced target by target, each read and planned, then
// written once the operator agreed, with what the operator is told all along.
#include <algorithm>

#include "basic_type/confirmation.h"
#include "device_core/network_view.h"
#include "device_registry/device_registry.h"
#include "file_parser/file_parser.h"
#include "platform/interrupt.h"
#include "sync_brimel_label/sync_brimel_label.h"
#include "sync_brimel_label/sync_messages.h"

namespace {

// The ambiguity warning ends "It is not synced.".
const char G_not_done[] = "synced";
// Without the devices: "ZEL-Service was not reached: nothing was written."
const char G_nothing_done[] = "written";

// True when a listed device gave no information answer: a name not found may be its.
bool some_unanswered(const network_view_t& p_view) {
    return std::any_of(p_view.m_devices.begin(), p_view.m_devices.end(),
                       [](const network_device_t& p_device) { return !p_device.m_answered; });
}

// The target as the network gives it; one that cannot be synced is warned about. A found
// one is DEVICE_SAME until it is read.
device_sync_t find_target(const network_view_t& p_view, const std::string& p_name) {
    device_sync_t device;
    device.m_name = p_name;
    const name_lookup_t lookup = look_up_name(p_view, p_name);
    if (lookup.m_device != nullptr) {
        device.m_mac = lookup.m_device->m_mac;
    }
    if (lookup.m_state == NAME_FOUND) {
        device.m_state = DEVICE_SAME;
    } else if (lookup.m_state == NAME_NOT_FOUND) {
        printf_error_message(not_found_warning(p_name, some_unanswered(p_view)));
        const std::string hint = name_but_for_case(p_view, p_name);
        if (!hint.empty()) {
            printf_error_message(case_hint(hint));
        }
        device.m_state = DEVICE_NOT_FOUND;
    } else if (lookup.m_state == NAME_NOT_COMPATIBLE) {
        printf_error_message(not_compatible_warning(p_name, device.m_mac));
        device.m_state = DEVICE_NOT_COMPATIBLE;
    } else {
        printf_error_message(ambiguity_warning(p_name, lookup.m_macs, lookup.m_names, G_not_done));
        device.m_state = DEVICE_AMBIGUOUS;
    }
    return device;
}

// Reads the device between a progress line with its live count and its outcome, then shows
// that it holds the file already, or its plan.
void read_device(const network_view_t& p_view, const label_file_target_t& p_target,
                 const std::string& p_file, device_sync_t& p_device) {
    const std::string& name = p_device.m_name;
    if (p_target.m_presets_given > label_preset_count) {
        printf_error_message(too_many_presets_warning(name));
    }
    printf_str_color(sync_msg::reading(name), CYAN);
    progress_counter progress(label_area_pages);
    uint32_t failed_page = 0;
    const Status read = plan_sync(p_device.m_mac, p_view.m_keys, p_target.m_presets,
                                  p_device.m_plan, failed_page, &progress);
    progress.clear();
    const label_location_t& location = p_device.m_plan.m_location;
    if (read == FAIL && platform::interrupted()) {
        // The read stopped before its next command: nothing was planned.
        printf_error_message(sync_msg::stopped);
        p_device.m_state = DEVICE_STOPPED;
        return;
    }
    if (read == FAIL) {
        // Both location bytes read: the area itself is refused.
        const bool unsafe = location.m_start_offset >= 0 && !location.is_safe();
        printf_error_message(sync_msg::failed);
        printf_error_message(unsafe ? sync_msg::area_unsafe(name, location)
                                    : sync_msg::read_failed_at(name, failed_page));
        p_device.m_state = DEVICE_NOT_READ;
        return;
    }
    printf_str_color(sync_msg::ok, GREEN);
    const std::vector<field_change_t>& changes = p_device.m_plan.m_changes;
    if (changes.empty()) {
        printf_str_color(sync_msg::same(name, p_device.m_mac, p_file, p_target.m_presets.size()),
                         GREEN);
        return;
    }
    printf_str(sync_msg::plan(name, p_device.m_mac, changes));
    p_device.m_state = DEVICE_DIFFERS;
}

// Writes the changes of one device between a progress line and its outcome; after a failure
// or a stop, says what its label area holds.
void write_device(const network_view_t& p_view, device_sync_t& p_device) {
    const std::string& name = p_device.m_name;
    const std::vector<field_change_t>& changes = p_device.m_plan.m_changes;
    printf_str_color(sync_msg::writing(name), CYAN);
    progress_counter progress(2 * changes.size());
    p_device.m_result = apply_sync(p_device.m_mac, p_view.m_keys, p_device.m_plan, &progress);
    progress.clear();
    const sync_end_t end = p_device.m_result.m_end;
    if (end == SYNC_COMPLETE) {
        printf_str_color(sync_msg::ok, GREEN);
        printf_str_color(sync_msg::written(name, p_device.m_mac, changes.size()), GREEN);
        p_device.m_state = DEVICE_WRITTEN;
        return;
    }
    printf_error_message(end == SYNC_STOPPED ? sync_msg::stopped : sync_msg::failed);
    if (end != SYNC_STOPPED) {
        printf_error_message(sync_msg::failure(name, changes[p_device.m_result.m_at], end));
    }
    printf_error_message(sync_msg::area_now(name, changes));
    p_device.m_state = end == SYNC_STOPPED ? DEVICE_STOPPED : DEVICE_FAILED;
}

// Asks the operator unless p_yes, then writes every device that differs. After a Ctrl-C
// caught while the devices were read or at the prompt nothing is written; one caught during
// the writes stops them after the command in flight.
void write_devices(const network_view_t& p_view, bool p_yes, const std::string& p_file,
                   std::vector<device_sync_t>& p_devices) {
    console_message_t lines;
    std::size_t count = 0;
    for (const device_sync_t& device : p_devices) {
        if (device.m_state == DEVICE_DIFFERS) {
            lines += sync_msg::confirmation_line(++count, device.m_name, device.m_mac,
                                                 device.m_plan.m_changes.size());
        }
    }
    const confirmation_t answer = count == 0 || platform::interrupted() ? REFUSED
                                  : p_yes                               ? CONFIRMED
                                                                        : ask_confirmation(lines);
    if (platform::interrupted()) {
        printf_error_message(sync_msg::stopped_before_writes(p_file));
    }
    if (answer != CONFIRMED || platform::interrupted()) {
        return;
    }
    for (device_sync_t& device : p_devices) {
        if (device.m_state != DEVICE_DIFFERS) {
            continue;
        }
        if (platform::interrupted()) {
            printf_error_message(sync_msg::stopped_before(device.m_name));
            device.m_state = DEVICE_STOPPED;
        } else {
            write_device(p_view, device);
        }
    }
}

sync_status_t device_status(device_state_t p_state) {
    if (p_state == DEVICE_SAME || p_state == DEVICE_WRITTEN) {
        return SYNC_DONE;
    }
    return p_state == DEVICE_DIFFERS || p_state == DEVICE_STOPPED ? SYNC_DIFFERS : SYNC_FAILED;
}

}  // namespace

file_sync_t sync_file(const std::string& p_file, const sync_options_t& p_options) {
    file_sync_t result;
    result.m_file = p_file;
    if (read_label_file(p_file) == FAIL) {
        result.m_state = FILE_NOT_READ;
        return result;
    }
    result.m_refused_lines = refused_label_lines();
    if (!result.m_refused_lines.empty()) {
        printf_error_message(sync_msg::refused_lines(p_file, result.m_refused_lines));
        result.m_state = FILE_REFUSED;
        return result;
    }
    result.m_state = FILE_READ;
    const std::vector<label_file_target_t> targets = label_file_targets();
    if (targets.empty()) {
        printf_error_message(sync_msg::no_target(p_file));
        return result;
    }
    // From the first command on, a Ctrl-C stops the sync instead of ending the program.
    platform::catch_interrupts();
    network_view_t view;
    look_at_network(view);
    const look_trouble_t trouble = look_trouble(view);
    if (trouble != LOOK_DONE && trouble != LOOK_STOPPED) {
        printf_error_message(look_trouble_message(trouble, view, G_nothing_done));
        result.m_state = FILE_NO_NETWORK;
        return result;
    }
    if (view.m_link_lost) {
        printf_error_message(link_lost_warning);
    }
    for (const label_file_target_t& target : targets) {
        if (platform::interrupted()) {
            // Not looked up: after a stop the network may not have been asked whole.
            device_sync_t stopped;
            stopped.m_name = target.m_name;
            stopped.m_state = DEVICE_STOPPED;
            result.m_devices.push_back(stopped);
            continue;
        }
        result.m_devices.push_back(find_target(view, target.m_name));
        device_sync_t& device = result.m_devices.back();
        if (device.m_state == DEVICE_SAME) {
            read_device(view, target, p_file, device);
        }
    }
    if (!p_options.m_dry_run) {
        write_devices(view, p_options.m_yes, p_file, result.m_devices);
    }
    return result;
}

sync_status_t sync_status(const std::vector<file_sync_t>& p_files) {
    sync_status_t status = SYNC_DONE;
    for (const file_sync_t& file : p_files) {
        status = std::max(status, file.m_state == FILE_READ      ? SYNC_DONE
                                  : file.m_state == FILE_NOT_RUN ? SYNC_DIFFERS
                                                                 : SYNC_FAILED);
        for (const device_sync_t& device : file.m_devices) {
            status = std::max(status, device_status(device.m_state));
        }
    }
    return status;
}
