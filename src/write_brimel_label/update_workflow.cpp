#include "write_brimel_label/write_brimel_label.h"

#include <cctype>
#include <iostream>

#include "zel_service_cmd/zel_service_cmd.h"

namespace {

const std::size_t G_label_area_pages = brimel_config_rm6x_device::max_preset_label * 3;

std::string numbered_line(std::size_t p_number, const std::string& p_text) {
    return "\tdevice " + std::to_string(p_number) + ": " + p_text + "\r\n";
}

std::string name_and_address(const brimel_config_rm6x_device& p_device) {
    return p_device.m_device_name + " (" + p_device.m_zel_device_mac_adr + ") ";
}

// The target devices sorted into the three groups of the confirmation screen.
struct device_groups_t {
    std::string m_valid_device_info;
    std::string m_not_found_device;
    std::string m_not_valid_device;
    std::size_t m_valid_dev_count = 0;
    std::size_t m_not_found_count = 0;
    std::size_t m_not_valid_dev_count = 0;
};

device_groups_t sort_devices(const std::vector<brimel_config_rm6x_device>& p_devices) {
    device_groups_t groups;
    for (const brimel_config_rm6x_device& device : p_devices) {
        if (device.m_ambiguous) {
            continue;  // warned about already, never written
        }
        if (device.is_KALDEN_RM6X_device()) {
            groups.m_valid_device_info +=
                numbered_line(++groups.m_valid_dev_count, name_and_address(device));
            if (device.get_preset_list_size() == 0) {
                printf_error_message("Warning: no labels was set for " + device.m_device_name +
                                     ". All of its current stored labels will be erased.\r\n");
            }
        } else if (device.m_zel_device_mac_adr.empty()) {
            groups.m_not_found_device +=
                numbered_line(++groups.m_not_found_count, device.m_device_name);
        } else {
            groups.m_not_valid_device +=
                numbered_line(++groups.m_not_valid_dev_count, name_and_address(device));
        }
    }
    return groups;
}

void warn_about(const device_groups_t& p_groups) {
    if (!p_groups.m_not_found_device.empty()) {
        printf_error_message("Warning: those devices were not found on the network:\r\n" +
                             p_groups.m_not_found_device + "\r\n");
    }
    if (!p_groups.m_not_valid_device.empty()) {
        printf_error_message(
            "Warning: those devices were found but are not KALDEM-RM6X compatible devices: \r\n");
        printf_error_message(p_groups.m_not_valid_device);
    }
}

// The longest answer word kept; no answer word is nearly that long.
const std::size_t G_max_answer_word = 4096;

// One whitespace-delimited word of standard input, as formatted extraction reads it, but at
// most G_max_answer_word bytes of it: a longer word comes back too long (an invalid answer)
// and the rest of it is skipped. End of input leaves the word empty.
void read_answer_word(std::istream& p_in, std::string& p_word) {
    p_word.clear();
    p_in >> std::ws;
    for (int c = p_in.peek(); c != EOF && !std::isspace(c); c = p_in.peek()) {
        p_in.get();
        if (p_word.size() <= G_max_answer_word) {
            p_word.push_back(static_cast<char>(c));
        }
    }
}

enum confirmation_t { CONFIRMED, REFUSED, ANSWERS_RAN_OUT };

// At most three answers; an invalid one shows the screen again.
confirmation_t ask_confirmation(const std::string& p_valid_device_info) {
    const std::string user_device_msg = "Ready to update label in those devices:";
    for (int try_count = 2;; --try_count) {
        printf_str_color(user_device_msg + "\r\n", GREEN);
        printf_str_color(p_valid_device_info, CYAN);
        printf_str_color("Please confirm you want to update the labels: yes(y), no(n): ", CYAN);
        std::string user_ans;
        read_answer_word(std::cin, user_ans);
        printf_str("\r\n");
        bool write_label = false;
        const bool valid = valid_user_ans(user_ans, write_label);
        if (write_label) {
            printf_str("Write labels:\r\n\r\n");
            return CONFIRMED;
        }
        if (valid) {
            printf_str_color("Update labels canceled\r\n", GREEN);
            return REFUSED;
        }
        if (try_count == 0) {
            printf_error_message("Update label canceled\r\n");
            return ANSWERS_RAN_OUT;
        }
        printf_error_message("Unvalid answer (remains " + std::to_string(try_count) + " try)\r\n");
    }
}

std::string writing_failed(const std::string& p_name) {
    return p_name + "'s labels writting process failed, check device connection.\r\n";
}

// Locates, erases and writes one compatible device; false when any step failed.
bool update_device(brimel_config_rm6x_device& p_device) {
    const std::string& name = p_device.m_device_name;
    Status state = p_device.set_cspr_page();
    if (state == SUCCESS) {
        state = p_device.set_device_start_from_cspr_offset();
    }
    printf_str_color("Erase " + name + "'s old labels...", CYAN);
    if (state == SUCCESS && !p_device.label_area_is_safe()) {
        printf_error_message(" FAILED\r\n");
        printf_error_message(name + "'s label area (page index " +
                             std::to_string(p_device.m_cspr_page) + ", start offset " +
                             std::to_string(p_device.m_device_start_from_CSPR_offset) +
                             ") would cover its own location bytes: nothing was sent to it.\r\n");
        return false;
    }
    if (state == SUCCESS) {
        progress_counter erase_progress(G_label_area_pages);
        state = p_device.intialize_device_label_in_device(&erase_progress);
        erase_progress.clear();
    }
    if (state == FAIL) {
        printf_error_message(" FAILED\r\n");
        printf_error_message(writing_failed(name));
        return false;
    }
    printf_str_color(" OK\r\n", GREEN);
    if (p_device.get_preset_list_size() == 0) {
        printf_str_color(name + "'s labels erased successfully\r\n", GREEN);
        return true;
    }
    printf_str_color("Running transfer of " + name + "'s new labels...", CYAN);
    progress_counter write_progress(p_device.get_preset_list_size() * 3);
    state = p_device.write_preset_label_in_device(&write_progress);
    write_progress.clear();
    if (state == FAIL) {
        printf_error_message(writing_failed(name));
        return false;
    }
    printf_str_color(" OK\r\n", GREEN);
    printf_str_color(name + "'s labels written successfully\r\n", GREEN);
    return true;
}

}  // namespace

Status zel_config_env::update_devices_info() {
    request_network_information();
    mark_ambiguous_targets();
    const device_groups_t groups = sort_devices(device_list);
    warn_about(groups);
    // Without target devices there is nothing to fail.
    const Status no_device_written = device_list.empty() ? SUCCESS : FAIL;
    if (groups.m_valid_dev_count == 0) {
        printf_error_message("No matching KALDEN-RM6X devices.\r\n");
        return no_device_written;
    }
    const confirmation_t answer = ask_confirmation(groups.m_valid_device_info);
    if (answer != CONFIRMED) {
        return answer == REFUSED ? SUCCESS : FAIL;
    }
    Status result = SUCCESS;
    for (brimel_config_rm6x_device& device : device_list) {
        if (!device.m_ambiguous && device.is_KALDEN_RM6X_device() && !update_device(device)) {
            result = FAIL;
        }
    }
    return result;
}
