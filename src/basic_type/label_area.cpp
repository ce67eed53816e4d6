#include "basic_type/label_area.h"

#include <cstring>

std::string unsafe_area_words(int p_page_index, int p_start_offset) {
    return "label area (page index " + std::to_string(p_page_index) + ", start offset " +
           std::to_string(p_start_offset) + ") would cover its own location bytes";
}

std::string name_field_bytes(const std::string& p_name) {
    const std::size_t length = strnlen(p_name.c_str(), label_name_field_length);
    // A full 32-byte name has no ending zero.
    return std::string(p_name.c_str(), length) +
           (length < label_name_field_length ? std::string(1, '\0') : std::string());
}

std::string field_image(const std::string& p_name) {
    std::string field = name_field_bytes(p_name);
    field.resize(label_name_field_length, '\0');
    return field;
}
