// --list: the network as the service reports it, for people or, with --json, for scripts.
#include "read_brimel_label/read_brimel_label.h"

#include <algorithm>

#include "basic_type/json_text.h"
#include "device_core/network_view.h"
#include "platform/output_file.h"
#include "read_brimel_label/read_messages.h"

namespace {

// What a listed device is to the tools.
const char* state_of(const network_device_t& p_device) {
    if (!p_device.m_answered) {
        return "no answer";
    }
    return p_device.m_info.is_compatible() ? "compatible" : "not compatible";
}

// One line per listed identifier, names in a column as wide as the longest.
std::string list_text(const network_view_t& p_view) {
    std::size_t width = 1;
    for (const network_device_t& device : p_view.m_devices) {
        width = std::max(width, service_text_in_messages(device.m_info.m_alias).size());
    }
    std::string text =
        read_msg::network_line(service_text_in_messages(p_view.m_name), p_view.m_devices.size());
    for (const network_device_t& device : p_view.m_devices) {
        const net_device_info_t& info = device.m_info;
        const std::string name = device.m_answered ? service_text_in_messages(info.m_alias) : "-";
        text += name + std::string(width - name.size() + 2, ' ') +
                service_text_in_messages(device.m_identifier) + "  " +
                (device.m_answered ? read_msg::identifiers(info.m_mir, info.m_pir, info.m_fir)
                                   : std::string()) +
                state_of(device) + "\r\n";
    }
    return text;
}

std::string list_json(const network_view_t& p_view) {
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
    return json_object(
               {{"network", json_cp850_string(p_view.m_name)}, {"devices", json_array(devices)}}) +
           "\n";
}

}  // namespace

read_status_t read_job::list(bool p_json) {
    if (p_json) {
        messages_to_standard_error();  // the JSON alone goes to standard output
    }
    network_view_t view;
    if (!look(view)) {
        return READ_FAILED;
    }
    std::string reason;
    if (!platform::write_standard_output(p_json ? list_json(view) : list_text(view), reason)) {
        printf_error_message(read_msg::standard_output_failed(reason));
        return READ_FAILED;
    }
    return view.m_link_lost ? READ_FAILED : READ_DONE;
}
