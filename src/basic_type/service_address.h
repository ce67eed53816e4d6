// Where the programs find the device-management service: 127.0.0.1, on port 7000 unless
// the operator chose another one, with the environment variable ZEL_SERVICE_PORT or with
// a program's --port option, which wins over the variable. One rule for every program, and
// its words: a port is 1 to 65535 in digits alone; anything else is refused, naming where
// it came from and what it held; a port other than 7000 is said once.
#ifndef SRC_BASIC_TYPE_SERVICE_ADDRESS_H_
#define SRC_BASIC_TYPE_SERVICE_ADDRESS_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "basic_type/basic_type.h"

constexpr char zel_service_ip[] = "127.0.0.1";
constexpr uint16_t zel_service_default_port = 7000;
constexpr char zel_service_port_variable[] = "ZEL_SERVICE_PORT";
constexpr char zel_service_port_option[] = "--port";

// The port a program uses, and where it was chosen: the variable's name or the option's;
// empty for the default port.
struct service_port_t {
    uint16_t m_port = zel_service_default_port;
    std::string m_source;
};

// A port written in decimal digits alone, 1 to 65535 (leading zeros allowed). False, with
// p_port unchanged, for anything else: empty, 0, 65536, a sign, a blank, any other character.
bool read_service_port(const std::string& p_text, uint16_t& p_port);

// The port from p_option (the text given to --port; nullptr when none), or else from
// p_variable (the value of ZEL_SERVICE_PORT; nullptr when it is not set), or else 7000.
// False, with p_refusal naming the option or the variable and its text, when the text
// chosen is no port; p_port is then unchanged.
bool choose_service_port(const std::string* p_option, const std::string* p_variable,
                         service_port_t& p_port, console_message_t& p_refusal);

// The same, with ZEL_SERVICE_PORT as the process's environment holds it.
bool choose_service_port(const std::string* p_option, service_port_t& p_port,
                         console_message_t& p_refusal);

// "Using ZEL-Service at 127.0.0.1:7001 (ZEL_SERVICE_PORT)." without a line end, for a port
// other than 7000; empty for 7000, where every program behaves as it always did.
std::string service_port_notice(const service_port_t& p_port);

// A rehearsal: ZEL_REHEARSAL set to anything but "" or "0" (ZEL_REHEARSAL=1). Then a service
// whose greeting does not say it is simulated gets no command at all: a rehearsal never
// reaches the show's devices by mistake.
constexpr char zel_rehearsal_variable[] = "ZEL_REHEARSAL";
bool rehearsal_asked();

// How many connections a program that reads may open to the service at once: 1 unless
// --connections, or else ZEL_SERVICE_CONNECTIONS, says 1 to 16 in digits alone.
constexpr char zel_connections_variable[] = "ZEL_SERVICE_CONNECTIONS";
constexpr char zel_connections_option[] = "--connections";
constexpr std::size_t zel_connections_max = 16;

// The count from p_option (the text given to --connections; nullptr when none), or else from
// p_variable (ZEL_SERVICE_CONNECTIONS's value; nullptr when it is not set), or else 1. False,
// with p_refusal saying where it came from and what it held, when the text chosen is no
// count; p_count is then unchanged.
bool choose_service_connections(const std::string* p_option, const std::string* p_variable,
                                std::size_t& p_count, console_message_t& p_refusal);

#endif  // SRC_BASIC_TYPE_SERVICE_ADDRESS_H_
