// The program: its command line, the devices it reads, the backup it prints or writes to a
// file, and --verify.
#include "read_brimel_label/read_brimel_label.h"

#include <filesystem>
#include <fstream>

#include "file_parser/file_parser.h"
#include "read_brimel_label/read_messages.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

const std::vector<std::string> G_help_words = {"h", "-h", "help", "--help"};
const char G_output_option[] = "-o";
const char G_force_option[] = "--force";
const char G_verify_option[] = "--verify";
const char G_capture_option[] = "--capture";
// The backup is written beside its file under this suffix, then renamed into place.
const char G_temporary_suffix[] = ".part";
// The ambiguity warning of the registry ends "It is not read.".
const char G_not_done[] = "read";

// A record for every compatible device that answered, in the order they answered.
void add_compatible_devices(zel_config_env& p_env) {
    for (const net_device_info_t& report : p_env.reported_devices) {
        brimel_config_rm6x_device candidate;
        candidate.set_device_name(report.m_alias);
        candidate.m_mir = report.m_mir;
        candidate.m_pir = report.m_pir;
        if (!candidate.is_KALDEN_RM6X_device() ||
            p_env.find_device_by_name(report.m_alias) != nullptr) {
            continue;
        }
        brimel_config_rm6x_device& device = p_env.add_device(report.m_alias);
        device.set_zel_device_mac_adr(report.m_mac);
        device.m_mir = report.m_mir;
        device.m_pir = report.m_pir;
        device.m_fir = report.m_fir;
    }
}

// The records that can be read, in order, after a warning about each of the others.
std::vector<brimel_config_rm6x_device*> readable_devices(zel_config_env& p_env) {
    std::vector<brimel_config_rm6x_device*> readable;
    for (brimel_config_rm6x_device& device : p_env.device_list) {
        const std::string& name = device.m_device_name;
        if (device.m_ambiguous) {
            continue;  // warned about already
        }
        if (device.m_zel_device_mac_adr.empty()) {
            printf_error_message(read_msg::not_found(name));
        } else if (!device.is_KALDEN_RM6X_device()) {
            printf_error_message(read_msg::not_compatible(name, device.m_zel_device_mac_adr));
        } else if (!is_section_name(name)) {
            printf_error_message(read_msg::not_nameable(name, device.m_zel_device_mac_adr));
        } else {
            readable.push_back(&device);
        }
    }
    return readable;
}

// Reads the named devices, or every compatible one, into p_backup; FAIL when none could be
// read or a read failed.
Status read_backup(const std::vector<std::string>& p_names, std::string& p_backup) {
    zel_config_env& env = zel_config_env::instance();
    env.start_run(std::string());
    for (const std::string& name : p_names) {
        if (env.find_device_by_name(name) == nullptr) {
            env.add_device(name);
        }
    }
    find_network_devices(env);
    if (p_names.empty()) {
        add_compatible_devices(env);
    }
    env.mark_ambiguous_targets(G_not_done);
    const std::vector<brimel_config_rm6x_device*> devices = readable_devices(env);
    if (devices.empty()) {
        printf_error_message(read_msg::no_device);
        return FAIL;
    }
    for (brimel_config_rm6x_device* device : devices) {
        label_entries_t entries;
        if (read_device_labels(*device, entries) == FAIL) {
            return FAIL;
        }
        p_backup +=
            (p_backup.empty() ? "" : "\r\n") +
            device_backup_text(device->m_device_name, device->m_zel_device_mac_adr, entries);
    }
    return SUCCESS;
}

// Writes the text to a temporary file beside p_file, then renames it into place.
Status write_output_file(const std::string& p_file, const std::string& p_backup,
                         std::string (*p_written)(const std::string&)) {
    const std::string temporary = p_file + G_temporary_suffix;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << p_backup;
    out.close();
    std::error_code error;
    if (out) {
        std::filesystem::rename(temporary, p_file, error);
    }
    if (!out || error) {
        std::filesystem::remove(temporary, error);
        printf_error_message(read_msg::output_failed(p_file));
        return FAIL;
    }
    printf_str_color(p_written(p_file), GREEN);
    return SUCCESS;
}

bool refused_output(const read_options_t& p_options, const std::string& p_file) {
    std::error_code ignored;
    if (!p_file.empty() && !p_options.m_force && std::filesystem::exists(p_file, ignored)) {
        printf_error_message(read_msg::output_exists(p_file));
        return true;
    }
    return false;
}

Status back_up(const read_options_t& p_options) {
    const std::string& file = p_options.m_output;
    if (refused_output(p_options, file)) {
        return FAIL;
    }
    // Printed, the backup is all that goes to standard output.
    if (file.empty()) {
        messages_to_standard_error();
    }
    std::string backup;
    if (read_backup(p_options.m_devices, backup) == FAIL) {
        if (!file.empty()) {
            printf_error_message(read_msg::backup_not_written(file));
        }
        return FAIL;
    }
    if (file.empty()) {
        write_data(backup);
        return SUCCESS;
    }
    return write_output_file(file, backup, read_msg::backup_written);
}

Status capture(const read_options_t& p_options) {
    std::string text;
    if (refused_output(p_options, p_options.m_capture)) {
        return FAIL;
    }
    if (capture_network(text) == FAIL) {
        printf_error_message(read_msg::capture_not_written(p_options.m_capture));
        return FAIL;
    }
    return write_output_file(p_options.m_capture, text, read_msg::capture_written);
}

// Tells whether the device holds what the update would write; false when it does not.
bool device_matches(const brimel_config_rm6x_device& p_device, const label_entries_t& p_entries,
                    const std::string& p_file) {
    const std::string& name = p_device.m_device_name;
    const std::string& mac = p_device.m_zel_device_mac_adr;
    const std::string differences = entry_differences(p_device.preset_to_write, p_entries);
    if (differences.empty()) {
        printf_str_color(read_msg::matches(name, mac, p_file, p_device.preset_to_write.size()),
                         GREEN);
        return true;
    }
    printf_str_color(read_msg::differs(name, mac, p_file), RED);
    printf_str(differences);
    return false;
}

// As the update does, the targets not found, not compatible or ambiguous are warned about
// and left out; none to compare while the file names targets is a failure.
Status verify(const std::string& p_file) {
    if (read_label_file(p_file) == FAIL) {
        return FAIL;
    }
    zel_config_env& env = zel_config_env::instance();
    find_network_devices(env);
    env.mark_ambiguous_targets(G_not_done);
    const std::vector<brimel_config_rm6x_device*> devices = readable_devices(env);
    if (devices.empty() && !env.device_list.empty()) {
        printf_error_message(read_msg::no_device);
        return FAIL;
    }
    Status result = SUCCESS;
    for (brimel_config_rm6x_device* device : devices) {
        label_entries_t entries;
        if (read_device_labels(*device, entries) == FAIL ||
            !device_matches(*device, entries, p_file)) {
            result = FAIL;
        }
    }
    return result;
}

Status refuse_command_line(const std::string& p_what) {
    printf_error_message(read_msg::bad_command_line(p_what));
    return FAIL;
}

}  // namespace

Status parse_read_options(int argc, char** argv, read_options_t& p_options) {
    for (int k = 1; k < argc; ++k) {
        const std::string word = argv[k] != nullptr ? argv[k] : "";
        const bool names_file =
            word == G_output_option || word == G_verify_option || word == G_capture_option;
        if (is_cmd(G_help_words, word)) {
            p_options.m_help = true;
        } else if (word == G_force_option) {
            p_options.m_force = true;
        } else if (names_file && (k + 1 == argc || argv[k + 1] == nullptr || *argv[k + 1] == 0)) {
            return refuse_command_line(word + " needs a file name");
        } else if (names_file) {
            std::string& file = word == G_output_option   ? p_options.m_output
                                : word == G_verify_option ? p_options.m_verify
                                                          : p_options.m_capture;
            file = argv[++k];
        } else if (!word.empty() && word[0] == '-') {
            return refuse_command_line("unknown option " + word);
        } else {
            p_options.m_devices.push_back(word);
        }
    }
    if (!p_options.m_verify.empty() &&
        (!p_options.m_devices.empty() || !p_options.m_output.empty())) {
        return refuse_command_line(std::string(G_verify_option) +
                                   " takes its devices from its file and writes no backup");
    }
    if (!p_options.m_capture.empty() &&
        (!p_options.m_devices.empty() || !p_options.m_output.empty() ||
         !p_options.m_verify.empty())) {
        return refuse_command_line(std::string(G_capture_option) +
                                   " reads every device and writes only its file");
    }
    return SUCCESS;
}

void find_network_devices(zel_config_env& p_env) {
    req_device_discover();  // a failed listing leaves the network list empty
    p_env.request_network_information();
}

int read_brimel_label_main(int argc, char** argv) {
    // Before anything else: whatever follows, no memory write can leave this program.
    refuse_memory_writes();
    read_options_t options;
    if (parse_read_options(argc, argv, options) == FAIL) {
        return FAIL;
    }
    if (options.m_help) {
        const std::string program = argc > 0 && argv[0] != nullptr ? argv[0] : "";
        printf_str_color(read_user_manual_text(program), CYAN);
        return SUCCESS;
    }
    if (!options.m_capture.empty()) {
        return capture(options);
    }
    return options.m_verify.empty() ? back_up(options) : verify(options.m_verify);
}
