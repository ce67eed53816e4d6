// Comparing a device's entries, read whole, with what an update from a label file would
// leave in them (the presets as file_parser reads them).
#ifndef SRC_DEVICE_CORE_LABEL_COMPARE_H_
#define SRC_DEVICE_CORE_LABEL_COMPARE_H_

#include <cstddef>
#include <string>
#include <vector>

#include "basic_type/basic_type.h"
#include "basic_type/label_area.h"

enum difference_kind_t { ENTRY_CHANGED, ENTRY_ADDED, ENTRY_ERASED };
struct entry_difference_t {
    std::size_t m_number;  // 1 to 64
    difference_kind_t m_kind;
    label_preset_t m_expected;  // what an update would leave
    label_preset_t m_found;
};

// Each entry whose three fields, read whole, differ from what an update with p_presets
// leaves (field_image of each name, the presets from the first entry on, every other entry
// erased to zeros). The fields of a difference are shown up to their last byte that is not
// zero. Empty when every field matches.
std::vector<entry_difference_t> entry_differences(const label_entries_t& p_presets,
                                                  const label_entries_t& p_fields);

#endif  // SRC_DEVICE_CORE_LABEL_COMPARE_H_
