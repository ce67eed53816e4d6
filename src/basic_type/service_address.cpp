#include "basic_type/service_address.h"

#include "basic_type/numbers.h"
#include "platform/program.h"

namespace {

const int G_highest_port = 65535;

bool digits_alone(const std::string& p_text) {
    for (const char c : p_text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return !p_text.empty();
}

// A number written in decimal digits alone, p_lowest to p_highest.
bool read_count(const std::string& p_text, int p_lowest, int p_highest, int& p_value) {
    int value = 0;
    // The strict reader takes a sign, which a port or a count never has.
    if (!digits_alone(p_text) || !read_int_strict(p_text, value) || value < p_lowest ||
        value > p_highest) {
        return false;
    }
    p_value = value;
    return true;
}

}  // namespace

bool read_service_port(const std::string& p_text, uint16_t& p_port) {
    int value = 0;
    if (!read_count(p_text, 1, G_highest_port, value)) {
        return false;
    }
    p_port = static_cast<uint16_t>(value);
    return true;
}

bool choose_service_port(const std::string* p_option, const std::string* p_variable,
                         service_port_t& p_port, console_message_t& p_refusal) {
    const std::string* text = p_option != nullptr ? p_option : p_variable;
    if (text == nullptr) {
        p_port = service_port_t();
        return true;
    }
    const char* source = p_option != nullptr ? zel_service_port_option : zel_service_port_variable;
    uint16_t port = 0;
    if (!read_service_port(*text, port)) {
        // The text is the operator's: its control bytes are shown visibly on a terminal.
        p_refusal = source + std::string(" needs a port number from 1 to 65535, not \"") +
                    given_text(*text) + "\"";
        return false;
    }
    p_port.m_port = port;
    p_port.m_source = source;
    return true;
}

bool choose_service_port(const std::string* p_option, service_port_t& p_port,
                         console_message_t& p_refusal) {
    std::string variable;
    const bool is_set = platform::environment_value(zel_service_port_variable, variable);
    return choose_service_port(p_option, is_set ? &variable : nullptr, p_port, p_refusal);
}

bool choose_service_connections(const std::string* p_option, const std::string* p_variable,
                                std::size_t& p_count, console_message_t& p_refusal) {
    const std::string* text = p_option != nullptr ? p_option : p_variable;
    if (text == nullptr) {
        p_count = 1;
        return true;
    }
    int count = 0;
    if (!read_count(*text, 1, static_cast<int>(zel_connections_max), count)) {
        const char* source =
            p_option != nullptr ? zel_connections_option : zel_connections_variable;
        p_refusal = source + std::string(" needs a count from 1 to ") +
                    std::to_string(zel_connections_max) + ", not \"" + typed_text(*text) + "\"";
        return false;
    }
    p_count = static_cast<std::size_t>(count);
    return true;
}

std::string service_port_notice(const service_port_t& p_port) {
    if (p_port.m_port == zel_service_default_port) {
        return std::string();
    }
    return "Using ZEL-Service at " + std::string(zel_service_ip) + ":" +
           std::to_string(p_port.m_port) + " (" + p_port.m_source + ").";
}

bool rehearsal_asked() {
    std::string value;
    return platform::environment_value(zel_rehearsal_variable, value) && !value.empty() &&
           value != "0";
}
