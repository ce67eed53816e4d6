// --list: the network as the service reports it, for people or, with --json, for scripts.
#include "read_brimel_label/read_brimel_label.h"

#include <algorithm>

#include "basic_type/json_text.h"
#include "basic_type/label_area.h"
#include "device_core/network_view.h"
#include "read_brimel_label/read_messages.h"

namespace {

// What a listed device is to the tools.
const char* state_of(const network_device_t& p_device) {
    if (!p_device.m_answered) {
        return "no information answer";
    }
    return p_device.m_info.is_compatible() ? "compatible" : "not compatible";
}

// A text of the service as standard output, where the list goes, shows it.
std::string shown(const console_message_t& p_text) {
    return p_text.shown_on(platform::CONSOLE_OUT);
}

// The columns a shown name takes: its characters where a terminal shows UTF-8, its bytes
// elsewhere.
std::size_t columns_of(const std::string& p_shown) {
    if (!platform::console_is_terminal(platform::CONSOLE_OUT) || !platform::console_uses_utf8()) {
        return p_shown.size();
    }
    return static_cast<std::size_t>(std::count_if(p_shown.begin(), p_shown.end(), [](char p_c) {
        return (static_cast<unsigned char>(p_c) & 0xC0) != 0x80;  // no continuation byte
    }));
}

// One line per listed identifier, names in a column as wide as the longest, at most as wide
// as a name field: a longer name (an alias the service made up) runs on, so that it lengthens
// its own line and no other.
std::string list_text(const network_view_t& p_view) {
    std::vector<std::string> names;
    std::vector<std::size_t> columns;
    std::size_t width = 1;
    for (const network_device_t& device : p_view.m_devices) {
        names.push_back(device.m_answered ? shown(service_text(device.m_info.m_alias)) : "-");
        columns.push_back(columns_of(names.back()));
        width = std::max(width, std::min(columns.back(), label_name_field_length));
    }
    std::string text = shown(read_msg::network_line(p_view.m_name, p_view.m_devices.size()));
    for (std::size_t k = 0; k < names.size(); ++k) {
        const network_device_t& device = p_view.m_devices[k];
        const net_device_info_t& info = device.m_info;
        text += names[k] + std::string(width - std::min(width, columns[k]) + 2, ' ') +
                shown(service_text(device.m_identifier)) + "  " +
                (device.m_answered ? read_msg::identifiers(info.m_mir, info.m_pir, info.m_fir)
                                   : std::string()) +
                state_of(device) + "\r\n";
    }
    return text;
}

std::string list_json(const network_view_t& p_view, std::size_t p_connections) {
    std::vector<std::string> devices;
    for (const network_device_t& device : p_view.m_devices) {
        const net_device_info_t& info = device.m_info;
        const bool answered = device.m_answered;
        devices.push_back(
            json_object({{"name", answered ? json_cp850_string(info.m_alias) : json_null},
                         {"mac", json_cp850_string(device.m_identifier)},
                         {"mir", answered ? json_number(info.m_mir) : json_null},
                         {"pir", answered ? json_number(info.m_pir) : json_null},
                         {"fir", answered ? json_number(info.m_fir) : json_null},
                         {"compatible", json_bool(answered && info.is_compatible())},
                         {"answered", json_bool(answered)}}));
    }
    json_members_t members = json_service(p_view.m_greeting, p_connections);
    members.push_back({"network", json_cp850_string(p_view.m_name)});
    members.push_back({"devices", json_array(devices)});
    return json_result(members);
}

}  // namespace

job_status_t read_job::list(service_connections& p_links, bool p_json) {
    network_view_t view;
    if (!look(p_links, view, p_json)) {
        return JOB_FAILED;
    }
    if (!print_result(p_json ? list_json(view, p_links.accepted()) : list_text(view))) {
        return JOB_FAILED;
    }
    return view.m_link_lost ? JOB_FAILED : JOB_DONE;
}
