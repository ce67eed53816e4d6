// The jobs of a run: the label files (or the undo record) read first, then each synced: its
// targets found, read as one venue and planned, the plan shown on one screen with its totals,
// then, once the operator agreed, each device read again when its read is old and written,
// with what the operator is told all along.
#include <algorithm>

#include "basic_type/command_line.h"
#include "basic_type/confirmation.h"
#include "device_core/network_view.h"
#include "device_core/output_text.h"
#include "device_registry/device_registry.h"
#include "file_parser/file_parser.h"
#include "platform/clock.h"
#include "platform/interrupt.h"
#include "platform/output_file.h"
#include "platform/program.h"
#include "sync_brimel_label/sync_brimel_label.h"
#include "sync_brimel_label/sync_messages.h"

namespace sync_job {

namespace {

// The ambiguity warning ends "It is not synced.".
const char G_not_done[] = "synced";
// Without the devices: "ZEL-Service was not reached: nothing was written."
const char G_nothing_done[] = "written";
// A device's writes start within this long of the read its plan came from; SYNC_FRESH_READ_MS
// shortens it (the tests make it 0: every device to write is read again).
const int64_t G_fresh_read_ms = 10000;
const char G_fresh_read_variable[] = "SYNC_FRESH_READ_MS";

int64_t fresh_read_ms() {
    std::string value;
    int ms = 0;
    return platform::environment_value(G_fresh_read_variable, value) &&
                   read_int_strict(value, ms) && ms >= 0 && ms < G_fresh_read_ms
               ? ms
               : G_fresh_read_ms;
}

// The undo record of the run, made before its first write: true when there is none to make.
bool write_undo_record(run_t& p_run, const network_view_t& p_view, const std::string& p_file) {
    const options_t& options = p_run.m_options;
    if (options.m_save_undo.empty() || p_run.m_written.empty()) {
        return true;
    }
    // A record of this run is the run's own file from its first version on.
    platform::output_file_t record;
    std::string reason;
    platform::output_result_t result =
        record.open(options.m_save_undo, options.m_force || p_run.m_record_made, reason);
    if (result == platform::OUTPUT_OK) {
        result = record.commit(
            undo_record_text(
                p_run.m_written, platform::local_date_time(), p_view.m_name, p_file,
                sync_msg::undo_command(options.m_save_undo, p_run.m_links.first().service_port())),
            reason);
    }
    if (result != platform::OUTPUT_OK) {
        printf_error_message(output_refused(options.m_save_undo, result, reason, false));
        p_run.m_record_failed = true;
        return false;
    }
    p_run.m_record_made = true;
    return true;
}

// What is read of a device for its plan: its whole area, or an undo's recorded fields.
area_request_t request_of(const device_sync_t& p_device) {
    return area_request_t{p_device.m_mac, recorded_places(p_device.m_record)};
}

// The device's plan from a read of it; an undo's fields holding neither are refused.
void plan_device(const area_read_t& p_read, bool p_undo, device_sync_t& p_device) {
    p_device.m_read_ms = platform::monotonic_ms();
    if (p_undo) {
        p_device.m_refused.clear();
        p_device.m_plan = undo_plan_of(p_read, p_device.m_record, p_device.m_refused);
        return;
    }
    p_device.m_plan = plan_of(p_read, p_device.m_presets);
    p_device.m_differences = entry_differences(p_device.m_presets, p_read.m_entries);
}

// A device found on the network is read later; one that cannot be synced is warned about.
void find_target(const network_view_t& p_view, const target_lookup_t& p_target,
                 device_sync_t& p_device) {
    const name_lookup_t& lookup = p_target.m_lookup;
    p_device.m_mac = lookup.m_device != nullptr ? lookup.m_device->m_mac : "";
    const console_message_t warning = target_warning(p_view, p_target, G_not_done);
    if (!warning.empty()) {
        printf_error_message(warning);
    }
    p_device.m_state = lookup.m_state == NAME_FOUND            ? DEVICE_SAME
                       : lookup.m_state == NAME_NOT_FOUND      ? DEVICE_NOT_FOUND
                       : lookup.m_state == NAME_NOT_COMPATIBLE ? DEVICE_NOT_COMPATIBLE
                                                               : DEVICE_AMBIGUOUS;
    // An undo puts bytes back only into the device it took them from.
    const std::string recorded = p_device.m_record.empty() ? "" : p_device.m_record[0].m_mac;
    if (p_device.m_state == DEVICE_SAME && !recorded.empty() &&
        !zel_same_device(recorded, p_device.m_mac)) {
        printf_error_message(sync_msg::other_device(p_device.m_name, p_device.m_mac, recorded));
        p_device.m_state = DEVICE_OTHER;
    }
}

// The found devices read as one venue and planned, on one progress line; each that could not
// be read is named with why after it.
void read_and_plan(run_t& p_run, const network_view_t& p_view, bool p_undo,
                   std::vector<device_sync_t*>& p_found) {
    std::vector<std::string> names;
    std::vector<area_request_t> requests;
    for (const device_sync_t* device : p_found) {
        names.push_back(device->m_name);
        requests.push_back(request_of(*device));
    }
    if (requests.empty()) {
        return;
    }
    progress_line line(reading_head(names), requests.size());
    const std::vector<area_read_t> reads =
        read_device_areas(p_run.m_links, p_view.m_keys, requests, &line);
    line.end(reading_outcome(reads));
    for (std::size_t k = 0; k < reads.size(); ++k) {
        device_sync_t& device = *p_found[k];
        const area_read_t& read = reads[k];
        if (read.m_state == AREA_READ) {
            plan_device(read, p_undo, device);
            device.m_state = device.m_plan.m_changes.empty() ? DEVICE_SAME : DEVICE_DIFFERS;
            continue;
        }
        device.m_plan.m_location = read.m_location;
        device.m_state = read.m_state == AREA_STOPPED ? DEVICE_STOPPED : DEVICE_NOT_READ;
        if (read.m_state == AREA_UNSAFE) {
            printf_error_message(sync_msg::area_unsafe(device.m_name, read.m_location));
        } else if (read.m_state == AREA_NOT_READ) {
            printf_error_message(sync_msg::read_failed_at(device.m_name, read));
        }
    }
}

// A device's plan as the operator sees it: the reader's words for a label file's differences,
// each field for an undo.
void show_plan(const device_sync_t& p_device, const std::string& p_file, bool p_undo) {
    for (const field_change_t& refused : p_device.m_refused) {
        printf_error_message(sync_msg::refused_field(p_device.m_name, refused));
    }
    if (p_device.m_plan.m_changes.empty()) {
        return;
    }
    if (p_undo) {
        printf_str(sync_msg::undo_plan(p_device.m_name, p_device.m_mac, p_device.m_plan.m_changes));
        return;
    }
    printf_str(differs_head(p_device.m_name, p_device.m_mac, p_file) +
               difference_lines(p_device.m_differences));
}

// The fields of a device written and read back with their new bytes.
std::size_t fields_written(const device_sync_t& p_device) {
    return static_cast<std::size_t>(
        std::count_if(p_device.m_plan.m_changes.begin(), p_device.m_plan.m_changes.end(),
                      [](const field_change_t& p_change) { return p_change.m_now == FIELD_NEW; }));
}

// The targets counted by their states: by their plans, or by what their writes did
// (p_done: the devices and fields written and read back).
venue_totals_t totals_of(const std::vector<device_sync_t>& p_devices, bool p_done) {
    venue_totals_t totals;
    for (const device_sync_t& device : p_devices) {
        const device_state_t state = device.m_state;
        ++totals.m_devices;
        totals.m_same += state == DEVICE_SAME ? 1 : 0;
        totals.m_not_found += state == DEVICE_NOT_FOUND || state == DEVICE_OTHER ? 1 : 0;
        totals.m_not_compatible += state == DEVICE_NOT_COMPATIBLE ? 1 : 0;
        totals.m_ambiguous += state == DEVICE_AMBIGUOUS ? 1 : 0;
        totals.m_not_read += state == DEVICE_NOT_READ ? 1 : 0;
        totals.m_failed += state == DEVICE_FAILED ? 1 : 0;
        totals.m_stopped += state == DEVICE_STOPPED ? 1 : 0;
        totals.m_changed += state == DEVICE_CHANGED ? 1 : 0;
        totals.m_not_contacted += state == DEVICE_NOT_CONTACTED ? 1 : 0;
        totals.m_left += device.m_refused.size();
        const std::size_t fields = p_done                    ? fields_written(device)
                                   : state == DEVICE_DIFFERS ? device.m_plan.m_changes.size()
                                                             : 0;
        totals.m_differing += fields != 0 ? 1 : 0;
        totals.m_differences += fields;
    }
    return totals;
}

// The fields of the devices to write go into the run's undo record.
void record(run_t& p_run, const std::vector<device_sync_t*>& p_devices) {
    for (const device_sync_t* device : p_devices) {
        for (const field_change_t& change : device->m_plan.m_changes) {
            p_run.m_written.push_back(undo_field_t{device->m_name, device->m_mac, change.m_entry,
                                                   change.m_field, change.m_old, change.m_new});
        }
    }
}

// False, with the device's state saying why, when nothing more may be sent to it: a Ctrl-C
// came, or the service went away (its labels are then the old ones).
bool may_send(run_t& p_run, device_sync_t& p_device) {
    if (platform::interrupted()) {
        p_device.m_state = DEVICE_STOPPED;
        return false;
    }
    if (p_run.m_links.first().open_failed()) {
        p_device.m_state = DEVICE_NOT_CONTACTED;
        return false;
    }
    return true;
}

// A device's read is older than its writes may start from.
bool read_is_old(const device_sync_t& p_device) {
    return platform::monotonic_ms() - p_device.m_read_ms >= fresh_read_ms();
}

// Whether the device read again plans what it planned: false when its plan changed meanwhile
// (it is then named, with its plan now) or the read failed.
bool plans_the_same(const area_read_t& p_read, bool p_undo, const std::string& p_file,
                    device_sync_t& p_device) {
    if (p_read.m_state != AREA_READ) {
        printf_error_message(sync_msg::read_failed_at(p_device.m_name, p_read));
        p_device.m_state = p_read.m_state == AREA_STOPPED ? DEVICE_STOPPED : DEVICE_NOT_READ;
        return false;
    }
    const plan_t before = p_device.m_plan;
    plan_device(p_read, p_undo, p_device);
    const std::vector<field_change_t>& now = p_device.m_plan.m_changes;
    const bool same = now.size() == before.m_changes.size() &&
                      std::equal(now.begin(), now.end(), before.m_changes.begin(),
                                 [](const field_change_t& p_a, const field_change_t& p_b) {
                                     return p_a.m_entry == p_b.m_entry &&
                                            p_a.m_field == p_b.m_field && p_a.m_old == p_b.m_old &&
                                            p_a.m_new == p_b.m_new;
                                 });
    if (!same) {
        printf_str(sync_msg::changed_since(p_device.m_name, p_device.m_mac));
        show_plan(p_device, p_file, p_undo);
        p_device.m_state = DEVICE_CHANGED;
    }
    return same;
}

// Reads the device again, on the first link, when its read is old; false as plans_the_same.
bool still_planned(run_t& p_run, const network_view_t& p_view, bool p_undo,
                   const std::string& p_file, device_sync_t& p_device) {
    return !read_is_old(p_device) ||
           plans_the_same(
               read_device_area(p_run.m_links.first(), p_view.m_keys, request_of(p_device)), p_undo,
               p_file, p_device);
}

// The devices that may be written, those whose reads are old read again side by side: those
// whose plans still hold, in order.
std::vector<device_sync_t*> still_planned(run_t& p_run, const network_view_t& p_view, bool p_undo,
                                          const std::string& p_file,
                                          const std::vector<device_sync_t*>& p_devices) {
    std::vector<device_sync_t*> old;
    std::vector<area_request_t> requests;
    for (device_sync_t* device : p_devices) {
        if (may_send(p_run, *device) && read_is_old(*device)) {
            old.push_back(device);
            requests.push_back(request_of(*device));
        }
    }
    const std::vector<area_read_t> reads =
        read_device_areas(p_run.m_links, p_view.m_keys, requests);
    std::vector<device_sync_t*> still;
    for (std::size_t k = 0, read = 0; k < p_devices.size(); ++k) {
        device_sync_t& device = *p_devices[k];
        const bool was_old = read < old.size() && old[read] == &device;
        if (was_old ? plans_the_same(reads[read++], p_undo, p_file, device)
                    : device.m_state == DEVICE_DIFFERS) {
            still.push_back(&device);
        }
    }
    return still;
}

// Writes one device and reads it back.
void write_device(run_t& p_run, const network_view_t& p_view, device_sync_t& p_device) {
    p_device.m_result =
        apply_plan(p_run.m_links.first(), p_view.m_keys, p_device.m_mac, p_device.m_plan);
    const writes_end_t end = p_device.m_result.m_end;
    p_device.m_state = end == WRITES_COMPLETE  ? DEVICE_WRITTEN
                       : end == WRITES_STOPPED ? DEVICE_STOPPED
                                               : DEVICE_FAILED;
}

// What became of a device that was to be written, said after the writing line.
void tell_outcome(const device_sync_t& p_device, bool p_began) {
    const std::vector<field_change_t>& changes = p_device.m_plan.m_changes;
    switch (p_device.m_state) {
        case DEVICE_FAILED:
            printf_error_message(sync_msg::failure(p_device.m_name, changes[p_device.m_result.m_at],
                                                   p_device.m_result.m_end));
            printf_error_message(sync_msg::area_now(p_device.m_name, changes));
            break;
        case DEVICE_STOPPED:
            printf_error_message(p_began ? sync_msg::area_now(p_device.m_name, changes)
                                         : sync_msg::stopped_before(p_device.m_name));
            break;
        case DEVICE_NOT_CONTACTED:
            printf_error_message(sync_msg::not_contacted(p_device.m_name));
            break;
        default:
            break;
    }
}

// Each device to write, read again when its read is old, then written, on one progress line;
// the undo record, when asked for, is made before the first write. After the line, what
// failed or did not happen is said, device by device.
void write_devices(run_t& p_run, const network_view_t& p_view, file_sync_t& p_file, bool p_undo,
                   std::vector<device_sync_t*>& p_devices) {
    progress_line line(sync_msg::writing(p_devices), p_devices.size());
    record(p_run, still_planned(p_run, p_view, p_undo, p_file.m_file, p_devices));
    const bool recorded = write_undo_record(p_run, p_view, p_file.m_file);
    p_file.m_record_failed = !recorded;
    std::vector<bool> began(p_devices.size(), false);
    for (std::size_t k = 0; k < p_devices.size(); ++k) {
        device_sync_t& device = *p_devices[k];
        line.counter().show_text(
            k + 1, " device " + std::to_string(k + 1) + " of " + std::to_string(p_devices.size()));
        // Not written: its plan changed, its read failed, or the record could not be made.
        if (device.m_state != DEVICE_DIFFERS || !recorded) {
            continue;
        }
        // The record holds the bytes of the read that was fresh: a device read again since
        // must still plan the same fields from the same bytes.
        if (!may_send(p_run, device) ||
            !still_planned(p_run, p_view, p_undo, p_file.m_file, device)) {
            continue;
        }
        began[k] = true;
        write_device(p_run, p_view, device);
    }
    bool failed = !recorded;
    for (const device_sync_t* device : p_devices) {
        failed = failed || (device->m_state != DEVICE_WRITTEN && device->m_state != DEVICE_STOPPED);
    }
    line.end(platform::interrupted() ? LINE_STOPPED : failed ? LINE_FAILED : LINE_OK);
    for (std::size_t k = 0; k < p_devices.size(); ++k) {
        tell_outcome(*p_devices[k], began[k]);
    }
    p_file.m_wrote = true;
}

// The devices with a plan, once the operator agreed (unless --yes).
bool agreed(const options_t& p_options, const file_sync_t& p_file,
            const std::vector<device_sync_t*>& p_devices) {
    console_message_t lines;
    for (std::size_t k = 0; k < p_devices.size(); ++k) {
        lines += sync_msg::confirmation_line(k + 1, p_devices[k]->m_name, p_devices[k]->m_mac,
                                             p_devices[k]->m_plan.m_changes.size());
    }
    const confirmation_t answer = platform::interrupted() ? REFUSED
                                  : p_options.m_yes       ? CONFIRMED
                                                          : ask_confirmation(lines);
    if (platform::interrupted()) {
        printf_error_message(sync_msg::stopped_before_writes(p_file.m_file));
    }
    return answer == CONFIRMED && !platform::interrupted();
}

// The network looked at for a file: false, after saying why, when it cannot be worked on.
bool look(run_t& p_run, network_view_t& p_view) {
    look_at_network(p_run.m_links, p_view);
    if (!p_run.m_greeted && !p_view.m_greeting.empty()) {
        show_greeting(p_view.m_greeting);
        p_run.m_greeted = true;
    }
    const look_trouble_t trouble = look_trouble(p_view);
    if (trouble == LOOK_NOT_REACHED) {
        printf_error_message(p_view.m_not_reached);
    }
    if (trouble != LOOK_DONE && trouble != LOOK_STOPPED) {
        printf_error_message(look_trouble_message(trouble, p_view, G_nothing_done));
        return false;
    }
    if (p_view.m_link_lost) {
        printf_error_message(link_lost_warning);
    }
    return true;
}

job_status_t device_status(device_state_t p_state) {
    if (p_state == DEVICE_SAME || p_state == DEVICE_WRITTEN) {
        return JOB_DONE;
    }
    return p_state == DEVICE_DIFFERS || p_state == DEVICE_STOPPED || p_state == DEVICE_CHANGED
               ? JOB_DIFFERS
               : JOB_FAILED;
}

// The devices of the file in a state.
std::vector<device_sync_t*> in_state(file_sync_t& p_file, device_state_t p_state) {
    std::vector<device_sync_t*> devices;
    for (device_sync_t& device : p_file.m_devices) {
        if (device.m_state == p_state) {
            devices.push_back(&device);
        }
    }
    return devices;
}

}  // namespace

file_sync_t read_file(const std::string& p_file) {
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
    for (const label_file_target_t& target : label_file_targets()) {
        device_sync_t device;
        device.m_name = target.m_name;
        device.m_presets = target.m_presets;
        if (target.m_presets_given > label_preset_count) {
            printf_error_message(too_many_presets_warning(target.m_name));
        }
        result.m_devices.push_back(device);
    }
    return result;
}

file_sync_t read_record(const std::string& p_file) {
    file_sync_t result;
    result.m_file = p_file;
    result.m_state = FILE_NOT_READ;
    std::string text;
    std::string why = "it cannot be opened";
    std::vector<undo_field_t> fields;
    label_file_reader reader;
    if (reader.open(p_file)) {
        // Lines as the label files are read: bounded, whatever the file holds.
        for (std::string line; reader.next_line(line);) {
            text += line + "\n";
        }
        why = reader.read_failed() ? "it cannot be read" : "";
    }
    if (!why.empty() || !read_undo_record(text, fields, why)) {
        printf_error_message(sync_msg::record_not_read(p_file, why));
        return result;
    }
    result.m_state = FILE_READ;
    for (const undo_field_t& field : fields) {
        const auto same_name = [&](const device_sync_t& p_device) {
            return p_device.m_name == field.m_name;
        };
        auto device = std::find_if(result.m_devices.begin(), result.m_devices.end(), same_name);
        if (device == result.m_devices.end()) {
            result.m_devices.push_back(device_sync_t());
            device = result.m_devices.end() - 1;
            device->m_name = field.m_name;
        }
        device->m_record.push_back(field);
    }
    return result;
}

void sync_file(run_t& p_run, file_sync_t& p_file) {
    const options_t& options = p_run.m_options;
    const bool undo = !options.m_undo.empty();
    if (p_file.m_state != FILE_READ) {
        return;
    }
    std::vector<device_sync_t> devices;
    std::vector<std::string> names;
    for (const device_sync_t& device : p_file.m_devices) {
        if (options.m_only.empty() || std::find(options.m_only.begin(), options.m_only.end(),
                                                device.m_name) != options.m_only.end()) {
            devices.push_back(device);
            names.push_back(device.m_name);
        }
    }
    p_file.m_devices = devices;
    if (devices.empty()) {
        printf_error_message(sync_msg::no_target(p_file.m_file));
        p_file.m_state = FILE_NO_TARGET;
        return;
    }
    // From the first command on, a Ctrl-C stops the sync instead of ending the program.
    platform::catch_interrupts();
    network_view_t view;
    if (!look(p_run, view)) {
        p_file.m_state = FILE_NO_NETWORK;
        p_file.m_devices.clear();  // none was looked at
        return;
    }
    const std::vector<target_lookup_t> lookups = look_up_targets(view, names);
    std::vector<device_sync_t*> found;
    for (std::size_t k = 0; k < lookups.size(); ++k) {
        device_sync_t& device = p_file.m_devices[k];
        if (platform::interrupted()) {
            // Not looked up: after a stop the network may not have been asked whole.
            device.m_state = DEVICE_STOPPED;
            continue;
        }
        find_target(view, lookups[k], device);
        if (device.m_state == DEVICE_SAME) {
            found.push_back(&device);
        }
    }
    read_and_plan(p_run, view, undo, found);
    for (const device_sync_t& device : p_file.m_devices) {
        show_plan(device, p_file.m_file, undo);
    }
    p_file.m_plan = totals_of(p_file.m_devices, false);
    printf_str(sync_msg::plan_totals(p_file, p_run.m_file_count > 1, undo));
    if (platform::interrupted()) {
        printf_error_message(sync_msg::stopped_before_writes(p_file.m_file));
        return;
    }
    std::vector<device_sync_t*> to_write = in_state(p_file, DEVICE_DIFFERS);
    if (options.m_dry_run || to_write.empty() || p_run.m_record_failed ||
        !agreed(options, p_file, to_write)) {
        return;
    }
    write_devices(p_run, view, p_file, undo, to_write);
    p_file.m_done = totals_of(p_file.m_devices, true);
    printf_str(sync_msg::done_totals(p_file, p_run.m_file_count > 1));
}

job_status_t run_status(const std::vector<file_sync_t>& p_files) {
    job_status_t status = JOB_DONE;
    for (const file_sync_t& file : p_files) {
        status = std::max(status, file.m_state == FILE_READ ? JOB_DONE
                                  : file.m_state == FILE_NOT_RUN || file.m_state == FILE_NO_TARGET
                                      ? JOB_DIFFERS
                                      : JOB_FAILED);
        status = std::max(status, file.m_record_failed ? JOB_FAILED : JOB_DONE);
        for (const device_sync_t& device : file.m_devices) {
            status = std::max(status, device_status(device.m_state));
            // An undo that left a field holding other bytes did not put everything back.
            status = std::max(status, device.m_refused.empty() ? JOB_DONE : JOB_DIFFERS);
        }
    }
    return status;
}

}  // namespace sync_job
