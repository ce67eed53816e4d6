// The run-wide registry of a transfer run: the target devices named by the label file with
// their presets, the devices found on the network, the service connection, the parsers of
// the service's answers that fill it, and the label memory of a device (its location, its
// erase and its write). The writer's update workflow, a member by its name, is the writer's
// own: write_brimel_label defines it.
#ifndef SRC_DEVICE_REGISTRY_DEVICE_REGISTRY_H_
#define SRC_DEVICE_REGISTRY_DEVICE_REGISTRY_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "basic_type/basic_type.h"
#include "basic_type/label_area.h"
#include "zel_service_cmd/service_answers.h"
#include "zel_socket_handler/zel_socket_handler.h"

// One target device named by the label file.
class brimel_config_rm6x_device {
  public:
    // Largest number of presets a device takes.
    static constexpr std::size_t max_preset_label = label_preset_count;

    std::string m_device_name;
    std::string m_zel_device_mac_adr;  // empty while the service has not named the device
    int m_cspr_page = -1;              // -1 until read from the device
    int m_device_start_from_CSPR_offset = -1;
    int m_mir = -1;
    int m_pir = -1;
    int m_fir = -1;
    std::vector<s_label_preset> preset_to_write;  // the first 64 presets given
    std::size_t m_presets_given = 0;              // how many label lines named the device
    // The network gave its name to two devices, or its device answered under two names:
    // which device is meant is unknown, so it is never written.
    bool m_ambiguous = false;

    // A named device of the supported family and model (mir 5, pir 2).
    bool is_KALDEN_RM6X_device() const;
    void set_device_name(std::string p_name);
    std::string get_device_name() const;

    // Read the two bytes that locate the label area: the label page index P (page 1,
    // offset 14), then the start offset S (page P, offset 18). FAIL when the device was
    // not found on the network, P was never read, or the service failed the read; the
    // start-offset read also fails when its answer could not be used, so that nothing is
    // ever erased or written at a page computed from an unread value.
    Status set_cspr_page();
    Status set_device_start_from_cspr_offset();
    // P and S were read, and the label area they give covers neither of their pages.
    bool has_safe_label_area() const;
    uint8_t get_cspr_page() const;
    uint8_t get_device_start_from_cspr_offset() const;
    std::string get_zel_device_mac_adr() const;

    // Erases the whole label area (192 pages from P + S), or writes the presets into it,
    // three pages a preset, at most 64 presets. Stop at the first failed page. A progress
    // counter, when given, is told the number of pages done. With p_stopped given, a caught
    // Ctrl-C stops the work after the page in flight, before the last one: FAIL then, with
    // *p_stopped true.
    Status intialize_device_label_in_device(progress_counter* p_progress = nullptr,
                                            bool* p_stopped = nullptr);
    Status write_preset_label_in_device(progress_counter* p_progress = nullptr,
                                        bool* p_stopped = nullptr);
    std::size_t get_preset_list_size() const;
    // Appends a preset (p_times times), as long as the device holds fewer than it takes.
    void add_preset_label(std::string p_label, std::string p_device_id, std::string p_channel_id);
    void add_preset_labels(std::size_t p_times, const std::string& p_label,
                           const std::string& p_device_id, const std::string& p_channel_id);
    void set_zel_device_mac_adr(std::string p_mac_adress);
};

// The warning about a device more label lines name than it takes: the first 64 are written.
std::string too_many_presets_warning(const std::string& p_name);

// The registry: one object for the whole process, reached through instance().
class zel_config_env {
  public:
    static zel_config_env& instance();

    const std::string zel_cmd_path;  // kept by name; nothing reads it: the tool uses TCP
    socket_handle zel_service;
    std::string current_file;
    uint32_t current_line_number;
    const std::string zel_cmd_opt;  // kept by name with zel_cmd_path; nothing reads it
    // Target devices in the order the label file named them; one record per name. Records
    // are added by add_device alone, which keeps the index of names.
    std::vector<brimel_config_rm6x_device> device_list;
    // Identifiers (MAC texts) of the devices the service listed, in its order, and the
    // network part of the listing's first line (its name).
    std::vector<std::string> found_net_device;
    std::string found_network_name;
    // Every information answer parsed, targets or not, in the order they came.
    std::vector<net_device_info_t> reported_devices;

    // Answer parsers: each writes what it finds into the registry.
    Status parse_response(std::string p_zel_response, zel_req_id_t p_req_id);
    Status parse_list_dev(std::string p_answer);
    Status parse_list_net(std::string p_answer);
    Status parse_info_ext(std::string p_answer);
    Status parse_read_mem(std::string p_answer, std::string& p_ret_mac_adr, uint8_t& p_ret_slot,
                          uint8_t& p_ret_page, uint8_t& p_ret_offset,
                          std::vector<uint8_t>& p_ret_vec);
    Status parse_read_cspr_idx(std::string p_answer);
    Status parse_device_preset_offset(std::string p_answer);

    // The keys (zel_device_key) of every identifier the listing gave or an information
    // answer reported: what the link takes for another device of this network.
    const zel_network_keys_t& network_keys() const { return m_network_keys; }

    // The update workflow, after the device listing (write_brimel_label's): finds the target
    // devices on the network, warns, asks the operator and writes every compatible device. FAIL
    // when the file named target devices and none could be written as asked: none compatible was
    // found, the answers ran out, or a confirmed device failed; and whenever a caught Ctrl-C
    // stopped it (or came during its last command), saying what it left.
    Status update_devices_info();

    // The first record with that MAC address text, or nullptr.
    brimel_config_rm6x_device* find_device_by_mac(const std::string& p_mac_adress);

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

    // One location byte from a memory-read answer into p_field of the device the answer
    // names; "incorrect size" is shown for a wrong value count when p_report_size.
    Status read_location_byte(const std::string& p_answer, int brimel_config_rm6x_device::*p_field,
                              bool p_report_size);

    zel_network_keys_t m_network_keys;
    // Name -> position of the first record of that name in device_list.
    std::unordered_map<std::string, std::size_t> m_device_index;
};

#endif  // SRC_DEVICE_REGISTRY_DEVICE_REGISTRY_H_
