// The program: its command line, and the label files it syncs one after another.
#include "platform/interrupt.h"
#include "platform/output_file.h"
#include "sync_brimel_label/sync_brimel_label.h"
#include "sync_brimel_label/sync_messages.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

const char G_end_of_options[] = "--";
const std::string G_port_option = "--port";

// Takes --port's value: the next word, or what follows "=". False, with p_what, when there
// is none or it is given twice; whether the text is a port is decided when the job starts.
bool take_port(const std::vector<std::string>& p_args, std::size_t& p_k, sync_options_t& p_options,
               std::string& p_what) {
    const std::string& word = p_args[p_k];
    const bool attached = word.size() > G_port_option.size();
    const bool has_next = !attached && p_k + 1 < p_args.size();
    const std::string value = attached   ? word.substr(G_port_option.size() + 1)
                              : has_next ? p_args[p_k + 1]
                                         : "";
    if (value.empty() || value[0] == '-' || !p_options.m_port.empty()) {
        p_what = p_options.m_port.empty() ? G_port_option + " needs a port number"
                                          : G_port_option + " is given twice";
        return false;
    }
    p_options.m_port = value;
    p_k += has_next ? 1 : 0;
    return true;
}

// Sets the flag an option word names; false when it names none.
bool take_option(const std::string& p_word, sync_options_t& p_options) {
    bool* const flag = p_word == "-h" || p_word == "--help" ? &p_options.m_help
                       : p_word == "--version"              ? &p_options.m_version
                       : p_word == "--yes"                  ? &p_options.m_yes
                       : p_word == "--dry-run"              ? &p_options.m_dry_run
                       : p_word == "--json"                 ? &p_options.m_json
                                                            : nullptr;
    if (flag == nullptr) {
        return false;
    }
    *flag = true;
    return true;
}

}  // namespace

bool parse_sync_options(const std::vector<std::string>& p_args, sync_options_t& p_options,
                        std::string& p_what) {
    bool options_ended = false;
    for (std::size_t k = 0; k < p_args.size(); ++k) {
        const std::string& word = p_args[k];
        if (!options_ended && word == G_end_of_options) {
            options_ended = true;
        } else if (!options_ended &&
                   (word == G_port_option || word.rfind(G_port_option + "=", 0) == 0)) {
            if (!take_port(p_args, k, p_options, p_what)) {
                return false;
            }
        } else if (!options_ended && !word.empty() && word[0] == '-') {
            if (!take_option(word, p_options)) {
                p_what = "unknown option " + word;
                return false;
            }
        } else {
            p_options.m_files.push_back(word);
        }
    }
    if (p_options.m_files.empty() && !p_options.m_help && !p_options.m_version) {
        p_what = "no label file given";
        return false;
    }
    return true;
}

int sync_brimel_label_main(const std::vector<std::string>& p_args) {
    sync_options_t options;
    std::string what;
    const std::vector<std::string> words(p_args.begin() + (p_args.empty() ? 0 : 1), p_args.end());
    if (!parse_sync_options(words, options, what)) {
        printf_error_message(sync_msg::usage_error(what));
        std::string reason;
        if (option_given(words, "--json")) {
            platform::write_standard_output(sync_usage_error_json(sync_msg::usage_error(what)),
                                            reason);
        }
        return SYNC_FAILED;
    }
    if (options.m_help) {
        printf_str_color(sync_user_manual_text(), CYAN);
        return SYNC_DONE;
    }
    if (options.m_version) {
        printf_str(sync_msg::version());
        return SYNC_DONE;
    }
    if (!use_chosen_service_port(sync_msg::program,
                                 options.m_port.empty() ? nullptr : &options.m_port)) {
        return SYNC_FAILED;
    }
    if (options.m_json) {
        messages_to_standard_error();  // the JSON alone goes to standard output
    }
    std::vector<file_sync_t> files;
    std::vector<std::string> not_run;
    for (const std::string& file : options.m_files) {
        if (platform::interrupted()) {
            files.push_back(file_sync_t{file, FILE_NOT_RUN, {}, {}});
            not_run.push_back(file);
        } else {
            files.push_back(sync_file(file, options));
        }
    }
    if (!not_run.empty()) {
        printf_error_message(sync_msg::files_not_run(not_run));
    }
    std::string reason;
    if (options.m_json &&
        !platform::write_standard_output(sync_json(files, options.m_dry_run), reason)) {
        printf_error_message(sync_msg::standard_output_failed(reason));
        return SYNC_FAILED;
    }
    return sync_status(files);
}
