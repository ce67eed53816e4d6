// Finding the target devices on the network: the information of every listed device, and
// the targets that cannot be told apart.
#include "write_brimel_label/write_brimel_label.h"

#include <unordered_map>
#include <unordered_set>

#include "basic_type/zel_protocol.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

// A silent service would otherwise cost a time-out per listed device.
const int G_unanswered_requests_limit = 3;

// A MAC text in one letter case, to group the answers of one device.
std::string device_key(const std::string& p_mac) {
    std::string key = p_mac;
    for (char& c : key) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - ('a' - 'A'));
        }
    }
    return key;
}

// Appends p_text unless p_texts holds it already (p_same tells equal texts).
void add_distinct(std::vector<std::string>& p_texts, const std::string& p_text,
                  bool (*p_same)(const std::string&, const std::string&)) {
    for (const std::string& text : p_texts) {
        if (p_same(text, p_text)) {
            return;
        }
    }
    p_texts.push_back(p_text);
}

bool same_text(const std::string& p_first, const std::string& p_second) {
    return p_first == p_second;
}

std::string joined(const std::vector<std::string>& p_texts) {
    std::string text = p_texts[0];
    for (std::size_t k = 1; k < p_texts.size(); ++k) {
        text += (k + 1 == p_texts.size() ? " and " : ", ") + p_texts[k];
    }
    return text;
}

}  // namespace

Status zel_config_env::request_network_information() {
    std::unordered_set<std::string> asked;
    int unanswered = 0;
    const std::size_t listed = found_net_device.size();
    for (std::size_t k = 0; k < listed; ++k) {
        const std::string mac = found_net_device[k];
        // A listing that repeats an identifier names one device.
        if (!asked.insert(mac).second) {
            continue;
        }
        if (unanswered == G_unanswered_requests_limit) {
            printf_error_message(
                "Warning: ZEL-Service stopped answering: the devices not asked yet are taken as "
                "not found.\r\n");
            return FAIL;
        }
        req_get_info_ext(mac);
        unanswered = zel_service.last_command_answered() ? 0 : unanswered + 1;
    }
    return SUCCESS;
}

void zel_config_env::mark_ambiguous_targets(const char* p_not_done) {
    std::unordered_map<std::string, std::vector<std::string>> macs_of_name;
    std::unordered_map<std::string, std::vector<std::string>> names_of_device;
    for (const net_device_info_t& report : reported_devices) {
        add_distinct(macs_of_name[report.m_alias], report.m_mac, zel_same_device);
        add_distinct(names_of_device[device_key(report.m_mac)], report.m_alias, same_text);
    }
    for (brimel_config_rm6x_device& device : device_list) {
        const auto macs = macs_of_name.find(device.m_device_name);
        if (macs == macs_of_name.end()) {
            continue;  // not found on the network
        }
        if (macs->second.size() > 1) {
            device.m_ambiguous = true;
            printf_error_message("Warning: " + device.m_device_name +
                                 " is the name of more than one device on the network: " +
                                 joined(macs->second) + ". It is not " + p_not_done + ".\r\n");
            continue;
        }
        const std::vector<std::string>& names = names_of_device[device_key(macs->second[0])];
        if (names.size() > 1) {
            device.m_ambiguous = true;
            printf_error_message("Warning: the device " + macs->second[0] + " answers as " +
                                 joined(names) + ": " + device.m_device_name + " is not " +
                                 p_not_done + ".\r\n");
        }
    }
}
