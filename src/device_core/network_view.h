// The network as values, for the programs that read devices without the writer's registry:
// the listing and each listed device's information answer, and the identity rules that tell
// which device a name means. It returns what it found; the programs tell the operator.
#ifndef SRC_DEVICE_CORE_NETWORK_VIEW_H_
#define SRC_DEVICE_CORE_NETWORK_VIEW_H_

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "basic_type/basic_type.h"
#include "basic_type/zel_protocol.h"
#include "device_core/service_connections.h"
#include "zel_service_cmd/service_answers.h"
#include "zel_socket_handler/zel_socket_handler.h"

// One identifier of the listing and what its information request gave.
struct network_device_t {
    std::string m_identifier;  // as listed, and sent back as it is
    bool m_answered = false;
    net_device_info_t m_info;  // when answered
};

// What a name means by the information answers, the one identity rule of every program: no
// device answered under it; one device did, under that name alone, in answers that agree;
// several devices did; its one device answered under other names too; or its one device,
// asked under two spellings of its identifier, gave answers that disagree (the writer keeps
// the last of them; the other programs take the device as ambiguous).
enum identity_t {
    IDENTITY_NONE,
    IDENTITY_ONE,
    IDENTITY_SHARED_NAME,
    IDENTITY_MANY_NAMES,
    IDENTITY_ANSWERS_DISAGREE
};
struct name_identity_t {
    identity_t m_identity = IDENTITY_NONE;
    std::vector<std::string> m_macs;   // the distinct devices answering under the name
    std::vector<std::string> m_names;  // the names its first device answers under
};

// Which devices answered under which names, and how.
class device_identities {
  public:
    void add(const net_device_info_t& p_info);
    name_identity_t identify(const std::string& p_name) const;

  private:
    std::unordered_map<std::string, std::vector<std::string>> m_macs_of_name;
    std::unordered_map<std::string, std::vector<std::string>> m_names_of_key;
    // Key -> its first answer after the MAC; the keys whose later answers said otherwise.
    std::unordered_map<std::string, std::string> m_answer_of_key;
    std::unordered_set<std::string> m_disagreeing_keys;
};

struct network_view_t {
    std::string m_greeting;  // what the service greeted with
    // The service was never reached: the line that says where and why; empty once it was.
    std::string m_not_reached;
    command_end_t m_listing_end = COMMAND_ANSWERED;
    bool m_listed = false;  // the listing was answered
    std::string m_refusal;  // what the service answered instead of a listing, if it answered
    std::string m_name;     // the network part of its first line
    // Each distinct listed identifier, in listing order.
    std::vector<network_device_t> m_devices;
    // The identifiers listed or reported (zel_device_key): what tells a late answer.
    zel_network_keys_t m_keys;
    device_identities m_identities;
    // Name -> the first answered device of that name, in m_devices.
    std::unordered_map<std::string, std::size_t> m_first_of_name;
    // The same with each name's letters A-Z folded to a-z: what tells a letter-case typo.
    std::unordered_map<std::string, std::size_t> m_first_of_folded_name;
    // The service could not be reached any more: the devices asked after it were not
    // answered.
    bool m_link_lost = false;
};

// Lists the network on the first link and asks each distinct listed identifier for its
// information, every one of them (a silent device costs its time-out and hides nothing after
// it), side by side when the links allow it. FAIL when the listing failed or the service could
// not be reached any more, and when a Ctrl-C was caught (platform::interrupted): no device is
// asked after it.
Status look_at_network(service_connections& p_links, network_view_t& p_view);

// How a name of a label file or of the command line finds its device in the view.
enum name_state_t { NAME_FOUND, NAME_NOT_FOUND, NAME_NOT_COMPATIBLE, NAME_AMBIGUOUS };
struct name_lookup_t {
    name_state_t m_state = NAME_NOT_FOUND;
    const net_device_info_t* m_device = nullptr;  // found or not compatible
    name_identity_t m_identity;                   // why it is ambiguous
};
name_lookup_t look_up_name(const network_view_t& p_view, const std::string& p_name);

// The name under which a device answered that is p_name but for the letter case of A-Z (the
// first such device listed), for a hint after a name not found; empty when none did.
std::string name_but_for_case(const network_view_t& p_view, const std::string& p_name);
// The hint that follows the warning about a name not found when name_but_for_case gave one.
console_message_t case_hint(const std::string& p_found);

// The warning about an ambiguous name: the devices answering under it (when more than one),
// the names its one device answers under, or the device whose answers disagree; it ends with
// what is not done to it: "It is not <p_not_done>.", or "<name> is not <p_not_done>."
console_message_t ambiguity_warning(const std::string& p_name, const name_identity_t& p_identity,
                                    const char* p_not_done);

// What a program says when the service refused to list the devices (its answer follows), and
// when the service could not be reached any more while the devices were asked.
console_message_t listing_refused_warning(const std::string& p_answer);
extern const char* const link_lost_warning;

// Why a look at the network left no devices to work on, in the order a program asks: a
// Ctrl-C, a service never reached, a listing refused, no listing otherwise.
enum look_trouble_t { LOOK_DONE, LOOK_STOPPED, LOOK_NOT_REACHED, LOOK_REFUSED, LOOK_NOT_LISTED };
look_trouble_t look_trouble(const network_view_t& p_view);
// What the operator is told of a trouble other than LOOK_DONE, after the line of
// m_not_reached for a service never reached; all but a refusal end "nothing was
// <p_nothing_done>.".
console_message_t look_trouble_message(look_trouble_t p_trouble, const network_view_t& p_view,
                                       const char* p_nothing_done);

// The words for a listed device that gave no information answer, wherever it is named.
extern const char* const no_information_answer;

// Why a name was not found: it is not on the network, or, when a listed device gave no
// information answer (p_unanswered), it may be that device's.
std::string not_found_reason(bool p_unanswered);

// The warnings about a name whose device was not found, or is not of the supported family and
// model, as every program that looks names up gives them.
console_message_t not_found_warning(const std::string& p_name, bool p_unanswered);
console_message_t not_compatible_warning(const std::string& p_name, const std::string& p_mac);

// A target a program was given (by a label file, or on its command line) and what it means on
// the network.
struct target_lookup_t {
    std::string m_name;
    name_lookup_t m_lookup;
    // Not found while a listed device gave no information answer: it may be that one.
    bool m_unanswered = false;
};

// Each name looked up, in order.
std::vector<target_lookup_t> look_up_targets(const network_view_t& p_view,
                                             const std::vector<std::string>& p_names);

// The warning about a target that cannot be worked on, as every program gives it: not found
// (with a hint when a device answers under the name in another letter case), not compatible,
// or ambiguous (ending with "not <p_not_done>"); nothing for a found one.
console_message_t target_warning(const network_view_t& p_view, const target_lookup_t& p_target,
                                 const char* p_not_done);

// Why a device's label area could not be read, for a message: "page 61: no answer".
std::string read_failure_words(uint32_t p_page, command_end_t p_why);

#endif  // SRC_DEVICE_CORE_NETWORK_VIEW_H_
