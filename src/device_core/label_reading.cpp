#include "device_core/label_reading.h"

#include "platform/interrupt.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

// The one byte at p_page, p_offset.
Status read_byte_at(const std::string& p_mac, const zel_network_keys_t& p_network, uint32_t p_page,
                    uint32_t p_offset, int& p_value) {
    std::vector<uint8_t> bytes;
    if (read_memory_bytes(p_mac, p_network, p_page, p_offset, 1, bytes) == FAIL) {
        return FAIL;
    }
    p_value = bytes[0];
    return SUCCESS;
}

}  // namespace

Status read_label_location(const std::string& p_mac, const zel_network_keys_t& p_network,
                           label_location_t& p_location, uint32_t& p_failed_page) {
    p_location = label_location_t();
    if (read_byte_at(p_mac, p_network, label_location_page, label_page_index_offset,
                     p_location.m_page_index) == FAIL) {
        p_failed_page = label_location_page;
        return FAIL;
    }
    const uint32_t page = static_cast<uint32_t>(p_location.m_page_index);
    if (platform::interrupted() || read_byte_at(p_mac, p_network, page, label_start_offset_offset,
                                                p_location.m_start_offset) == FAIL) {
        p_failed_page = page;
        return FAIL;
    }
    return SUCCESS;
}

Status read_label_area(const std::string& p_mac, const zel_network_keys_t& p_network,
                       const label_location_t& p_location, label_entries_t& p_entries,
                       uint32_t& p_failed_page, progress_counter* p_progress) {
    p_entries.assign(label_preset_count, label_preset_t());
    const uint32_t base = label_area_base(static_cast<uint32_t>(p_location.m_page_index),
                                          static_cast<uint32_t>(p_location.m_start_offset));
    for (uint32_t page = 0; page < label_area_pages; ++page) {
        label_preset_t& entry = p_entries[page / label_pages_per_preset];
        std::string* const fields[label_pages_per_preset] = {&entry.label, &entry.device_id,
                                                             &entry.channel_id};
        std::vector<uint8_t> bytes;
        if (platform::interrupted() || read_memory_bytes(p_mac, p_network, base + page, 0,
                                                         label_name_field_length, bytes) == FAIL) {
            p_failed_page = base + page;
            return FAIL;
        }
        fields[page % label_pages_per_preset]->assign(bytes.begin(), bytes.end());
        if (p_progress != nullptr) {
            p_progress->show(page + 1);
        }
    }
    return SUCCESS;
}

std::string field_bytes(const std::string& p_field) {
    const std::size_t last = p_field.find_last_not_of('\0');
    return last == std::string::npos ? std::string() : p_field.substr(0, last + 1);
}

label_entries_t entry_texts(const label_entries_t& p_entries) {
    label_entries_t texts;
    for (const label_preset_t& entry : p_entries) {
        texts.push_back(label_preset_t{up_to_zero(entry.label), up_to_zero(entry.device_id),
                                       up_to_zero(entry.channel_id)});
    }
    return texts;
}

bool is_empty_entry(const label_preset_t& p_entry) {
    return p_entry.label.empty() && p_entry.channel_id.empty() && p_entry.device_id.empty();
}
