// Finding the target devices on the network: the information of every listed device, and
// the targets that cannot be told apart.
#include "write_brimel_label/write_brimel_label.h"

#include <unordered_set>

#include "basic_type/zel_protocol.h"
#include "device_core/network_view.h"
#include "platform/interrupt.h"
#include "zel_service_cmd/zel_service_cmd.h"

Status request_network_information(zel_config_env& p_registry) {
    // A listing that repeats an identifier names one device: each is asked once. Spellings
    // that differ are each asked: should they answer under two names, the device is ambiguous.
    std::unordered_set<std::string> asked;
    std::vector<std::string> to_ask;
    for (const std::string& mac : p_registry.found_net_device) {
        if (asked.insert(mac).second) {
            to_ask.push_back(mac);
        }
    }
    progress_counter progress(to_ask.size());
    progress.set_label("Asking the devices for their information: ");
    for (std::size_t k = 0; k < to_ask.size(); ++k) {
        if (platform::interrupted()) {
            progress.clear();
            return FAIL;
        }
        progress.show(k + 1);
        req_get_info_ext(to_ask[k]);
        if (p_registry.zel_service.open_failed()) {
            printf_error_message(
                "Warning: ZEL-Service cannot be reached any more: the devices not asked yet are "
                "taken as not found.\r\n");
            return FAIL;
        }
    }
    progress.clear();
    return SUCCESS;
}

void mark_ambiguous_targets(zel_config_env& p_registry) {
    device_identities identities;
    for (const net_device_info_t& report : p_registry.reported_devices) {
        identities.add(report);
    }
    for (brimel_config_rm6x_device& device : p_registry.device_list) {
        const name_identity_t identity = identities.identify(device.m_device_name);
        // Answers that disagree leave the device its last one, as parsed.
        if (identity.m_identity == IDENTITY_SHARED_NAME ||
            identity.m_identity == IDENTITY_MANY_NAMES) {
            device.m_ambiguous = true;
            printf_error_message(ambiguity_warning(device.m_device_name, identity, "written"));
        }
    }
}
