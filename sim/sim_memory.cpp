#include "sim/sim_network.h"

#include <cstdio>
#include <cstring>

#include "basic_type/basic_type.h"

namespace {

// The factory name of field p_field (0 label, 1 Dante device, 2 channel) of preset
// p_preset, counted from 0: "Factory 01", "FACTORY", "Ch 01".
void factory_name(uint32_t p_preset, uint32_t p_field, char* p_out, std::size_t p_size) {
    const unsigned number = static_cast<unsigned>(p_preset + 1);
    if (p_field == 0) {
        std::snprintf(p_out, p_size, "Factory %02u", number);
    } else if (p_field == 1) {
        std::snprintf(p_out, p_size, "FACTORY");
    } else {
        std::snprintf(p_out, p_size, "Ch %02u", number);
    }
}

// The name field of a page: bytes 0 to 31 up to the first zero byte.
std::string name_field(const sim_memory::page_t& p_page) {
    const char* text = reinterpret_cast<const char*>(p_page.data());
    std::size_t length = 0;
    while (length < label_name_field_length && text[length] != '\0') {
        ++length;
    }
    return std::string(text, length);
}

std::string two_digits(uint32_t p_number) {
    char text[16];
    std::snprintf(text, sizeof(text), "%02u", static_cast<unsigned>(p_number));
    return text;
}

}  // namespace

sim_memory::sim_memory(uint32_t p_cspr_page, uint32_t p_start_offset)
    : m_cspr_page(p_cspr_page), m_start_offset(p_start_offset) {}

void sim_memory::factory_page(uint32_t p_page, page_t& p_out) const {
    p_out.fill(0);
    if (p_page == label_location_page) {
        p_out[label_page_index_offset] = static_cast<uint8_t>(m_cspr_page);
    }
    if (p_page == m_cspr_page) {
        p_out[label_start_offset_offset] = static_cast<uint8_t>(m_start_offset);
    }
    const uint32_t base = label_area_base(m_cspr_page, m_start_offset);
    if (p_page >= base && p_page < base + label_pages_per_preset * SIM_FACTORY_PRESETS) {
        char text[label_name_field_length];
        factory_name((p_page - base) / label_pages_per_preset,
                     (p_page - base) % label_pages_per_preset, text, sizeof(text));
        std::memcpy(p_out.data(), text, std::strlen(text));
    }
}

void sim_memory::read(uint32_t p_page, uint32_t p_offset, uint32_t p_count, uint8_t* p_out) const {
    const auto found = m_pages.find(p_page);
    if (found != m_pages.end()) {
        std::memcpy(p_out, found->second.data() + p_offset, p_count);
        return;
    }
    page_t factory;
    factory_page(p_page, factory);
    std::memcpy(p_out, factory.data() + p_offset, p_count);
}

void sim_memory::write(uint32_t p_page, uint32_t p_offset, const uint8_t* p_data,
                       uint32_t p_count) {
    auto found = m_pages.find(p_page);
    if (found == m_pages.end()) {
        page_t fresh;
        factory_page(p_page, fresh);
        found = m_pages.emplace(p_page, fresh).first;
    }
    std::memcpy(found->second.data() + p_offset, p_data, p_count);
}

sim_memory::page_t sim_memory::page(uint32_t p_page) const {
    page_t out;
    read(p_page, 0, SIM_PAGE_SIZE, out.data());
    return out;
}

std::string label_area_dump(const sim_device_t& p_device, const sim_memory& p_memory) {
    const uint32_t base = label_area_base(p_device);
    std::string out = "Device " + p_device.m_name + " " + p_device.m_mac +
                      " P=" + std::to_string(p_device.m_cspr_page) +
                      " S=" + std::to_string(p_device.m_start_offset) + " pages " +
                      std::to_string(base) + "-" + std::to_string(base + label_area_pages - 1) +
                      (p_device.m_listed ? "" : " unlisted") + "\n";
    uint32_t empty = 0;
    for (uint32_t preset = 0; preset < label_preset_count; ++preset) {
        const uint32_t first = base + label_pages_per_preset * preset;
        const std::string label = name_field(p_memory.page(first));
        const std::string device = name_field(p_memory.page(first + 1));
        const std::string channel = name_field(p_memory.page(first + 2));
        if (label.empty() && device.empty() && channel.empty()) {
            ++empty;
            continue;
        }
        out += "  " + two_digits(preset + 1) + " label=" + quoted_cp850(label) +
               " device=" + quoted_cp850(device) + " channel=" + quoted_cp850(channel) + "\n";
    }
    out += "  " + std::to_string(empty) + " of " + std::to_string(label_preset_count) +
           " entries empty\n";
    return out;
}
