#include "device_registry/device_registry.h"

#include "basic_type/label_area.h"

bool brimel_config_rm6x_device::is_KALDEN_RM6X_device() const {
    return is_compatible_device(m_device_name, m_mir, m_pir);
}

void brimel_config_rm6x_device::set_device_name(std::string p_name) {
    m_device_name = std::move(p_name);
}

std::string brimel_config_rm6x_device::get_device_name() const {
    return m_device_name;
}

uint8_t brimel_config_rm6x_device::get_cspr_page() const {
    return static_cast<uint8_t>(m_cspr_page);
}

uint8_t brimel_config_rm6x_device::get_device_start_from_cspr_offset() const {
    return static_cast<uint8_t>(m_device_start_from_CSPR_offset);
}

std::string brimel_config_rm6x_device::get_zel_device_mac_adr() const {
    return m_zel_device_mac_adr;
}

std::size_t brimel_config_rm6x_device::get_preset_list_size() const {
    return preset_to_write.size();
}

void brimel_config_rm6x_device::add_preset_label(std::string p_label, std::string p_device_id,
                                                 std::string p_channel_id) {
    add_preset_labels(1, p_label, p_device_id, p_channel_id);
}

void brimel_config_rm6x_device::add_preset_labels(std::size_t p_times, const std::string& p_label,
                                                  const std::string& p_device_id,
                                                  const std::string& p_channel_id) {
    m_presets_given += p_times;
    // Only the first 64 can be written: the others are counted, not kept, so that a file
    // naming one device thousands of times stays small.
    for (; p_times > 0 && preset_to_write.size() < max_preset_label; --p_times) {
        preset_to_write.push_back(s_label_preset{p_label, p_device_id, p_channel_id});
    }
}

void brimel_config_rm6x_device::set_zel_device_mac_adr(std::string p_mac_adress) {
    m_zel_device_mac_adr = std::move(p_mac_adress);
}

zel_config_env::zel_config_env()
    : zel_cmd_path("C:\\Progra~2\\Quentara\\ZEL-Monitor\\ZEL-CmdLine.exe"),
      current_line_number(0),
      zel_cmd_opt(" -c") {}

zel_config_env& zel_config_env::instance() {
    static zel_config_env registry;
    return registry;
}

void zel_config_env::start_run(const std::string& p_file_name) {
    device_list.clear();
    found_net_device.clear();
    found_network_name.clear();
    reported_devices.clear();
    m_network_keys.clear();
    m_device_index.clear();
    current_line_number = 0;
    current_file = p_file_name;
}

brimel_config_rm6x_device* zel_config_env::find_device_by_name(const std::string& p_name) {
    const auto found = m_device_index.find(p_name);
    if (found == m_device_index.end()) {
        return nullptr;
    }
    return &device_list[found->second];
}

brimel_config_rm6x_device& zel_config_env::add_device(const std::string& p_name) {
    brimel_config_rm6x_device new_device;
    new_device.set_device_name(p_name);
    device_list.push_back(std::move(new_device));
    // A name already indexed keeps its first record.
    m_device_index.emplace(p_name, device_list.size() - 1);
    return device_list.back();
}

std::string too_many_presets_warning(const std::string& p_name) {
    const std::string limit = std::to_string(label_preset_count);
    return p_name + "'s labels number is greater than " + limit + " Labels 1 to " + limit +
           " will be written, further labels will be ignored\r\n";
}
