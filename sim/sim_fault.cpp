#include "sim/sim_fault.h"

#include <sstream>
#include <vector>

#include "basic_type/numbers.h"

namespace {

const char* const G_kind_names[KIND_COUNT] = {"LIST_DEV", "INFO_EXT", "TBOX_MEM_R", "TBOX_MEM_W",
                                              "OTHER"};

// Longest pause a fault may ask for: ten minutes.
const int G_max_fault_ms = 600000;
// A change writes a name field: at most its 32 bytes.
const std::size_t G_name_field_length = 32;

std::vector<std::string> split_on(const std::string& p_text, char p_separator) {
    std::vector<std::string> parts;
    std::istringstream in(p_text);
    std::string part;
    while (std::getline(in, part, p_separator)) {
        parts.push_back(part);
    }
    return parts;
}

bool parse_positive(const std::string& p_text, uint64_t& p_value) {
    int value = 0;
    if (!read_int_strict(p_text, value) || value < 1) {
        return false;
    }
    p_value = static_cast<uint64_t>(value);
    return true;
}

bool parse_kind(const std::string& p_text, sim_command_kind_t& p_kind) {
    // OTHER is left out: those commands have no answer of their own to spoil.
    for (int k = 0; k < KIND_OTHER; ++k) {
        if (p_text == G_kind_names[k]) {
            p_kind = static_cast<sim_command_kind_t>(k);
            return true;
        }
    }
    return false;
}

bool parse_selector(const std::string& p_text, sim_fault_t& p_fault, std::string& p_error) {
    for (const std::string& item : split_on(p_text, ',')) {
        const std::size_t equal = item.find('=');
        const std::string key = item.substr(0, equal);
        const std::string value = equal == std::string::npos ? "" : item.substr(equal + 1);
        if (key == "cmd" && parse_positive(value, p_fault.m_command)) {
            continue;
        }
        if (key == "nth" && parse_positive(value, p_fault.m_nth)) {
            continue;
        }
        if (key == "kind" && parse_kind(value, p_fault.m_kind)) {
            p_fault.m_by_kind = true;
            continue;
        }
        if (key == "mac" && !value.empty()) {
            p_fault.m_mac = value;
            continue;
        }
        p_error = "bad selector \"" + item +
                  "\": use cmd=N, or kind=LIST_DEV|INFO_EXT|TBOX_MEM_R|TBOX_MEM_W with nth=N and "
                  "mac=MAC";
        return false;
    }
    if ((p_fault.m_nth != 0 || !p_fault.m_mac.empty()) && !p_fault.m_by_kind) {
        p_error = "nth=N and mac=MAC need kind=K";
        return false;
    }
    if ((p_fault.m_command != 0) == p_fault.m_by_kind) {
        p_error = "a fault selects its commands by cmd=N or by kind=K, not both or neither";
        return false;
    }
    return true;
}

bool parse_action(const std::string& p_text, sim_fault_t& p_fault, std::string& p_error) {
    const std::size_t equal = p_text.find('=');
    const std::string name = p_text.substr(0, equal);
    const bool has_argument = equal != std::string::npos;
    const std::string argument = has_argument ? p_text.substr(equal + 1) : "";
    struct plain_action_t {
        const char* m_name;
        sim_fault_action_t m_action;
    };
    const plain_action_t plain[] = {{"failed", FAULT_FAILED},
                                    {"silent", FAULT_SILENT},
                                    {"close", FAULT_CLOSE},
                                    {"gone", FAULT_GONE},
                                    {"garbage", FAULT_GARBAGE}};
    for (const plain_action_t& candidate : plain) {
        if (name == candidate.m_name && !has_argument) {
            p_fault.m_action = candidate.m_action;
            return true;
        }
    }
    if ((name == "delay" || name == "split") && has_argument) {
        if (!read_int_strict(argument, p_fault.m_ms) || p_fault.m_ms < 0 ||
            p_fault.m_ms > G_max_fault_ms) {
            p_error = name + " needs milliseconds from 0 to " + std::to_string(G_max_fault_ms);
            return false;
        }
        p_fault.m_action = name == "delay" ? FAULT_DELAY : FAULT_SPLIT;
        return true;
    }
    const std::size_t comma = argument.find(',');
    if (name == "change" && comma != std::string::npos &&
        read_int_strict(argument.substr(0, comma), p_fault.m_ms) && p_fault.m_ms >= 0 &&
        argument.size() - comma - 1 <= G_name_field_length) {
        p_fault.m_text = argument.substr(comma + 1);
        p_fault.m_action = FAULT_CHANGE;
        return true;
    }
    if ((name == "values" || name == "reply") && has_argument) {
        p_fault.m_text = argument;
        p_fault.m_action = name == "values" ? FAULT_VALUES : FAULT_REPLY;
        return true;
    }
    p_error = "bad action \"" + p_text +
              "\": use failed, silent, close, gone, garbage, delay=MS, split=MS, values=TEXT, "
              "reply=TEXT or change=PAGE,TEXT";
    return false;
}

}  // namespace

const char* command_kind_name(sim_command_kind_t p_kind) {
    const unsigned index = static_cast<unsigned>(p_kind);
    return index < KIND_COUNT ? G_kind_names[index] : "OTHER";
}

bool parse_fault(const std::string& p_text, sim_fault_t& p_fault, std::string& p_error) {
    const std::size_t colon = p_text.find(':');
    if (colon == std::string::npos) {
        p_error = "a fault is SELECTOR:ACTION, e.g. kind=TBOX_MEM_W,nth=3:failed";
        return false;
    }
    // A MAC of the selector holds ":" too: the action starts at the first ":" after which
    // the rest is one; otherwise the first ":" tells what is wrong.
    for (std::size_t at = colon; at != std::string::npos; at = p_text.find(':', at + 1)) {
        sim_fault_t fault;
        std::string error;
        if (parse_selector(p_text.substr(0, at), fault, error) &&
            parse_action(p_text.substr(at + 1), fault, error)) {
            p_fault = fault;
            return true;
        }
    }
    sim_fault_t fault;
    if (parse_selector(p_text.substr(0, colon), fault, p_error)) {
        parse_action(p_text.substr(colon + 1), fault, p_error);
    }
    return false;
}

bool fault_hits(const sim_fault_t& p_fault, const sim_command_place_t& p_place) {
    const sim_command_kind_t p_kind = p_place.m_kind;
    // Only a memory read has values to replace; only a memory command names a device to change.
    if ((p_fault.m_action == FAULT_VALUES && p_kind != KIND_TBOX_MEM_R) ||
        (p_fault.m_action == FAULT_CHANGE && p_kind != KIND_TBOX_MEM_R &&
         p_kind != KIND_TBOX_MEM_W)) {
        return false;
    }
    if (!p_fault.m_by_kind) {
        return p_fault.m_command == p_place.m_command;
    }
    if (!p_fault.m_mac.empty() && p_fault.m_mac != p_place.m_mac) {
        return false;
    }
    const uint64_t number =
        p_fault.m_mac.empty() ? p_place.m_kind_number : p_place.m_device_kind_number;
    return p_fault.m_kind == p_kind && (p_fault.m_nth == 0 || p_fault.m_nth == number);
}
