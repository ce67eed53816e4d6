#include "device_registry/device_registry.h"

#include "basic_type/zel_protocol.h"
#include "zel_service_cmd/service_answers.h"

Status zel_config_env::parse_response(std::string p_zel_response, zel_req_id_t p_req_id) {
    if (zel_has_failed_word(p_zel_response)) {
        return FAIL;
    }
    std::string mac;
    uint8_t slot, page, offset;
    std::vector<uint8_t> values;
    switch (p_req_id) {
        case ZEL_WRITE:
            return SUCCESS;
        case ZEL_READ:
            return parse_read_mem(p_zel_response, mac, slot, page, offset, values);
        case ZEL_INFO_EXT:
            return parse_info_ext(p_zel_response);
        case ZEL_LIST_NET:
            return parse_list_net(p_zel_response);
        case ZEL_LIST_DEV:
            return parse_list_dev(p_zel_response);
        case ZEL_READ_CSPR_PAGE_IDX:
            return parse_read_cspr_idx(p_zel_response);
        case ZEL_READ_DEVICE_PRESET_START_OFFSET:
            return parse_device_preset_offset(p_zel_response);
    }
    return FAIL;
}

Status zel_config_env::parse_list_dev(std::string p_answer) {
    std::vector<std::string> listed;
    const Status status = parse_listing(p_answer, found_network_name, listed);
    for (const std::string& identifier : listed) {
        found_net_device.push_back(identifier);
        m_network_keys.insert(zel_device_key(identifier));
    }
    return status;
}

Status zel_config_env::parse_list_net(std::string) {
    return SUCCESS;
}

Status zel_config_env::parse_info_ext(std::string p_answer) {
    net_device_info_t info;
    if (parse_information(p_answer, info) == FAIL) {
        return FAIL;
    }
    m_network_keys.insert(zel_device_key(info.m_mac));
    reported_devices.push_back(info);
    brimel_config_rm6x_device* device = find_device_by_name(info.m_alias);
    if (device != nullptr) {
        device->set_zel_device_mac_adr(info.m_mac);
        device->m_mir = info.m_mir;
        device->m_pir = info.m_pir;
        device->m_fir = info.m_fir;
    }
    return SUCCESS;
}

Status zel_config_env::parse_read_mem(std::string p_answer, std::string& p_ret_mac_adr,
                                      uint8_t& p_ret_slot, uint8_t& p_ret_page,
                                      uint8_t& p_ret_offset, std::vector<uint8_t>& p_ret_vec) {
    std::vector<int> values;
    const Status status =
        parse_memory_answer(p_answer, p_ret_mac_adr, p_ret_slot, p_ret_page, p_ret_offset, values);
    for (const int value : values) {
        p_ret_vec.push_back(memory_value_byte(value));
    }
    return status;
}

Status zel_config_env::parse_read_cspr_idx(std::string p_answer) {
    const bool headed = p_answer.find(zel_answer_head(zel_tbox_mem_word)) != std::string::npos &&
                        !zel_has_failed_word(p_answer);
    if (!headed) {
        // A terse uncoloured "ntm" line before the red message, as the tool has always said.
        printf_str("ntm\r\n");
    }
    if (headed &&
        read_location_byte(p_answer, &brimel_config_rm6x_device::m_cspr_page, true) == SUCCESS) {
        return SUCCESS;
    }
    printf_error_message("READ_CSPR_IDX_FAILED\r\n");
    return FAIL;
}

Status zel_config_env::parse_device_preset_offset(std::string p_answer) {
    if (read_location_byte(p_answer, &brimel_config_rm6x_device::m_device_start_from_CSPR_offset,
                           false) == SUCCESS) {
        return SUCCESS;
    }
    printf_error_message("read device_preset_offset failed\r\n");
    return FAIL;
}

Status zel_config_env::read_location_byte(const std::string& p_answer,
                                          int brimel_config_rm6x_device::*p_field,
                                          bool p_report_size) {
    std::string mac;
    int byte = 0;
    std::size_t count = 0;
    const Status result = parse_location_byte(p_answer, mac, byte, count);
    if (p_report_size && count != 1) {
        printf_str("incorrect size" + std::to_string(count) + "\r\n");
    }
    // A location byte is kept only from an answer that parsed cleanly.
    brimel_config_rm6x_device* device = find_device_by_mac(mac);
    if (result == SUCCESS && device != nullptr) {
        device->*p_field = byte;
    }
    return result;
}

brimel_config_rm6x_device* zel_config_env::find_device_by_mac(const std::string& p_mac_adress) {
    // A device not found on the network has no address: an empty one names no device.
    if (p_mac_adress.empty()) {
        return nullptr;
    }
    // The same comparison as the link's: the device whose answer the link took is found.
    for (brimel_config_rm6x_device& device : device_list) {
        if (!device.m_zel_device_mac_adr.empty() &&
            zel_same_device(device.m_zel_device_mac_adr, p_mac_adress)) {
            return &device;
        }
    }
    return nullptr;
}
