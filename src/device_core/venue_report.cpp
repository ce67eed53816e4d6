#include "device_core/venue_report.h"

#include <unordered_set>

#include "device_core/backup_text.h"

namespace {

const std::string G_nl = "\r\n";

// The three fields of an entry as a message shows them.
console_message_t fields(const label_preset_t& p_entry) {
    return "label \"" + typed_text(comment_text(p_entry.label)) + "\", channel \"" +
           typed_text(comment_text(p_entry.channel_id)) + "\", device \"" +
           typed_text(comment_text(p_entry.device_id)) + "\"";
}

}  // namespace

console_message_t reading_head(const std::vector<std::string>& p_names) {
    if (p_names.size() == 1) {
        return "Reading " + service_text(p_names[0]) + "'s labels...";
    }
    return console_message_t(
        PROGRAM_TEXT,
        "Reading the labels of " + counted(p_names.size(), "device", "devices") + "...");
}

line_outcome_t reading_outcome(const std::vector<area_read_t>& p_reads) {
    line_outcome_t outcome = LINE_OK;
    for (const area_read_t& read : p_reads) {
        if (read.m_state == AREA_STOPPED) {
            return LINE_STOPPED;
        }
        outcome = read.m_state == AREA_READ ? outcome : LINE_FAILED;
    }
    return outcome;
}

console_message_t differs_head(const std::string& p_name, const std::string& p_mac,
                               const std::string& p_file) {
    return service_text(p_name) + " (" + service_text(p_mac) + ") differs from what " +
           given_text(p_file) + " would write:" + G_nl;
}

console_message_t difference_lines(const std::vector<entry_difference_t>& p_differences) {
    console_message_t lines;
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

std::string counted(std::size_t p_count, const char* p_one, const char* p_more) {
    return std::to_string(p_count) + " " + (p_count == 1 ? p_one : p_more);
}

console_message_t totals_line(const console_message_t& p_head, const std::string& p_what,
                              const venue_totals_t& p_totals, const std::string& p_same_one,
                              const std::string& p_same_more) {
    std::string line = ": " + p_what + " on " + std::to_string(p_totals.m_differing) + " of " +
                       counted(p_totals.m_devices, "device", "devices") + "; " +
                       std::to_string(p_totals.m_same) + " " +
                       (p_totals.m_same == 1 ? p_same_one : p_same_more);
    const std::pair<std::size_t, const char*> troubles[] = {
        {p_totals.m_not_found, "not found"},
        {p_totals.m_not_compatible, "not compatible"},
        {p_totals.m_ambiguous, "ambiguous"},
        {p_totals.m_not_read, "not read"},
        {p_totals.m_failed, "failed"},
        {p_totals.m_stopped, "stopped"},
        {p_totals.m_changed, "changed since read"},
        {p_totals.m_not_contacted, "not contacted"},
        {p_totals.m_left, "kept (holding other bytes)"}};
    for (const auto& [count, words] : troubles) {
        if (count != 0) {
            line += "; " + std::to_string(count) + " " + words;
        }
    }
    return p_head + line + "." + G_nl;
}

std::string totals_json(const venue_totals_t& p_totals, const char* p_unit) {
    const auto number = [](std::size_t p_count) {
        return json_number(static_cast<long long>(p_count));
    };
    return json_object({{"devices", number(p_totals.m_devices)},
                        {"differing", number(p_totals.m_differing)},
                        {p_unit, number(p_totals.m_differences)},
                        {"same", number(p_totals.m_same)},
                        {"not_found", number(p_totals.m_not_found)},
                        {"not_compatible", number(p_totals.m_not_compatible)},
                        {"ambiguous", number(p_totals.m_ambiguous)},
                        {"not_read", number(p_totals.m_not_read)},
                        {"failed", number(p_totals.m_failed)},
                        {"stopped", number(p_totals.m_stopped)},
                        {"changed", number(p_totals.m_changed)},
                        {"not_contacted", number(p_totals.m_not_contacted)},
                        {"left", number(p_totals.m_left)}});
}

std::vector<label_file_target_t> named_targets(const std::vector<label_file_target_t>& p_targets,
                                               const std::vector<std::string>& p_names) {
    const std::unordered_set<std::string> names(p_names.begin(), p_names.end());
    std::vector<label_file_target_t> kept;
    for (const label_file_target_t& target : p_targets) {
        if (names.empty() || names.count(target.m_name) != 0) {
            kept.push_back(target);
        }
    }
    return kept;
}

std::string name_of_no_target(const std::vector<std::vector<label_file_target_t>>& p_files,
                              const std::vector<std::string>& p_names) {
    std::unordered_set<std::string> targeted;
    for (const std::vector<label_file_target_t>& targets : p_files) {
        for (const label_file_target_t& target : targets) {
            targeted.insert(target.m_name);
        }
    }
    for (const std::string& name : p_names) {
        if (targeted.count(name) == 0) {
            return name;
        }
    }
    return std::string();
}
