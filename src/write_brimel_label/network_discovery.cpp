// Finding the target devices on the network: the information of every listed device, and
// the targets that cannot be told apart.
#include "write_brimel_label/write_brimel_label.h"

#include <unordered_map>
#include <unordered_set>

#include "basic_type/zel_protocol.h"
#include "platform/interrupt.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

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

// The texts came from the service: shown as standard error, where they go, needs.
std::string joined(const std::vector<std::string>& p_texts) {
    std::string text = service_text_in_errors(p_texts[0]);
    for (std::size_t k = 1; k < p_texts.size(); ++k) {
        text += (k + 1 == p_texts.size() ? " and " : ", ") + service_text_in_errors(p_texts[k]);
    }
    return text;
}

}  // namespace

Status zel_config_env::request_network_information(bool* p_stopped) {
    // A listing that repeats an identifier names one device: each is asked once. Spellings
    // that differ are each asked: should they answer under two names, the device is ambiguous.
    std::unordered_set<std::string> asked;
    std::vector<std::string> to_ask;
    for (const std::string& mac : found_net_device) {
        if (asked.insert(mac).second) {
            to_ask.push_back(mac);
        }
    }
    progress_counter progress(to_ask.size());
    progress.set_label("Asking the devices for their information: ");
    for (std::size_t k = 0; k < to_ask.size(); ++k) {
        if (p_stopped != nullptr && platform::stage_interrupted()) {
            progress.clear();
            *p_stopped = true;
            return FAIL;
        }
        progress.show(k + 1);
        req_get_info_ext(to_ask[k]);
        if (zel_service.open_failed()) {
            printf_error_message(
                "Warning: ZEL-Service cannot be reached any more: the devices not asked yet are "
                "taken as not found.\r\n");
            return FAIL;
        }
    }
    progress.clear();
    return SUCCESS;
}

void zel_config_env::mark_ambiguous_targets(const char* p_not_done) {
    std::unordered_map<std::string, std::vector<std::string>> macs_of_name;
    std::unordered_map<std::string, std::vector<std::string>> names_of_device;
    for (const net_device_info_t& report : reported_devices) {
        add_distinct(macs_of_name[report.m_alias], report.m_mac, zel_same_device);
        add_distinct(names_of_device[zel_device_key(report.m_mac)], report.m_alias, same_text);
    }
    for (brimel_config_rm6x_device& device : device_list) {
        const auto macs = macs_of_name.find(device.m_device_name);
        if (macs == macs_of_name.end()) {
            continue;  // not found on the network
        }
        if (macs->second.size() > 1) {
            device.m_ambiguous = true;
            printf_error_message("Warning: " + service_text_in_errors(device.m_device_name) +
                                 " is the name of more than one device on the network: " +
                                 joined(macs->second) + ". It is not " + p_not_done + ".\r\n");
            continue;
        }
        const std::vector<std::string>& names = names_of_device[zel_device_key(macs->second[0])];
        if (names.size() > 1) {
            device.m_ambiguous = true;
            printf_error_message("Warning: the device " + service_text_in_errors(macs->second[0]) +
                                 " answers as " + joined(names) + ": " +
                                 service_text_in_errors(device.m_device_name) + " is not " +
                                 p_not_done + ".\r\n");
        }
    }
}
