// The run as one JSON object for a script.
#include "basic_type/json_text.h"
#include "sync_brimel_label/sync_brimel_label.h"
#include "sync_brimel_label/sync_messages.h"

namespace sync_job {

namespace {

// The states as the JSON says them, in the order of their enumerations.
const char* const G_file_states[] = {"read",       "not read", "refused",
                                     "no network", "not run",  "no target"};
const char* const G_device_states[] = {"same",      "written",  "differs",       "stopped",
                                       "failed",    "not read", "not found",     "not compatible",
                                       "ambiguous", "changed",  "not contacted", "other device"};
const char* const G_field_states[] = {"old", "written", "new", "old or new", "other"};

std::string change_json(const field_change_t& p_change) {
    return json_object({{"entry", json_number(static_cast<long long>(p_change.m_entry))},
                        {"field", json_string(sync_msg::field_name(p_change.m_field))},
                        {"old", json_cp850_string(field_bytes(p_change.m_old))},
                        {"new", json_cp850_string(field_bytes(p_change.m_new))},
                        {"now", json_string(G_field_states[p_change.m_now])}});
}

// The command that failed, and its field.
std::string failure_json(const device_sync_t& p_device) {
    if (p_device.m_state != DEVICE_FAILED) {
        return json_null;
    }
    const field_change_t& change = p_device.m_plan.m_changes[p_device.m_result.m_at];
    const bool write = p_device.m_result.m_end == WRITE_FAILED;
    return json_object({{"command", json_string(write ? "write" : "read-back")},
                        {"entry", json_number(static_cast<long long>(change.m_entry))},
                        {"field", json_string(sync_msg::field_name(change.m_field))}});
}

std::string changes_json(const std::vector<field_change_t>& p_changes) {
    std::vector<std::string> fields;
    for (const field_change_t& change : p_changes) {
        fields.push_back(change_json(change));
    }
    return json_array(fields);
}

std::string device_json(const device_sync_t& p_device) {
    return json_object(
        {{"name", json_cp850_string(p_device.m_name)},
         {"mac", p_device.m_mac.empty() ? json_null : json_cp850_string(p_device.m_mac)},
         {"state", json_string(G_device_states[p_device.m_state])},
         {"fields", changes_json(p_device.m_plan.m_changes)},
         {"refused", changes_json(p_device.m_refused)},
         {"failure", failure_json(p_device)}});
}

}  // namespace

std::string run_json(const std::vector<file_sync_t>& p_files, bool p_dry_run,
                     const std::string& p_greeting, std::size_t p_connections) {
    std::vector<std::string> files;
    for (const file_sync_t& file : p_files) {
        std::vector<std::string> lines;
        for (const uint32_t line : file.m_refused_lines) {
            lines.push_back(json_number(line));
        }
        std::vector<std::string> devices;
        for (const device_sync_t& device : file.m_devices) {
            devices.push_back(device_json(device));
        }
        const bool planned = file.m_plan.m_devices != 0;
        files.push_back(
            json_object({{"file", json_string(file.m_file)},
                         {"state", json_string(G_file_states[file.m_state])},
                         {"refused_lines", json_array(lines)},
                         {"devices", json_array(devices)},
                         {"totals", planned ? totals_json(file.m_plan, "fields") : json_null},
                         {"done", file.m_wrote ? totals_json(file.m_done, "fields") : json_null}}));
    }
    json_members_t members = json_service(p_greeting, p_connections);
    members.push_back({"dry_run", json_bool(p_dry_run)});
    members.push_back({"files", json_array(files)});
    return json_result(members);
}

}  // namespace sync_job
