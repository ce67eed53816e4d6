// Comparing a device's entries with what an update from a label file would leave in them.
#include "device_core/device_core.h"

#include "file_parser/file_parser.h"

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

std::vector<entry_difference_t> entry_differences(const label_entries_t& p_presets,
                                                  const label_entries_t& p_entries) {
    std::vector<entry_difference_t> differences;
    for (std::size_t k = 0; k < p_entries.size(); ++k) {
        const label_preset_t expected =
            k < p_presets.size() ? as_written(p_presets[k]) : label_preset_t();
        const label_preset_t& found = p_entries[k];
        if (same_entry(expected, found)) {
            continue;
        }
        const difference_kind_t kind = is_empty_entry(found)      ? ENTRY_ADDED
                                       : is_empty_entry(expected) ? ENTRY_ERASED
                                                                  : ENTRY_CHANGED;
        differences.push_back(entry_difference_t{k + 1, kind, expected, found});
    }
    return differences;
}
