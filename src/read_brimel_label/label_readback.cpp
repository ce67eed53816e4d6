// Reading a device's label area: its two location bytes, then one read per name field.
#include "read_brimel_label/read_brimel_label.h"

#include "read_brimel_label/read_messages.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

const uint32_t G_fields_per_entry = 3;  // label, Dante device, channel
const uint32_t G_location_page = 1;     // the page of the label page index P

// Reads the two location bytes; p_failed_page names the page of the one that failed.
Status read_location(brimel_config_rm6x_device& p_device, uint32_t& p_failed_page) {
    // A record may be read again (the benchmark does): its old bytes must not stand in.
    p_device.m_cspr_page = -1;
    p_device.m_device_start_from_CSPR_offset = -1;
    // An answer the parser could not use leaves P unread though the read "succeeded".
    if (p_device.set_cspr_page() == FAIL || p_device.m_cspr_page < 0) {
        p_failed_page = G_location_page;
        return FAIL;
    }
    if (p_device.set_device_start_from_cspr_offset() == FAIL) {
        p_failed_page = static_cast<uint32_t>(p_device.m_cspr_page);
        return FAIL;
    }
    return SUCCESS;
}

// Reads the 192 name fields from the first page of the area, P + S.
Status read_name_fields(const brimel_config_rm6x_device& p_device, label_entries_t& p_entries,
                        uint32_t& p_failed_page, progress_counter* p_progress,
                        bool p_whole_fields) {
    p_entries.assign(brimel_config_rm6x_device::max_preset_label, label_preset_t());
    const uint32_t base = static_cast<uint32_t>(p_device.m_cspr_page) +
                          static_cast<uint32_t>(p_device.m_device_start_from_CSPR_offset);
    const uint32_t pages =
        static_cast<uint32_t>(brimel_config_rm6x_device::max_preset_label) * G_fields_per_entry;
    for (uint32_t page = 0; page < pages; ++page) {
        label_preset_t& entry = p_entries[page / G_fields_per_entry];
        std::string* const fields[G_fields_per_entry] = {&entry.label, &entry.device_id,
                                                         &entry.channel_id};
        if (read_name_field(p_device.m_zel_device_mac_adr, base + page,
                            *fields[page % G_fields_per_entry], p_whole_fields) == FAIL) {
            p_failed_page = base + page;
            return FAIL;
        }
        if (p_progress != nullptr) {
            p_progress->show(page + 1);
        }
    }
    return SUCCESS;
}

}  // namespace

Status read_label_area(brimel_config_rm6x_device& p_device, label_entries_t& p_entries,
                       uint32_t& p_failed_page, progress_counter* p_progress) {
    p_failed_page = 0;
    if (read_location(p_device, p_failed_page) == FAIL || !p_device.label_area_is_safe()) {
        return FAIL;
    }
    return read_name_fields(p_device, p_entries, p_failed_page, p_progress, false);
}

Status read_device_labels(brimel_config_rm6x_device& p_device, label_entries_t& p_entries,
                          bool p_whole_fields) {
    const std::string& name = p_device.m_device_name;
    // The location first, as the update does: its messages come before the progress line.
    uint32_t failed_page = 0;
    Status read = read_location(p_device, failed_page);
    printf_str_color(read_msg::reading(name), CYAN);
    if (read == SUCCESS && p_device.label_area_is_safe()) {
        progress_counter progress(brimel_config_rm6x_device::max_preset_label * G_fields_per_entry);
        read = read_name_fields(p_device, p_entries, failed_page, &progress, p_whole_fields);
        progress.clear();
        if (read == SUCCESS) {
            printf_str_color(read_msg::read_ok, GREEN);
            return SUCCESS;
        }
    }
    printf_error_message(read_msg::read_failed);
    printf_error_message(failed_page == 0
                             ? read_msg::area_unsafe(name, p_device.m_cspr_page,
                                                     p_device.m_device_start_from_CSPR_offset)
                             : read_msg::read_failed_at(name, failed_page));
    return FAIL;
}
