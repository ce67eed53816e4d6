// Faults the simulated service can be told to make, so that tests and rehearsals see how
// the tool copes with a service that refuses, stalls, stutters or hangs up. A fault
// names the commands it hits (the n-th command of the service's life, or the commands of
// one kind, or only the n-th of that kind) and what the service does instead of a plain
// answer. Written on the command line as "SELECTOR:ACTION", for example
// "kind=TBOX_MEM_W,nth=3:failed" or "cmd=12:delay=700".
#ifndef SIM_SIM_FAULT_H_
#define SIM_SIM_FAULT_H_

#include <cstdint>
#include <string>
#include <string_view>

enum sim_command_kind_t {
    KIND_LIST_DEV = 0,
    KIND_INFO_EXT = 1,
    KIND_TBOX_MEM_R = 2,
    KIND_TBOX_MEM_W = 3,
    KIND_OTHER = 4,  // unknown words, malformed memory commands, SIM_DUMP
    KIND_COUNT = 5
};

enum sim_fault_action_t {
    FAULT_NONE = 0,
    FAULT_FAILED,   // answer "<word>=FAILED"; the command is not carried out
    FAULT_SILENT,   // carry the command out, send nothing
    FAULT_DELAY,    // answer after m_ms more milliseconds
    FAULT_SPLIT,    // send the answer in two pieces, m_ms apart
    FAULT_CLOSE,    // close the connection instead of answering; not carried out
    FAULT_GARBAGE,  // a line "GARBAGE 1234" first, then the answer
    FAULT_VALUES,   // a memory read answered with m_text as its values part
    FAULT_REPLY,    // the line m_text (CR LF added) instead of the answer; not carried out
    FAULT_GONE,     // close the connection and stop listening: the service is gone for good
    FAULT_CHANGE    // first put m_text into the name field at page m_ms of the device a
                    // memory command names (another client's write), then carry it out
};

struct sim_fault_t {
    uint64_t m_command = 0;  // the n-th command overall (from 1); 0: not by number
    bool m_by_kind = false;  // hits commands of m_kind
    sim_command_kind_t m_kind = KIND_OTHER;
    // Only the commands that name this device (its MAC as the commands write it); its own
    // commands of m_kind are then the ones m_nth counts, whatever other clients send.
    std::string m_mac;
    uint64_t m_nth = 0;  // only the n-th command of m_kind (from 1); 0: all
    sim_fault_action_t m_action = FAULT_NONE;
    int m_ms = 0;        // delay or split pause; the page a change writes
    std::string m_text;  // values or reply text
};

// "LIST_DEV", "INFO_EXT", "TBOX_MEM_R", "TBOX_MEM_W", "OTHER".
const char* command_kind_name(sim_command_kind_t p_kind);

// Reads "SELECTOR:ACTION". SELECTOR is "cmd=N", or "kind=K" optionally followed by
// ",nth=N" and ",mac=MAC" (the commands of that device alone, counted for it). ACTION is failed,
// silent, close, gone, garbage, delay=MS, split=MS, values=TEXT, reply=TEXT or change=PAGE,TEXT. On
// failure p_fault is unchanged and p_error says why.
bool parse_fault(const std::string& p_text, sim_fault_t& p_fault, std::string& p_error);

// Where a command stands: the p_command-th of the service, the p_kind_number-th of its kind
// p_kind, naming p_mac ("" for none) as the p_device_kind_number-th command of that kind for
// that device.
struct sim_command_place_t {
    uint64_t m_command;
    sim_command_kind_t m_kind;
    uint64_t m_kind_number;
    std::string_view m_mac;
    uint64_t m_device_kind_number;
};

// True when the fault hits the command.
bool fault_hits(const sim_fault_t& p_fault, const sim_command_place_t& p_place);

#endif  // SIM_SIM_FAULT_H_
