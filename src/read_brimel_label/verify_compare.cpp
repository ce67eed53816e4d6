// Comparing a device's entries with what an update from a label file would leave in them.
#include "read_brimel_label/read_brimel_label.h"

#include "file_parser/file_parser.h"
#include "read_brimel_label/read_messages.h"

namespace {

// A preset as the update writes it: each name up to its first zero byte.
label_preset_t as_written(const label_preset_t& p_preset) {
    return label_preset_t{up_to_zero(p_preset.label), up_to_zero(p_preset.device_id),
                          up_to_zero(p_preset.channel_id)};
}

bool same_entry(const label_preset_t& p_first, const label_preset_t& p_second) {
    return p_first.label == p_second.label && p_first.device_id == p_second.device_id &&
           p_first.channel_id == p_second.channel_id;
}

}  // namespace

std::string entry_differences(const label_entries_t& p_presets, const label_entries_t& p_entries) {
    std::string lines;
    for (std::size_t k = 0; k < p_entries.size(); ++k) {
        const label_preset_t expected =
            k < p_presets.size() ? as_written(p_presets[k]) : label_preset_t();
        const label_preset_t& found = p_entries[k];
        if (same_entry(expected, found)) {
            continue;
        }
        if (is_empty_entry(found)) {
            lines += read_msg::entry_added(k + 1, expected);
        } else if (is_empty_entry(expected)) {
            lines += read_msg::entry_erased(k + 1, found);
        } else {
            lines += read_msg::entry_changed(k + 1, expected, found);
        }
    }
    return lines;
}
