#include "device_core/label_reading.h"

#include <atomic>
#include <memory>

#include "platform/interrupt.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

// A failed read of p_page, or a stop before it.
area_read_t& not_read(area_read_t& p_read, uint32_t p_page, command_end_t p_why) {
    p_read.m_state = platform::interrupted() ? AREA_STOPPED : AREA_NOT_READ;
    p_read.m_failed_page = p_page;
    p_read.m_why = p_why;
    p_read.m_entries.clear();
    return p_read;
}

// Reads P, then S.
bool read_location(socket_handle& p_link, const zel_network_keys_t& p_network,
                   const std::string& p_mac, area_read_t& p_read) {
    label_location_t& location = p_read.m_location;
    if (platform::interrupted()) {
        not_read(p_read, label_location_page, COMMAND_NOT_SENT);
        return false;
    }
    command_end_t end = read_location_byte(p_link, p_mac, p_network, label_location_page,
                                           label_page_index_offset, location.m_page_index);
    if (end != COMMAND_ANSWERED) {
        not_read(p_read, label_location_page, end);
        return false;
    }
    const uint32_t page = static_cast<uint32_t>(location.m_page_index);
    end = platform::interrupted()
              ? COMMAND_NOT_SENT
              : read_location_byte(p_link, p_mac, p_network, page, label_start_offset_offset,
                                   location.m_start_offset);
    if (end != COMMAND_ANSWERED) {
        not_read(p_read, page, end);
        return false;
    }
    return true;
}

}  // namespace

area_read_t read_device_area(socket_handle& p_link, const zel_network_keys_t& p_network,
                             const area_request_t& p_request, const fields_read_t& p_progress) {
    area_read_t read;
    if (!read_location(p_link, p_network, p_request.m_mac, read)) {
        return read;
    }
    if (!read.m_location.is_safe()) {
        read.m_state = AREA_UNSAFE;
        return read;
    }
    std::vector<uint32_t> fields = p_request.m_fields;
    if (fields.empty()) {
        // None asked for: all of them.
        for (uint32_t page = 0; page < label_area_pages; ++page) {
            fields.push_back(page);
        }
    }
    read.m_entries.assign(label_preset_count, label_preset_t());
    const uint32_t base = label_area_base(static_cast<uint32_t>(read.m_location.m_page_index),
                                          static_cast<uint32_t>(read.m_location.m_start_offset));
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const uint32_t page = fields[k];
        label_preset_t& entry = read.m_entries[page / label_pages_per_preset];
        std::string* const names[label_pages_per_preset] = {&entry.label, &entry.device_id,
                                                            &entry.channel_id};
        std::vector<uint8_t> bytes;
        const command_end_t end =
            platform::interrupted()
                ? COMMAND_NOT_SENT
                : read_memory_bytes(p_link, p_request.m_mac, p_network, base + page, 0,
                                    label_name_field_length, bytes);
        if (end != COMMAND_ANSWERED) {
            return not_read(read, base + page, end);
        }
        names[page % label_pages_per_preset]->assign(bytes.begin(), bytes.end());
        if (p_progress) {
            p_progress(k + 1);
        }
    }
    read.m_state = AREA_READ;
    return read;
}

std::vector<area_read_t> read_device_areas(service_connections& p_links,
                                           const zel_network_keys_t& p_network,
                                           const std::vector<area_request_t>& p_requests,
                                           progress_line* p_line) {
    const std::size_t count = p_requests.size();
    std::vector<area_read_t> reads(count);
    std::vector<std::size_t> fields(count);
    std::size_t all_fields = 0;
    for (std::size_t k = 0; k < count; ++k) {
        fields[k] =
            p_requests[k].m_fields.empty() ? label_area_pages : p_requests[k].m_fields.size();
        all_fields += fields[k];
    }
    // What each read has done, for the line drawn on the calling thread.
    std::unique_ptr<std::atomic<std::size_t>[]> read_so_far(new std::atomic<std::size_t>[count]());
    std::unique_ptr<std::atomic<bool>[]> finished(new std::atomic<bool>[count]());
    const bool side_by_side = p_links.side_by_side(count);
    p_links.run(
        count,
        [&](socket_handle& p_link, std::size_t p_job) {
            read_so_far[p_job] = 0;
            finished[p_job] = false;
            reads[p_job] =
                read_device_area(p_link, p_network, p_requests[p_job], [&](std::size_t p_fields) {
                    read_so_far[p_job] = p_fields;
                    if (p_line != nullptr && !side_by_side) {
                        p_line->show_device(p_job + 1, p_fields, fields[p_job]);
                    }
                });
            finished[p_job] = true;
            return connection_was_lost(p_link, reads[p_job].m_why) ? JOB_CONNECTION_LOST
                                                                   : JOB_ENDED;
        },
        [&](std::size_t p_working) {
            if (p_line == nullptr) {
                return;
            }
            std::size_t done = 0;
            std::size_t ended = 0;
            for (std::size_t k = 0; k < count; ++k) {
                done += read_so_far[k];
                ended += finished[k] ? 1 : 0;
            }
            p_line->show_side_by_side(ended, p_working,
                                      static_cast<double>(done) / static_cast<double>(all_fields));
        });
    return reads;
}

std::vector<area_request_t> whole_areas(const std::vector<std::string>& p_macs) {
    std::vector<area_request_t> requests;
    for (const std::string& mac : p_macs) {
        requests.push_back(area_request_t{mac, {}});
    }
    return requests;
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
