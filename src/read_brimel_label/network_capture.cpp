// A capture of the network: every listed device as the service reports it, in listing
// order, with the information it answered and, for each compatible device, its location
// bytes and its whole label area, written as the simulator's network description so that
// a rehearsal can replay the venue.
#include "read_brimel_label/read_brimel_label.h"

#include <unordered_set>

#include "basic_type/zel_protocol.h"
#include "project_version.h"
#include "read_brimel_label/read_messages.h"

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

const net_device_info_t* report_of(const zel_config_env& p_env, const std::string& p_mac) {
    for (const net_device_info_t& report : p_env.reported_devices) {
        if (zel_same_device(report.m_mac, p_mac)) {
            return &report;
        }
    }
    return nullptr;
}

std::string entry_lines(const label_entries_t& p_entries) {
    std::string text;
    for (std::size_t k = 0; k < p_entries.size(); ++k) {
        const label_preset_t& entry = p_entries[k];
        if (!is_empty_entry(entry)) {
            text += std::string(k < 9 ? "  0" : "  ") + std::to_string(k + 1) +
                    " label=" + quoted_cp850(entry.label) +
                    " device=" + quoted_cp850(entry.device_id) +
                    " channel=" + quoted_cp850(entry.channel_id) + "\n";
        }
    }
    return text;
}

// One device: its line, and for a compatible device its label area read whole.
Status capture_device(const std::string& p_mac, const net_device_info_t& p_report,
                      std::string& p_text) {
    // A record of the registry: the answers to its location reads are stored there.
    brimel_config_rm6x_device& device = zel_config_env::instance().add_device(p_report.m_alias);
    device.set_zel_device_mac_adr(p_mac);
    device.m_mir = p_report.m_mir;
    device.m_pir = p_report.m_pir;
    label_entries_t entries;
    // Only a compatible device has a label area to read; the others keep page 0. An area
    // over its own location bytes is not read (the tools refuse such a device anyway): its
    // location bytes are kept without it.
    if (device.is_KALDEN_RM6X_device() && read_device_labels(device, entries, true) == FAIL &&
        (device.m_device_start_from_CSPR_offset < 0 || device.label_area_is_safe())) {
        return FAIL;
    }
    const bool located = device.m_cspr_page >= 0 && device.m_device_start_from_CSPR_offset >= 0;
    p_text += description_word(p_report.m_alias) + " " + p_mac + " " +
              std::to_string(p_report.m_mir) + " " + std::to_string(p_report.m_pir) + " " +
              std::to_string(p_report.m_fir) + " " +
              std::to_string(located ? device.m_cspr_page : 0) + " " +
              std::to_string(located ? device.m_device_start_from_CSPR_offset : 0) +
              " info=" + quoted_cp850(p_report.m_fields) + (entries.empty() ? "\n" : " area\n");
    p_text += entry_lines(entries);
    return SUCCESS;
}

}  // namespace

Status capture_network(std::string& p_text) {
    zel_config_env& env = zel_config_env::instance();
    env.start_run(std::string());
    find_network_devices(env);
    if (env.found_net_device.empty()) {
        printf_error_message(read_msg::nothing_listed);
        return FAIL;
    }
    p_text = read_msg::capture_head(G_project_version) + "network " +
             description_word(env.found_network_name) + "\n";
    std::unordered_set<std::string> seen;
    for (const std::string& mac : env.found_net_device) {
        const net_device_info_t* report = report_of(env, mac);
        if (!seen.insert(mac).second) {
            continue;  // the listing named it before
        }
        if (report == nullptr) {
            printf_error_message(read_msg::not_captured(mac));
            p_text += "# " + mac + ": no information answer\n";
        } else if (capture_device(mac, *report, p_text) == FAIL) {
            return FAIL;
        }
    }
    return SUCCESS;
}
