// The sync of one device: its plan from its area read whole, then one write per differing
// field and the read-backs that tell what each field holds.
#include "sync_brimel_label/sync_brimel_label.h"

#include "device_core/label_compare.h"
#include "platform/interrupt.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace sync_job {

namespace {

// The changes of one differing entry: each of its fields, in page order, whose bytes differ
// from the file's.
void add_changes(const entry_difference_t& p_difference, const label_preset_t& p_found,
                 std::vector<field_change_t>& p_changes) {
    const std::string* const found[label_pages_per_preset] = {&p_found.label, &p_found.device_id,
                                                              &p_found.channel_id};
    const std::string* const expected[label_pages_per_preset] = {
        &p_difference.m_expected.label, &p_difference.m_expected.device_id,
        &p_difference.m_expected.channel_id};
    for (uint32_t field = 0; field < label_pages_per_preset; ++field) {
        const std::string image = field_image(*expected[field]);
        if (image != *found[field]) {
            p_changes.push_back(
                field_change_t{p_difference.m_number, field, *found[field], image, FIELD_OLD});
        }
    }
}

uint32_t page_of(const plan_t& p_plan, const field_change_t& p_change) {
    const label_location_t& location = p_plan.m_location;
    return label_area_base(static_cast<uint32_t>(location.m_page_index),
                           static_cast<uint32_t>(location.m_start_offset)) +
           label_pages_per_preset * static_cast<uint32_t>(p_change.m_entry - 1) + p_change.m_field;
}

// Reads the field of a change whole: false when the read failed, otherwise p_state says what
// it holds.
bool read_field(socket_handle& p_link, const zel_network_keys_t& p_network,
                const std::string& p_mac, const plan_t& p_plan, const field_change_t& p_change,
                field_state_t& p_state) {
    std::vector<uint8_t> bytes;
    if (read_memory_bytes(p_link, p_mac, p_network, page_of(p_plan, p_change), 0,
                          label_name_field_length, bytes) != COMMAND_ANSWERED) {
        return false;
    }
    const std::string held(bytes.begin(), bytes.end());
    p_state = held == p_change.m_new ? FIELD_NEW : held == p_change.m_old ? FIELD_OLD : FIELD_OTHER;
    return true;
}

// Ends the run at p_at when none of its failures did before.
void end_at(writes_result_t& p_result, writes_end_t p_end, std::size_t p_at) {
    if (p_result.m_end == WRITES_COMPLETE) {
        p_result.m_end = p_end;
        p_result.m_at = p_at;
    }
}

}  // namespace

plan_t plan_of(const area_read_t& p_read, const label_entries_t& p_presets) {
    plan_t plan;
    plan.m_location = p_read.m_location;
    for (const entry_difference_t& difference : entry_differences(p_presets, p_read.m_entries)) {
        add_changes(difference, p_read.m_entries[difference.m_number - 1], plan.m_changes);
    }
    return plan;
}

writes_result_t apply_plan(socket_handle& p_link, const zel_network_keys_t& p_network,
                           const std::string& p_mac, plan_t& p_plan) {
    std::vector<field_change_t>& changes = p_plan.m_changes;
    writes_result_t result;
    std::size_t tried = 0;  // the fields a write was sent for
    while (tried < changes.size()) {
        field_change_t& change = changes[tried];
        if (platform::interrupted()) {
            return writes_result_t{WRITES_STOPPED, tried};
        }
        ++tried;
        if (write_memory_bytes(p_link, p_mac, p_network, page_of(p_plan, change), 0,
                               change.m_new) != COMMAND_ANSWERED) {
            // The service may have carried it out all the same: its read tells.
            change.m_now = FIELD_UNKNOWN;
            result = writes_result_t{WRITE_FAILED, tried - 1};
            break;
        }
        change.m_now = FIELD_WRITTEN;
    }
    for (std::size_t k = 0; k < tried; ++k) {
        field_state_t state = FIELD_UNKNOWN;
        if (platform::interrupted()) {
            end_at(result, WRITES_STOPPED, k);
            break;
        }
        if (!read_field(p_link, p_network, p_mac, p_plan, changes[k], state)) {
            end_at(result, READ_BACK_FAILED, k);
            break;
        }
        changes[k].m_now = state;
        if (state != FIELD_NEW && result.m_end == WRITES_COMPLETE) {
            result = writes_result_t{READ_BACK_DIFFERS, k};
            break;
        }
    }
    return result;
}

}  // namespace sync_job
