// The jobs of a run: a label file synced target by target, each read and planned, then
// written once the operator agreed, with what the operator is told all along.
#include <algorithm>

#include "basic_type/command_line.h"
#include "basic_type/confirmation.h"
#include "device_core/network_view.h"
#include "device_registry/device_registry.h"
#include "file_parser/file_parser.h"
#include "platform/interrupt.h"
#include "sync_brimel_label/sync_brimel_label.h"
#include "sync_brimel_label/sync_messages.h"

namespace sync_job {

namespace {

// The ambiguity warning ends "It is not synced.".
const char G_not_done[] = "synced";
// Without the devices: "ZEL-Service was not reached: nothing was written."
const char G_nothing_done[] = "written";

// The target as the network gives it; one that cannot be synced is warned about. A found
// one is DEVICE_SAME until it is read.
device_sync_t find_target(const network_view_t& p_view, const target_lookup_t& p_target) {
    const name_lookup_t& lookup = p_target.m_lookup;
    device_sync_t device;
    device.m_name = p_target.m_name;
    device.m_mac = lookup.m_device != nullptr ? lookup.m_device->m_mac : "";
    printf_error_message(target_warning(p_view, p_target, G_not_done));
    device.m_state = lookup.m_state == NAME_FOUND            ? DEVICE_SAME
                     : lookup.m_state == NAME_NOT_FOUND      ? DEVICE_NOT_FOUND
                     : lookup.m_state == NAME_NOT_COMPATIBLE ? DEVICE_NOT_COMPATIBLE
                                                             : DEVICE_AMBIGUOUS;
    return device;
}

// Reads the device on a progress line with its live count and its outcome, then shows that it
// holds the file already, or its plan.
void read_device(socket_handle& p_link, const network_view_t& p_view,
                 const label_file_target_t& p_target, const std::string& p_file,
                 device_sync_t& p_device) {
    const std::string& name = p_device.m_name;
    if (p_target.m_presets_given > label_preset_count) {
        printf_error_message(too_many_presets_warning(name));
    }
    progress_line line(sync_msg::reading(name), label_area_pages);
    const area_read_t read =
        read_device_area(p_link, p_view.m_keys, p_device.m_mac, &line.counter());
    p_device.m_plan.m_location = read.m_location;
    if (read.m_state == AREA_STOPPED) {
        // The read stopped before its next command: nothing was planned.
        line.end(LINE_STOPPED);
        p_device.m_state = DEVICE_STOPPED;
        return;
    }
    if (read.m_state != AREA_READ) {
        line.end(LINE_FAILED);
        printf_error_message(read.m_state == AREA_UNSAFE
                                 ? sync_msg::area_unsafe(name, read.m_location)
                                 : sync_msg::read_failed_at(name, read));
        p_device.m_state = DEVICE_NOT_READ;
        return;
    }
    line.end(LINE_OK);
    p_device.m_plan = plan_of(read, p_target.m_presets);
    const std::vector<field_change_t>& changes = p_device.m_plan.m_changes;
    if (changes.empty()) {
        printf_str_color(sync_msg::same(name, p_device.m_mac, p_file, p_target.m_presets.size()),
                         GREEN);
        return;
    }
    printf_str(sync_msg::plan(name, p_device.m_mac, changes));
    p_device.m_state = DEVICE_DIFFERS;
}

// Writes the changes of one device on a progress line and its outcome; after a failure or a
// stop, says what its label area holds.
void write_device(socket_handle& p_link, const network_view_t& p_view, device_sync_t& p_device) {
    const std::string& name = p_device.m_name;
    const std::vector<field_change_t>& changes = p_device.m_plan.m_changes;
    progress_line line(sync_msg::writing(name), 2 * changes.size());
    p_device.m_result =
        apply_plan(p_link, p_view.m_keys, p_device.m_mac, p_device.m_plan, &line.counter());
    const writes_end_t end = p_device.m_result.m_end;
    if (end == WRITES_COMPLETE) {
        line.end(LINE_OK);
        printf_str_color(sync_msg::written(name, p_device.m_mac, changes.size()), GREEN);
        p_device.m_state = DEVICE_WRITTEN;
        return;
    }
    line.end(end == WRITES_STOPPED ? LINE_STOPPED : LINE_FAILED);
    if (end != WRITES_STOPPED) {
        printf_error_message(sync_msg::failure(name, changes[p_device.m_result.m_at], end));
    }
    printf_error_message(sync_msg::area_now(name, changes));
    p_device.m_state = end == WRITES_STOPPED ? DEVICE_STOPPED : DEVICE_FAILED;
}

// Asks the operator unless p_yes, then writes every device that differs. After a Ctrl-C
// caught while the devices were read or at the prompt nothing is written; one caught during
// the writes stops them after the command in flight.
void write_devices(socket_handle& p_link, const network_view_t& p_view, bool p_yes,
                   const std::string& p_file, std::vector<device_sync_t>& p_devices) {
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
            write_device(p_link, p_view, device);
        }
    }
}

job_status_t device_status(device_state_t p_state) {
    if (p_state == DEVICE_SAME || p_state == DEVICE_WRITTEN) {
        return JOB_DONE;
    }
    return p_state == DEVICE_DIFFERS || p_state == DEVICE_STOPPED ? JOB_DIFFERS : JOB_FAILED;
}

std::vector<std::string> names_of(const std::vector<label_file_target_t>& p_targets) {
    std::vector<std::string> names;
    for (const label_file_target_t& target : p_targets) {
        names.push_back(target.m_name);
    }
    return names;
}

}  // namespace

file_sync_t sync_file(socket_handle& p_link, const std::string& p_file,
                      const options_t& p_options) {
    file_sync_t result;
    result.m_file = p_file;
    if (read_label_file(p_file, help_options) == FAIL) {
        result.m_state = FILE_NOT_READ;
        return result;
    }
    result.m_refused_lines = refused_line_numbers();
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
    look_at_network(p_link, view);
    show_greeting(view.m_greeting);
    const look_trouble_t trouble = look_trouble(view);
    if (trouble == LOOK_NOT_REACHED) {
        printf_error_message(view.m_not_reached);
    }
    if (trouble != LOOK_DONE && trouble != LOOK_STOPPED) {
        printf_error_message(look_trouble_message(trouble, view, G_nothing_done));
        result.m_state = FILE_NO_NETWORK;
        return result;
    }
    if (view.m_link_lost) {
        printf_error_message(link_lost_warning);
    }
    const std::vector<target_lookup_t> lookups = look_up_targets(view, names_of(targets));
    for (std::size_t k = 0; k < targets.size(); ++k) {
        if (platform::interrupted()) {
            // Not looked up: after a stop the network may not have been asked whole.
            device_sync_t stopped;
            stopped.m_name = targets[k].m_name;
            stopped.m_state = DEVICE_STOPPED;
            result.m_devices.push_back(stopped);
            continue;
        }
        result.m_devices.push_back(find_target(view, lookups[k]));
        device_sync_t& device = result.m_devices.back();
        if (device.m_state == DEVICE_SAME) {
            read_device(p_link, view, targets[k], p_file, device);
        }
    }
    if (!p_options.m_dry_run) {
        write_devices(p_link, view, p_options.m_yes, p_file, result.m_devices);
    }
    return result;
}

job_status_t run_status(const std::vector<file_sync_t>& p_files) {
    job_status_t status = JOB_DONE;
    for (const file_sync_t& file : p_files) {
        status = std::max(status, file.m_state == FILE_READ      ? JOB_DONE
                                  : file.m_state == FILE_NOT_RUN ? JOB_DIFFERS
                                                                 : JOB_FAILED);
        for (const device_sync_t& device : file.m_devices) {
            status = std::max(status, device_status(device.m_state));
        }
    }
    return status;
}

}  // namespace sync_job
