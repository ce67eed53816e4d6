#include "device_registry/device_registry.h"

#include "basic_type/label_area.h"
#include "platform/interrupt.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

// First page of the label area, P + S; false while either byte is unread or the area would
// cover a location byte, so that nothing is ever erased or written where it must not be.
bool area_base(const brimel_config_rm6x_device& p_device, uint32_t& p_base) {
    if (!p_device.has_safe_label_area()) {
        return false;
    }
    p_base = label_area_base(static_cast<uint32_t>(p_device.m_cspr_page),
                             static_cast<uint32_t>(p_device.m_device_start_from_CSPR_offset));
    return true;
}

void show_progress(progress_counter* p_progress, std::size_t p_done) {
    if (p_progress != nullptr) {
        p_progress->show(p_done);
    }
}

// After p_done of p_total pages: true when a Ctrl-C asks the work to stop now. Never after
// the last page: the work is then complete.
bool stop_after_page(bool* p_stopped, std::size_t p_done, std::size_t p_total) {
    if (p_stopped == nullptr || p_done == p_total || !platform::interrupted()) {
        return false;
    }
    *p_stopped = true;
    return true;
}

}  // namespace

bool brimel_config_rm6x_device::has_safe_label_area() const {
    return label_area_is_safe(m_cspr_page, m_device_start_from_CSPR_offset);
}

Status brimel_config_rm6x_device::set_cspr_page() {
    if (m_zel_device_mac_adr.empty()) {
        return FAIL;
    }
    return read_zel_comand(m_zel_device_mac_adr, label_slot, label_location_page,
                           label_page_index_offset, 1, ZEL_READ_CSPR_PAGE_IDX);
}

Status brimel_config_rm6x_device::set_device_start_from_cspr_offset() {
    if (m_zel_device_mac_adr.empty() || m_cspr_page == -1) {
        return FAIL;
    }
    const Status read =
        read_zel_comand(m_zel_device_mac_adr, label_slot, static_cast<uint32_t>(m_cspr_page),
                        label_start_offset_offset, 1, ZEL_READ_DEVICE_PRESET_START_OFFSET);
    // An answer that could not be used leaves the offset unread.
    return read == SUCCESS && m_device_start_from_CSPR_offset != -1 ? SUCCESS : FAIL;
}

Status brimel_config_rm6x_device::intialize_device_label_in_device(progress_counter* p_progress,
                                                                   bool* p_stopped) {
    uint32_t base = 0;
    if (!is_KALDEN_RM6X_device() || !area_base(*this, base)) {
        return FAIL;
    }
    const uint32_t pages = label_area_pages;
    for (uint32_t page = 0; page < pages; ++page) {
        if (write_clear_name_page(m_zel_device_mac_adr, label_slot, base + page) == FAIL) {
            return FAIL;
        }
        show_progress(p_progress, page + 1);
        if (stop_after_page(p_stopped, page + 1, pages)) {
            return FAIL;
        }
    }
    return SUCCESS;
}

Status brimel_config_rm6x_device::write_preset_label_in_device(progress_counter* p_progress,
                                                               bool* p_stopped) {
    if (!is_KALDEN_RM6X_device()) {
        return FAIL;
    }
    const std::size_t preset_max = preset_to_write.size();
    if (max_preset_label < m_presets_given) {
        printf_error_message(too_many_presets_warning(m_device_name));
    }
    uint32_t base = 0;
    if (preset_max == 0) {
        return SUCCESS;
    }
    if (!area_base(*this, base)) {
        return FAIL;
    }
    for (uint32_t preset_idx = 0; preset_idx < preset_max; ++preset_idx) {
        const s_label_preset& preset = preset_to_write[preset_idx];
        const std::string* const names[label_pages_per_preset] = {&preset.label, &preset.device_id,
                                                                  &preset.channel_id};
        for (uint32_t k = 0; k < label_pages_per_preset; ++k) {
            const uint32_t page = base + label_pages_per_preset * preset_idx + k;
            if (write_zel_comand(m_zel_device_mac_adr, label_slot, page, 0, *names[k]) == FAIL) {
                return FAIL;
            }
            const std::size_t done = label_pages_per_preset * preset_idx + k + 1;
            show_progress(p_progress, done);
            if (stop_after_page(p_stopped, done, label_pages_per_preset * preset_max)) {
                return FAIL;
            }
        }
    }
    return SUCCESS;
}
