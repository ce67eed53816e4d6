#include "device_core/network_capture.h"

namespace {

// A name as a description word: plain when the simulator reads it back as it is, a quoted
// text otherwise (blanks, quotes, "#", bytes beyond ASCII).
std::string description_word(const std::string& p_name) {
    bool plain = !p_name.empty() && p_name[0] != '"';
    for (char c : p_name) {
        plain = plain && c > ' ' && c < 0x7F && c != '"' && c != '#' && c != '\\';
    }
    return plain ? p_name : quoted_cp850(p_name);
}

// One line per entry that holds a byte, each name field up to its last byte that is not zero.
std::string entry_lines(const label_entries_t& p_entries) {
    std::string text;
    for (std::size_t k = 0; k < p_entries.size(); ++k) {
        const label_preset_t entry{field_bytes(p_entries[k].label),
                                   field_bytes(p_entries[k].device_id),
                                   field_bytes(p_entries[k].channel_id)};
        if (!is_empty_entry(entry)) {
            text += std::string(k < 9 ? "  0" : "  ") + std::to_string(k + 1) +
                    " label=" + quoted_cp850(entry.label) +
                    " device=" + quoted_cp850(entry.device_id) +
                    " channel=" + quoted_cp850(entry.channel_id) + "\n";
        }
    }
    return text;
}

}  // namespace

std::string capture_head(const network_view_t& p_view, const char* p_version) {
    return std::string("# A capture of a network by read_brimel_label ") + p_version +
           ", for zel_service_sim --network\n" + "network " + description_word(p_view.m_name) +
           "\n";
}

std::string captured_device_text(const network_device_t& p_device, const captured_area_t* p_area) {
    const net_device_info_t& info = p_device.m_info;
    // Only a compatible device has a label area; the others keep page 0.
    const bool located = p_area != nullptr && p_area->m_location.m_page_index >= 0 &&
                         p_area->m_location.m_start_offset >= 0;
    const bool with_area = p_area != nullptr && !p_area->m_entries.empty();
    return description_word(info.m_alias) + " " + description_word(p_device.m_identifier) + " " +
           std::to_string(info.m_mir) + " " + std::to_string(info.m_pir) + " " +
           std::to_string(info.m_fir) + " " +
           std::to_string(located ? p_area->m_location.m_page_index : 0) + " " +
           std::to_string(located ? p_area->m_location.m_start_offset : 0) +
           " info=" + quoted_cp850(info.m_fields) + (with_area ? " area\n" : "\n") +
           (with_area ? entry_lines(p_area->m_entries) : std::string());
}

std::string unread_device_text(const network_device_t& p_device) {
    return "# " + quoted_cp850(p_device.m_identifier) + " " +
           quoted_cp850(p_device.m_info.m_alias) + ": its label area could not be read\n";
}

std::string uncaptured_device_text(const network_device_t& p_device) {
    return "# " + quoted_cp850(p_device.m_identifier) + ": no information answer\n";
}
