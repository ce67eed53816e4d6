#include "sim/sim_engine.h"

#include <cstring>
#include <utility>

#include "basic_type/zel_protocol.h"

namespace {

// Identifiers per listing line: a large network is listed over several lines of sensible
// length, each with its own "LIST_DEV=" and network part.
const std::size_t G_ids_per_listing_line = 64;

const char* const G_line_end = "\r\n";
// The last line of a full log file, before its bound and ")".
const char* const G_log_full_note =
    "zel_service_sim: later commands are not logged (the log is full at ";

std::string_view command_word(std::string_view p_line) {
    return p_line.substr(0, p_line.find(' '));
}

void append_decimal(std::string& p_out, uint64_t p_value) {
    char digits[24];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + p_value % 10);
        p_value /= 10;
    } while (p_value != 0);
    while (count > 0) {
        p_out += digits[--count];
    }
}

void set_failed(std::string& p_answer, std::string_view p_word) {
    p_answer.clear();
    p_answer.append(p_word);
    p_answer += zel_answer_mark;
    p_answer += zel_failed_word;
    p_answer += zel_line_end;
}

// Splits p_rest at its first p_end: p_field gets what comes before, p_rest what comes
// after. Without p_end, returns false and changes nothing.
bool take_field(std::string_view& p_rest, char p_end, std::string_view& p_field) {
    const std::size_t end = p_rest.find(p_end);
    if (end == std::string_view::npos) {
        return false;
    }
    p_field = p_rest.substr(0, end);
    p_rest.remove_prefix(end + 1);
    return true;
}

// Digits only (no sign, no blanks), at most p_max.
bool to_unsigned(std::string_view p_text, uint32_t p_max, uint32_t& p_value) {
    if (p_text.empty() || p_text.size() > 9) {
        return false;
    }
    uint32_t value = 0;
    for (const char c : p_text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    if (value > p_max) {
        return false;
    }
    p_value = value;
    return true;
}

// A data byte of a memory write: signed decimal from -128 to 127, kept as its 8 bits.
bool to_data_byte(std::string_view p_text, uint8_t& p_byte) {
    const bool negative = !p_text.empty() && p_text[0] == '-';
    if (negative) {
        p_text.remove_prefix(1);
    }
    uint32_t magnitude = 0;
    if (!to_unsigned(p_text, negative ? 128 : 127, magnitude)) {
        return false;
    }
    p_byte = static_cast<uint8_t>(negative ? 256 - magnitude : magnitude);
    return true;
}

struct memory_command_t {
    std::string_view m_mac;
    bool m_write = false;
    uint32_t m_slot = 0;
    uint32_t m_page = 0;
    uint32_t m_offset = 0;
    uint32_t m_count = 0;
    uint8_t m_data[SIM_PAGE_SIZE];
};

// The data list of a write: one to (64 - offset) bytes separated by ",". A list may end
// with a ",": a name of a full 32 bytes is written without its ending zero.
bool parse_data_list(std::string_view p_rest, memory_command_t& p_command) {
    p_command.m_count = 0;
    for (;;) {
        if (p_command.m_count > 0 && p_rest.empty()) {
            return true;
        }
        std::string_view value;
        const bool more = take_field(p_rest, ',', value);
        if (!more) {
            value = p_rest;
        }
        if (p_command.m_count == SIM_PAGE_SIZE - p_command.m_offset ||
            !to_data_byte(value, p_command.m_data[p_command.m_count])) {
            return false;
        }
        ++p_command.m_count;
        if (!more) {
            return true;
        }
    }
}

// "MAC;R;slot,page,offset,count" or "MAC;W;slot,page,offset;data". Only slot 0 exists,
// and an access stays within one page.
bool parse_memory_command(std::string_view p_arguments, memory_command_t& p_command) {
    std::string_view rest = p_arguments;
    std::string_view operation, slot, page, offset;
    if (!take_field(rest, ';', p_command.m_mac) || p_command.m_mac.empty() ||
        !take_field(rest, ';', operation) || (operation != "R" && operation != "W")) {
        return false;
    }
    p_command.m_write = operation == "W";
    if (!take_field(rest, ',', slot) || !take_field(rest, ',', page) ||
        !take_field(rest, p_command.m_write ? ';' : ',', offset) ||
        !to_unsigned(slot, 0, p_command.m_slot) ||
        !to_unsigned(page, SIM_PAGE_COUNT - 1, p_command.m_page) ||
        !to_unsigned(offset, SIM_PAGE_SIZE - 1, p_command.m_offset)) {
        return false;
    }
    if (p_command.m_write) {
        return parse_data_list(rest, p_command);
    }
    return to_unsigned(rest, SIM_PAGE_SIZE - p_command.m_offset, p_command.m_count) &&
           p_command.m_count > 0;
}

std::string build_listing(const std::string& p_network_name,
                          const std::vector<sim_device_t>& p_devices) {
    const std::string head = zel_answer_head(zel_list_dev_word) + p_network_name + ";";
    std::string listing;
    std::size_t on_line = 0;
    for (const sim_device_t& device : p_devices) {
        if (!device.m_listed) {
            continue;
        }
        if (on_line == G_ids_per_listing_line) {
            listing += G_line_end;
            on_line = 0;
        }
        listing += on_line == 0 ? head : ",";
        listing += device.m_mac;
        ++on_line;
    }
    if (listing.empty()) {
        listing = head;
    }
    return listing + G_line_end;
}

// mac;alias;hcf;mac_prog;mir;pir;fir;input_n;output_n;core_n;ext_core; with fixed values for
// the fields the tool does not use.
std::string build_info_answer(const sim_device_t& p_device) {
    const std::string fields = !p_device.m_info_fields.empty()
                                   ? p_device.m_info_fields
                                   : "1;0;" + std::to_string(p_device.m_mir) + ";" +
                                         std::to_string(p_device.m_pir) + ";" +
                                         std::to_string(p_device.m_fir) + ";8;8;1;0;";
    return zel_answer_head(zel_info_ext_word) + p_device.m_mac + ";" + p_device.m_name + ";" +
           fields + G_line_end;
}

// A captured label area replaces the factory presets: the entries get their name fields,
// the others are empty. Only pages whose factory name field is not empty are written: a
// written page takes memory, and a capture may hold thousands of devices.
void load_captured_area(const sim_device_t& p_device, sim_memory& p_memory) {
    const uint32_t base = label_area_base(p_device);
    const uint8_t empty[label_name_field_length] = {};
    for (uint32_t page = base; page < base + label_area_pages && page < SIM_PAGE_COUNT; ++page) {
        const sim_memory::page_t factory = p_memory.page(page);
        if (std::memcmp(factory.data(), empty, label_name_field_length) != 0) {
            p_memory.write(page, 0, empty, label_name_field_length);
        }
    }
    for (const sim_entry_t& entry : p_device.m_entries) {
        for (uint32_t k = 0; k < 3; ++k) {
            const uint32_t page = base + label_pages_per_preset * (entry.m_number - 1) + k;
            const std::string& field = entry.m_fields[k];
            if (page < SIM_PAGE_COUNT && !field.empty()) {
                p_memory.write(page, 0, reinterpret_cast<const uint8_t*>(field.data()),
                               static_cast<uint32_t>(field.size()));
            }
        }
    }
}

}  // namespace

sim_command_kind_t classify_command(std::string_view p_line) {
    const std::string_view word = command_word(p_line);
    if (word == zel_list_dev_word) {
        return KIND_LIST_DEV;
    }
    if (word == zel_info_ext_word) {
        return KIND_INFO_EXT;
    }
    const std::size_t semicolon = p_line.find(';');
    if (word != zel_tbox_mem_word || semicolon == std::string_view::npos) {
        return KIND_OTHER;
    }
    const std::string_view operation = p_line.substr(semicolon + 1, 2);
    if (operation == "R;") {
        return KIND_TBOX_MEM_R;
    }
    return operation == "W;" ? KIND_TBOX_MEM_W : KIND_OTHER;
}

sim_engine::sim_engine(sim_network_t p_network)
    : m_network_name(p_network.m_name),
      m_listing(build_listing(p_network.m_name, p_network.m_devices)) {
    m_devices.reserve(p_network.m_devices.size());
    for (sim_device_t& device : p_network.m_devices) {
        m_by_mac.emplace(device.m_mac, m_devices.size());
        sim_memory memory(device.m_cspr_page, device.m_start_offset);
        if (device.m_captured_area) {
            load_captured_area(device, memory);
            device.m_entries = std::vector<sim_entry_t>();  // the memory holds them now
        }
        const std::string info_answer = build_info_answer(device);
        m_devices.push_back({std::move(device), std::move(memory), info_answer});
    }
}

bool sim_engine::open_log_file(const std::string& p_path, uint64_t p_max_bytes) {
    m_log_file.close();  // a stream already open would not open another file
    m_log_file.open(p_path, std::ios::binary | std::ios::trunc);
    m_log_file_bytes = 0;
    m_log_file_max_bytes = p_max_bytes;
    return m_log_file.is_open();
}

void sim_engine::set_command_log_limit(std::size_t p_commands) {
    m_log_limit = p_commands;
    while (m_log.size() > m_log_limit) {
        m_log.pop_front();
    }
}

void sim_engine::log_command(std::string_view p_line) {
    if (m_log_limit > 0) {
        if (m_log.size() == m_log_limit) {
            m_log.pop_front();
        }
        m_log.emplace_back(p_line);
    }
    if (!m_log_file.is_open()) {
        return;
    }
    m_log_file_bytes += p_line.size() + 1;
    if (m_log_file_bytes > m_log_file_max_bytes) {
        m_log_file << G_log_full_note << sim_size_text(m_log_file_max_bytes) << ")\n";
        m_log_file.close();
        return;
    }
    m_log_file << p_line << '\n';
    m_log_file.flush();  // readable while the service runs
}

void sim_engine::handle(std::string_view p_line, sim_reply_t& p_reply) {
    p_reply.m_text.clear();
    p_reply.m_action = FAULT_NONE;
    p_reply.m_ms = 0;
    ++m_command_count;
    const sim_command_kind_t kind = classify_command(p_line);
    ++m_kind_counts[kind];
    log_command(p_line);
    const sim_fault_t* fault = take_fault(kind, p_line);
    if (fault != nullptr) {
        p_reply.m_action = fault->m_action;
        p_reply.m_ms = fault->m_ms;
    }
    // A refused, replaced or hung-up command is not carried out; the other faults only
    // change how its answer travels.
    switch (p_reply.m_action) {
        case FAULT_FAILED:
            set_failed(p_reply.m_text, command_word(p_line));
            return;
        case FAULT_CLOSE:
            return;
        case FAULT_REPLY:
            p_reply.m_text = fault->m_text + G_line_end;
            return;
        default:
            break;
    }
    if (p_reply.m_action == FAULT_CHANGE) {
        change_field(p_line, static_cast<uint32_t>(fault->m_ms), fault->m_text);
    }
    execute(p_line, kind, p_reply.m_text);
    const std::size_t values_start = p_reply.m_text.rfind(';');
    if (p_reply.m_action == FAULT_VALUES && values_start != std::string::npos) {
        p_reply.m_text.erase(values_start + 1);
        p_reply.m_text += fault->m_text + G_line_end;
    }
}

void sim_engine::change_field(std::string_view p_line, uint32_t p_page, const std::string& p_text) {
    memory_command_t command;
    device_slot_t* slot = nullptr;
    const std::string_view word = command_word(p_line);
    if (p_line.size() <= word.size() ||
        !parse_memory_command(p_line.substr(word.size() + 1), command) ||
        (slot = find_device(command.m_mac)) == nullptr) {
        return;
    }
    // Another client's write: the name's bytes, zeros after them; the guard rails watch only
    // what the clients of the test write.
    uint8_t field[label_name_field_length] = {};
    std::copy(p_text.begin(), p_text.begin() + std::min(p_text.size(), sizeof(field)), field);
    slot->m_memory.write(p_page, 0, field, sizeof(field));
}

const sim_fault_t* sim_engine::take_fault(sim_command_kind_t p_kind, std::string_view p_line) {
    // The device a command names: what follows its word, up to ";" (a memory command's MAC).
    const std::string_view word = command_word(p_line);
    const std::string_view rest =
        p_line.size() > word.size() ? p_line.substr(word.size() + 1) : std::string_view();
    const std::string_view mac = rest.substr(0, rest.find(';'));
    uint64_t device_count = 0;
    // Only a device of the network is counted: a flood of made-up names keeps nothing.
    if (!mac.empty() && find_device(mac) != nullptr) {
        auto found = m_device_counts.find(mac);
        if (found == m_device_counts.end()) {
            found =
                m_device_counts.emplace(std::string(mac), std::array<uint64_t, KIND_COUNT>{}).first;
        }
        device_count = ++found->second[p_kind];
    }
    const sim_command_place_t place{m_command_count, p_kind, m_kind_counts[p_kind], mac,
                                    device_count};
    for (std::size_t k = 0; k < m_faults.size(); ++k) {
        if (fault_hits(m_faults[k], place)) {
            ++m_fired[k];
            return &m_faults[k];
        }
    }
    return nullptr;
}

void sim_engine::execute(std::string_view p_line, sim_command_kind_t p_kind,
                         std::string& p_answer) {
    const std::string_view word = command_word(p_line);
    const bool has_arguments = p_line.size() > word.size();
    const std::string_view arguments = has_arguments ? p_line.substr(word.size() + 1) : "";
    if (p_kind == KIND_LIST_DEV && !has_arguments) {
        p_answer = m_listing;
    } else if (p_kind == KIND_INFO_EXT && has_arguments) {
        answer_info(arguments, p_answer);
    } else if (p_kind == KIND_TBOX_MEM_R || p_kind == KIND_TBOX_MEM_W) {
        answer_memory(arguments, p_answer);
    } else if (word == "SIM_DUMP" && !has_arguments) {
        answer_dump(p_answer);
    } else {
        set_failed(p_answer, word);
    }
}

void sim_engine::answer_info(std::string_view p_arguments, std::string& p_answer) const {
    const device_slot_t* slot = find_device(p_arguments);
    if (slot == nullptr) {
        set_failed(p_answer, zel_info_ext_word);
        return;
    }
    p_answer = slot->m_info_answer;
}

void sim_engine::answer_memory(std::string_view p_arguments, std::string& p_answer) {
    memory_command_t command;
    device_slot_t* slot = nullptr;
    if (!parse_memory_command(p_arguments, command) ||
        (slot = find_device(command.m_mac)) == nullptr) {
        set_failed(p_answer, zel_tbox_mem_word);
        return;
    }
    check_access(*slot, command.m_write, command.m_page, command.m_offset, command.m_count);
    p_answer.clear();
    p_answer += zel_answer_head(zel_tbox_mem_word);
    p_answer.append(command.m_mac);
    if (command.m_write) {
        slot->m_memory.write(command.m_page, command.m_offset, command.m_data, command.m_count);
        p_answer += ";OK\r\n";
        return;
    }
    uint8_t values[SIM_PAGE_SIZE];
    slot->m_memory.read(command.m_page, command.m_offset, command.m_count, values);
    p_answer += ";0,";
    append_decimal(p_answer, command.m_page);
    p_answer += ',';
    append_decimal(p_answer, command.m_offset);
    for (uint32_t i = 0; i < command.m_count; ++i) {
        p_answer += i == 0 ? ';' : ',';
        append_decimal(p_answer, values[i]);
    }
    p_answer += G_line_end;
}

void sim_engine::answer_dump(std::string& p_answer) const {
    const std::string text = dump();
    p_answer.clear();
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        p_answer += "SIM_DUMP=";
        p_answer.append(text, start, end - start);
        p_answer += G_line_end;
    }
    p_answer += "SIM_DUMP=END\r\n";
}

void sim_engine::check_access(const device_slot_t& p_slot, bool p_write, uint32_t p_page,
                              uint32_t p_offset, uint32_t p_count) {
    const sim_device_t& device = p_slot.m_device;
    const uint32_t base = label_area_base(device);
    const bool in_area = p_page >= base && p_page < base + label_area_pages &&
                         p_offset + p_count <= label_name_field_length;
    const bool outside = p_write && !in_area;
    if (device.m_listed && !outside) {
        return;  // the common case builds no text
    }
    const std::string who = device.m_name + " (" + device.m_mac + ")";
    const std::string where = "page " + std::to_string(p_page) + " offset " +
                              std::to_string(p_offset) + " count " + std::to_string(p_count);
    if (!device.m_listed) {
        record_violation(std::string(p_write ? "write to" : "read from") + " unlisted device " +
                         who + ": " + where);
    }
    if (outside) {
        record_violation("write outside the label area of " + who + ": " + where +
                         "; the area is pages " + std::to_string(base) + "-" +
                         std::to_string(base + label_area_pages - 1) + ", bytes 0-" +
                         std::to_string(label_name_field_length - 1));
    }
}

void sim_engine::record_violation(std::string p_text) {
    ++m_violation_count;
    if (m_violations.size() < SIM_VIOLATIONS_KEPT) {
        m_violations.push_back(std::move(p_text));
    }
}

sim_engine::device_slot_t* sim_engine::find_device(std::string_view p_mac) {
    const auto found = m_by_mac.find(p_mac);
    return found == m_by_mac.end() ? nullptr : &m_devices[found->second];
}

const sim_engine::device_slot_t* sim_engine::find_device(std::string_view p_mac) const {
    const auto found = m_by_mac.find(p_mac);
    return found == m_by_mac.end() ? nullptr : &m_devices[found->second];
}

std::vector<uint8_t> sim_engine::read_page(const std::string& p_mac, uint32_t p_page) const {
    const device_slot_t* slot = find_device(p_mac);
    if (slot == nullptr || p_page >= SIM_PAGE_COUNT) {
        return std::vector<uint8_t>();
    }
    const sim_memory::page_t page = slot->m_memory.page(p_page);
    return std::vector<uint8_t>(page.begin(), page.end());
}

std::string sim_engine::dump() const {
    std::string out;
    dump([&out](const std::string& p_part) { out += p_part; });
    return out;
}

void sim_engine::dump(const std::function<void(const std::string&)>& p_write) const {
    p_write("Network " + m_network_name + ", " + std::to_string(m_devices.size()) + " devices\n");
    for (const device_slot_t& slot : m_devices) {
        p_write(label_area_dump(slot.m_device, slot.m_memory));
    }
}
