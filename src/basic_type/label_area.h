// The label area of a device's memory, the one format every program and the simulated
// service share. Two single bytes locate it: the label page index P (slot 0, page 1,
// offset 14) and the start offset S (slot 0, page P, offset 18). The area starts at page
// P + S and holds 64 preset entries of three pages each (label, Dante device, Dante
// channel): 192 pages. Each page holds one 32-byte name field at offset 0: the name's bytes,
// a zero after a shorter name, zeros after an erase. An area that would cover one of the
// two location pages (S = 0 puts page P in it, P + S <= 1 page 1) is never erased or written.
#ifndef SRC_BASIC_TYPE_LABEL_AREA_H_
#define SRC_BASIC_TYPE_LABEL_AREA_H_

#include <cstddef>
#include <cstdint>
#include <string>

// Every access to the label area and its location bytes is in this memory slot.
constexpr uint8_t label_slot = 0;
// Where P is (page 1, offset 14) and where S is on page P (offset 18).
constexpr uint32_t label_location_page = 1;
constexpr uint32_t label_page_index_offset = 14;
constexpr uint32_t label_start_offset_offset = 18;
// The entries of the area, the pages of an entry, and the pages of the whole area.
constexpr uint32_t label_preset_count = 64;
constexpr uint32_t label_pages_per_preset = 3;
constexpr uint32_t label_area_pages = label_preset_count * label_pages_per_preset;
// The bytes of a name field; the label file cuts its names to this length too.
constexpr std::size_t label_name_field_length = 32;

// The first page of the area: P + S.
constexpr uint32_t label_area_base(uint32_t p_page_index, uint32_t p_start_offset) {
    return p_page_index + p_start_offset;
}

// False when the area would cover a location byte: S = 0 puts page P in it, P + S <= 1
// page 1. Values not read yet (negative) are not safe either.
constexpr bool label_area_is_safe(int p_page_index, int p_start_offset) {
    return p_page_index >= 0 && p_start_offset > 0 &&
           p_page_index + p_start_offset > static_cast<int>(label_location_page);
}

// "label area (page index P, start offset S) would cover its own location bytes": why an
// unsafe area is neither read, erased nor written.
std::string unsafe_area_words(int p_page_index, int p_start_offset);

// The bytes a write of a name puts into its field: the name's bytes up to its first zero, at
// most 32, and one zero after a shorter name.
std::string name_field_bytes(const std::string& p_name);

// The 32 bytes a name's field holds after an update (the area erased, then the name written):
// name_field_bytes, then zeros.
std::string field_image(const std::string& p_name);

#endif  // SRC_BASIC_TYPE_LABEL_AREA_H_
