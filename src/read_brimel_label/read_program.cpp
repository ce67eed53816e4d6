// The program: its command line, and the output its jobs write, checked before any read.
#include "read_brimel_label/read_brimel_label.h"

#include "read_brimel_label/read_messages.h"
#include "read_brimel_label/read_output.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

const char G_output_option[] = "-o";
const char G_output_long_option[] = "--output";
const char G_force_option[] = "--force";
const char G_verify_option[] = "--verify";
const char G_capture_option[] = "--capture";
const char G_version_option[] = "--version";
const char G_list_option[] = "--list";
const char G_json_option[] = "--json";
const char G_port_option[] = "--port";
const char G_end_of_options[] = "--";
// The one who writes "-o -" means standard output.
const char G_standard_output[] = "-";

// An option that takes a value (a file name, or the port, read when the job starts), and
// where the value goes.
struct file_option_t {
    const char* m_name;
    std::string read_options_t::*m_file;
    const char* m_value = "a file name";
};

const file_option_t G_file_options[] = {
    {G_output_option, &read_options_t::m_output},
    {G_output_long_option, &read_options_t::m_output},
    {G_verify_option, &read_options_t::m_verify},
    {G_capture_option, &read_options_t::m_capture},
    {G_port_option, &read_options_t::m_port, "a port number"},
};

const file_option_t* file_option(const std::string& p_name) {
    for (const file_option_t& option : G_file_options) {
        if (p_name == option.m_name) {
            return &option;
        }
    }
    return nullptr;
}

// Takes the value of a file option: the next word, or what follows "=". An option is no
// value, but "-" is standard output.
bool take_file(const std::vector<std::string>& p_args, std::size_t& p_k, const std::string& p_name,
               const std::string* p_attached, read_options_t& p_options, std::string& p_what) {
    const file_option_t* option = file_option(p_name);
    std::string& file = p_options.*(option->m_file);
    const bool has_next = p_attached == nullptr && p_k + 1 < p_args.size();
    const std::string value = p_attached != nullptr ? *p_attached : has_next ? p_args[p_k + 1] : "";
    if (value.empty() || (value[0] == '-' && value != G_standard_output)) {
        p_what = p_name + " needs " + option->m_value;
        return false;
    }
    if (!file.empty()) {
        p_what = p_name + " is given twice";
        return false;
    }
    file = value;
    p_k += has_next ? 1 : 0;
    return true;
}

// Takes one option word; false, with p_what, when it is no option of the program.
bool take_option(const std::vector<std::string>& p_args, std::size_t& p_k,
                 read_options_t& p_options, std::string& p_what) {
    const std::string& word = p_args[p_k];
    const std::size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    if (file_option(name) != nullptr) {
        const std::string attached = equals == std::string::npos ? "" : word.substr(equals + 1);
        return take_file(p_args, p_k, name, equals == std::string::npos ? nullptr : &attached,
                         p_options, p_what);
    }
    bool* const flag = word == "-h" || word == "--help" ? &p_options.m_help
                       : word == G_version_option       ? &p_options.m_version
                       : word == G_force_option         ? &p_options.m_force
                       : word == G_list_option          ? &p_options.m_list
                       : word == G_json_option          ? &p_options.m_json
                                                        : nullptr;
    if (flag == nullptr) {
        p_what = "unknown option " + word;
        return false;
    }
    if (*flag) {
        p_what = word + " is given twice";
        return false;
    }
    *flag = true;
    return true;
}

// What the options ask together must make one job.
bool check_job(const read_options_t& p_options, std::string& p_what) {
    if (!p_options.m_verify.empty() &&
        (!p_options.m_devices.empty() || !p_options.m_output.empty())) {
        p_what =
            std::string(G_verify_option) + " takes its devices from its file and writes no backup";
    } else if (!p_options.m_capture.empty() &&
               (!p_options.m_devices.empty() || !p_options.m_output.empty() ||
                !p_options.m_verify.empty())) {
        p_what = std::string(G_capture_option) + " reads every device and writes only its file";
    } else if (p_options.m_list && (!p_options.m_devices.empty() || !p_options.m_output.empty() ||
                                    !p_options.m_verify.empty() || !p_options.m_capture.empty())) {
        p_what = std::string(G_list_option) + " lists the whole network and writes no file";
    } else if (p_options.m_force && p_options.m_output.empty() && p_options.m_capture.empty()) {
        p_what = std::string(G_force_option) + " goes with -o or --capture";
    } else if (p_options.m_json && !p_options.m_list && p_options.m_verify.empty()) {
        p_what = std::string(G_json_option) + " goes with --list or --verify";
    }
    return p_what.empty();
}

}  // namespace

bool parse_read_options(const std::vector<std::string>& p_args, read_options_t& p_options,
                        std::string& p_what) {
    bool options_ended = false;
    for (std::size_t k = 0; k < p_args.size(); ++k) {
        const std::string& word = p_args[k];
        if (!options_ended && word == G_end_of_options) {
            options_ended = true;
        } else if (!options_ended && !word.empty() && word[0] == '-') {
            if (!take_option(p_args, k, p_options, p_what)) {
                return false;
            }
        } else {
            p_options.m_devices.push_back(word);
        }
    }
    return check_job(p_options, p_what);
}

int read_brimel_label_main(const std::vector<std::string>& p_args) {
    // Before anything else: whatever follows, no memory write can leave this program.
    refuse_memory_writes();
    read_options_t options;
    std::string what;
    const std::vector<std::string> words(p_args.begin() + (p_args.empty() ? 0 : 1), p_args.end());
    if (!parse_read_options(words, options, what)) {
        return read_job::fail(TROUBLE_USAGE, read_msg::usage_error(what),
                              option_given(words, G_json_option));
    }
    if (options.m_help) {
        printf_str_color(read_user_manual_text(), CYAN);
        return READ_DONE;
    }
    if (options.m_version) {
        printf_str(read_msg::version());
        return READ_DONE;
    }
    if (!use_chosen_service_port(read_msg::program,
                                 options.m_port.empty() ? nullptr : &options.m_port)) {
        return READ_FAILED;
    }
    // Standard output carries the results alone (a backup, the list, a verdict, JSON): the
    // greeting, the progress and every message go to standard error.
    messages_to_standard_error();
    if (options.m_list) {
        return read_job::list(options.m_json);
    }
    if (!options.m_capture.empty()) {
        return read_job::capture(options);
    }
    return options.m_verify.empty() ? read_job::back_up(options)
                                    : read_job::verify(options.m_verify, options.m_json);
}
