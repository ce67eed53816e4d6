// The program: its command line, and the label files it syncs one after another.
#include "platform/interrupt.h"
#include "platform/output_file.h"
#include "sync_brimel_label/sync_brimel_label.h"
#include "sync_brimel_label/sync_messages.h"

namespace {

const char G_end_of_options[] = "--";

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
    for (const std::string& word : p_args) {
        if (!options_ended && word == G_end_of_options) {
            options_ended = true;
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
        return SYNC_FAILED;
    }
    if (options.m_help) {
        printf_str_color(sync_user_manual_text(p_args.empty() ? "" : p_args[0]), CYAN);
        return SYNC_DONE;
    }
    if (options.m_version) {
        printf_str(sync_msg::version());
        return SYNC_DONE;
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
