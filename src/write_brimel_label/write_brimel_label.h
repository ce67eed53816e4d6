// Devices and label writing: the run-wide registry with the target devices named by the
// label file and their presets, the devices found on the network, the service
// connection, the parsers of the service's answers, the label memory of a device, and
// the update workflow that writes the presets into the devices.
#ifndef SRC_WRITE_BRIMEL_LABEL_WRITE_BRIMEL_LABEL_H_
#define SRC_WRITE_BRIMEL_LABEL_WRITE_BRIMEL_LABEL_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "basic_type/basic_type.h"

// One label preset: the label shown on the device and the Dante channel and device
// whose audio it stands for, in code page 850, trimmed and at most 32 bytes each.
struct s_label_preset {
    std::string label;
    std::string device_id;
    std::string channel_id;
};
typedef s_label_preset label_preset_t;

// One target device named by the label file.
class brimel_config_rm6x_device {
  public:
    // Largest number of presets a device takes.
    static constexpr std::size_t max_preset_label = 64;

    std::string m_device_name;
    std::string m_zel_device_mac_adr;  // empty while the service has not named the device
    int m_cspr_page = -1;              // -1 until read from the device
    int m_device_start_from_CSPR_offset = -1;
    int m_mir = -1;
    int m_pir = -1;
    int m_fir = -1;
    std::vector<s_label_preset> preset_to_write;

    // A named device of the supported family and model (mir 5, pir 2).
    bool is_KALDEN_RM6X_device() const;
    void set_device_name(std::string p_name);
    std::string get_device_name() const;
    uint8_t get_cspr_page() const;
    uint8_t get_device_start_from_cspr_offset() const;
    std::string get_zel_device_mac_adr() const;
    std::size_t get_preset_list_size() const;
    void add_preset_label(std::string p_label, std::string p_device_id, std::string p_channel_id);
    void set_zel_device_mac_adr(std::string p_mac_adress);
};

// The registry: one object for the whole process, reached through instance().
class zel_config_env {
  public:
    static zel_config_env& instance();

    const std::string zel_cmd_path;
    std::string current_file;
    uint32_t current_line_number;
    const std::string zel_cmd_opt;
    // Target devices in the order the label file named them; one record per name.
    std::vector<brimel_config_rm6x_device> device_list;
    // Identifiers (MAC texts) of the devices the service listed, in its order.
    std::vector<std::string> found_net_device;

    // Empties the target and network lists and starts counting the lines of p_file_name.
    void start_run(const std::string& p_file_name);

    // The first record of that exact name, or nullptr. Constant time per look-up.
    brimel_config_rm6x_device* find_device_by_name(const std::string& p_name);

    // Appends a new record of that name and returns it.
    brimel_config_rm6x_device& add_device(const std::string& p_name);

    zel_config_env(const zel_config_env&) = delete;
    zel_config_env& operator=(const zel_config_env&) = delete;

  private:
    zel_config_env();

    bool index_is_current(const std::string& p_name) const;
    void reindex_devices();

    // Name -> position of the first record of that name in device_list.
    std::unordered_map<std::string, std::size_t> m_device_index;
    std::size_t m_indexed_count = 0;
};

// The program: the manual, the launch line and one transfer run per label file.
int write_brimel_label_main(int argc, char** argv);

#endif  // SRC_WRITE_BRIMEL_LABEL_WRITE_BRIMEL_LABEL_H_
