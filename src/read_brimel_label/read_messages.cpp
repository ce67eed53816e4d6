#include "read_brimel_label/read_messages.h"

#include "project_version.h"
#include "read_brimel_label/read_brimel_label.h"

namespace {

const std::string G_nl = "\r\n";

// The three fields of an entry as a message shows them, every byte a label file cannot
// carry written as \xHH.
std::string fields(const label_preset_t& p_entry) {
    return "label \"" + typed_text(visible_text(p_entry.label)) + "\", channel \"" +
           typed_text(visible_text(p_entry.channel_id)) + "\", device \"" +
           typed_text(visible_text(p_entry.device_id)) + "\"";
}

// A name and MAC the service reported, as a warning (on standard error) shows them.
std::string name_and_mac(const std::string& p_name, const std::string& p_mac) {
    return service_text_in_errors(p_name) + " (" + service_text_in_errors(p_mac) + ")";
}

// The same for a message of printf_str and printf_str_color.
std::string name_and_mac_in_messages(const std::string& p_name, const std::string& p_mac) {
    return service_text_in_messages(p_name) + " (" + service_text_in_messages(p_mac) + ")";
}

}  // namespace

namespace read_msg {

std::string not_found(const std::string& p_name) {
    return "Warning: " + service_text_in_errors(p_name) + " was not found on the network." + G_nl;
}

std::string not_compatible(const std::string& p_name, const std::string& p_mac) {
    return "Warning: " + name_and_mac(p_name, p_mac) + " is not a KALDEN-RM6X compatible device." +
           G_nl;
}

std::string not_nameable(const std::string& p_name, const std::string& p_mac) {
    return "Warning: " + name_and_mac(p_name, p_mac) +
           " has a name no label file can give: it is not read." + G_nl;
}

const char* const no_device = "No KALDEN-RM6X device to read.\r\n";

std::string reading(const std::string& p_name) {
    return "Reading " + service_text_in_messages(p_name) + "'s labels...";
}

const char* const read_ok = " OK\r\n";
const char* const read_failed = " FAILED\r\n";

std::string read_failed_at(const std::string& p_name, uint32_t p_page) {
    return service_text_in_errors(p_name) + "'s labels could not be read (page " +
           std::to_string(p_page) + "), check device connection." + G_nl;
}

std::string area_unsafe(const std::string& p_name, int p_page_index, int p_start_offset) {
    return service_text_in_errors(p_name) + "'s label area (page index " +
           std::to_string(p_page_index) + ", start offset " + std::to_string(p_start_offset) +
           ") would cover its own location bytes: it is not read." + G_nl;
}

std::string entry_warning(const std::string& p_name, std::size_t p_number, const char* p_reason) {
    return "Warning: " + service_text_in_errors(p_name) + "'s entry " + std::to_string(p_number) +
           " " + p_reason + ": it is written as a comment." + G_nl;
}

const char* const link_lost =
    "Warning: ZEL-Service cannot be reached any more: the devices not asked yet are taken as "
    "not found.\r\n";

std::string matches(const std::string& p_name, const std::string& p_mac, const std::string& p_file,
                    std::size_t p_presets) {
    return name_and_mac_in_messages(p_name, p_mac) + " holds exactly what " + p_file +
           " would write (" + std::to_string(p_presets) +
           (p_presets == 1 ? " preset)." : " presets).") + G_nl;
}

std::string differs(const std::string& p_name, const std::string& p_mac,
                    const std::string& p_file) {
    return name_and_mac_in_messages(p_name, p_mac) + " differs from what " + p_file +
           " would write:" + G_nl;
}

std::string difference_lines(const std::vector<entry_difference_t>& p_differences) {
    std::string lines;
    for (const entry_difference_t& difference : p_differences) {
        const std::string entry = "\tentry " + std::to_string(difference.m_number);
        switch (difference.m_kind) {
            case ENTRY_CHANGED:
                lines += entry + ": expected " + fields(difference.m_expected) + "; found " +
                         fields(difference.m_found) + G_nl;
                break;
            case ENTRY_ADDED:
                lines += entry + " would be added: " + fields(difference.m_expected) + G_nl;
                break;
            case ENTRY_ERASED:
                lines += entry + " would be erased: " + fields(difference.m_found) + G_nl;
                break;
        }
    }
    return lines;
}

std::string bad_command_line(const std::string& p_what) {
    return "Invalid command line: " + p_what + G_nl + "run it with -h to read its manual" +
           str_exit_failure;
}

std::string output_exists(const std::string& p_file) {
    return "Unable to write file: " + G_nl + p_file + G_nl +
           "it exists already: give --force to replace it" + str_exit_failure;
}

std::string output_failed(const std::string& p_file) {
    return "Unable to write file: " + G_nl + p_file + str_exit_failure;
}

std::string backup_written(const std::string& p_file) {
    return "Backup written to " + p_file + G_nl;
}

std::string backup_not_written(const std::string& p_file) {
    return "No backup written: " + p_file + " is left as it was." + G_nl;
}

const char* const nothing_listed = "No device listed on the network: nothing to capture.\r\n";

std::string not_captured(const std::string& p_mac) {
    return "Warning: " + service_text_in_errors(p_mac) +
           " gave no information answer: it is left out of the capture." + G_nl;
}

std::string capture_written(const std::string& p_file) {
    return "Capture written to " + p_file + G_nl;
}

std::string capture_not_written(const std::string& p_file) {
    return "No capture written: " + p_file + " is left as it was." + G_nl;
}

}  // namespace read_msg

std::string read_user_manual_text(const std::string& p_program) {
    const std::string tab = "\t";
    std::string text;
    text += p_program + " " + G_project_version + " User's manual:" + G_nl;
    text +=
        "The program reads the labels of the KALDEN RM6X devices back; it never writes to a "
        "device." +
        G_nl;
    text += p_program + " [DEVICE ...]" + G_nl;
    text += tab +
            "prints the labels of the named devices, or of every compatible device, as a label "
            "file write_brimel_label reads" +
            G_nl;
    text += p_program + " [DEVICE ...] -o FILE [--force]" + G_nl;
    text += tab +
            "writes that label file to FILE once every device was read; an existing FILE is "
            "replaced only with --force" +
            G_nl;
    text += p_program + " --verify FILE" + G_nl;
    text += tab +
            "reads FILE as write_brimel_label does, then tells for each device it names that the "
            "device holds exactly what FILE would write, or each difference" +
            G_nl;
    text += p_program + " --capture FILE [--force]" + G_nl;
    text += tab +
            "writes every device of the network, its information and its labels, to FILE for "
            "zel_service_sim --network FILE, to rehearse the venue elsewhere" +
            G_nl;
    text += p_program + " h | -h | help | --help" + G_nl;
    text += tab + "shows this manual" + G_nl;
    text +=
        "Exit status 1 when the service cannot be reached, a device cannot be read, a file cannot "
        "be read or written, or a device differs from FILE; 0 otherwise." +
        G_nl;
    return text;
}
