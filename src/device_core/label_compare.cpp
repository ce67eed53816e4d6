#include "device_core/label_compare.h"

#include "basic_type/label_area.h"
#include "device_core/label_reading.h"

namespace {

bool same_fields(const label_preset_t& p_first, const label_preset_t& p_second) {
    return p_first.label == p_second.label && p_first.device_id == p_second.device_id &&
           p_first.channel_id == p_second.channel_id;
}

// The three name fields an update leaves in an entry for this preset (or an empty one).
label_preset_t field_images(const label_preset_t& p_preset) {
    return label_preset_t{field_image(p_preset.label), field_image(p_preset.device_id),
                          field_image(p_preset.channel_id)};
}

// The fields as a message shows them: up to their last byte that is not zero.
label_preset_t shown_fields(const label_preset_t& p_fields) {
    return label_preset_t{field_bytes(p_fields.label), field_bytes(p_fields.device_id),
                          field_bytes(p_fields.channel_id)};
}

}  // namespace

std::vector<entry_difference_t> entry_differences(const label_entries_t& p_presets,
                                                  const label_entries_t& p_fields) {
    std::vector<entry_difference_t> differences;
    for (std::size_t k = 0; k < p_fields.size(); ++k) {
        const label_preset_t preset = k < p_presets.size() ? p_presets[k] : label_preset_t();
        if (same_fields(field_images(preset), p_fields[k])) {
            continue;
        }
        const label_preset_t expected = shown_fields(field_images(preset));
        const label_preset_t found = shown_fields(p_fields[k]);
        const difference_kind_t kind = is_empty_entry(found)      ? ENTRY_ADDED
                                       : is_empty_entry(expected) ? ENTRY_ERASED
                                                                  : ENTRY_CHANGED;
        differences.push_back(entry_difference_t{k + 1, kind, expected, found});
    }
    return differences;
}
