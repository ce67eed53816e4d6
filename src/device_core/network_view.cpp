#include "device_core/network_view.h"

#include <algorithm>
#include <unordered_set>

#include "platform/interrupt.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

void add_distinct(std::vector<std::string>& p_texts, const std::string& p_text,
                  bool p_by_identity) {
    for (const std::string& text : p_texts) {
        if (p_by_identity ? zel_same_device(text, p_text) : text == p_text) {
            return;
        }
    }
    p_texts.push_back(p_text);
}

const std::vector<std::string>& found_in(
    const std::unordered_map<std::string, std::vector<std::string>>& p_map,
    const std::string& p_key) {
    static const std::vector<std::string> G_none;
    const auto found = p_map.find(p_key);
    return found == p_map.end() ? G_none : found->second;
}

// Texts of the service: "A, B and C".
console_message_t joined(const std::vector<std::string>& p_texts) {
    console_message_t text = service_text(p_texts[0]);
    for (std::size_t k = 1; k < p_texts.size(); ++k) {
        text += (k + 1 == p_texts.size() ? " and " : ", ") + service_text(p_texts[k]);
    }
    return text;
}

std::string folded(std::string p_name) {
    to_small_letter(p_name);
    return p_name;
}

}  // namespace

void device_identities::add(const net_device_info_t& p_info) {
    const std::string key = zel_device_key(p_info.m_mac);
    add_distinct(m_macs_of_name[p_info.m_alias], p_info.m_mac, true);
    add_distinct(m_names_of_key[key], p_info.m_alias, false);
    const std::string answer = p_info.m_alias + ";" + p_info.m_fields;
    const auto first = m_answer_of_key.emplace(key, answer);
    if (!first.second && first.first->second != answer) {
        m_disagreeing_keys.insert(key);
    }
}

name_identity_t device_identities::identify(const std::string& p_name) const {
    name_identity_t identity;
    identity.m_macs = found_in(m_macs_of_name, p_name);
    if (identity.m_macs.empty()) {
        return identity;
    }
    const std::string key = zel_device_key(identity.m_macs[0]);
    identity.m_names = found_in(m_names_of_key, key);
    identity.m_identity = identity.m_macs.size() > 1           ? IDENTITY_SHARED_NAME
                          : identity.m_names.size() > 1        ? IDENTITY_MANY_NAMES
                          : m_disagreeing_keys.count(key) != 0 ? IDENTITY_ANSWERS_DISAGREE
                                                               : IDENTITY_ONE;
    return identity;
}

Status look_at_network(service_connections& p_links, network_view_t& p_view) {
    socket_handle& first = p_links.first();
    p_view = network_view_t();
    std::vector<std::string> listed;
    p_view.m_listing_end = list_network(first, p_view.m_name, listed, p_view.m_refusal);
    p_view.m_greeting = first.greeting();
    std::string why;
    if (service_never_reached(first, why)) {
        p_view.m_not_reached = not_reached_message(zel_service_ip, first.service_port(), why);
    }
    if (p_view.m_listing_end != COMMAND_ANSWERED) {
        return FAIL;
    }
    p_view.m_listed = true;
    // A listing that repeats an identifier names one device: each is asked once. An answer
    // echoes the identifier asked, so the listing's keys are all the network's.
    std::unordered_set<std::string> asked;
    for (const std::string& identifier : listed) {
        p_view.m_keys.insert(zel_device_key(identifier));
        if (asked.insert(identifier).second) {
            network_device_t device;
            device.m_identifier = identifier;
            p_view.m_devices.push_back(device);
        }
    }
    // Per device: its question could not be sent, the service being gone (char, not the
    // packed bool: each is written by the link that asks).
    std::vector<char> unreached(p_view.m_devices.size(), 0);
    p_links.run(p_view.m_devices.size(), [&](socket_handle& p_link, std::size_t p_job) {
        network_device_t& device = p_view.m_devices[p_job];
        if (platform::interrupted()) {
            return JOB_ENDED;  // not asked
        }
        const command_end_t end =
            ask_information(p_link, device.m_identifier, p_view.m_keys, device.m_info);
        device.m_answered = end == COMMAND_ANSWERED;
        unreached[p_job] = !device.m_answered && p_link.open_failed() ? 1 : 0;
        return connection_was_lost(p_link, end) ? JOB_CONNECTION_LOST : JOB_ENDED;
    });
    for (std::size_t k = 0; k < p_view.m_devices.size(); ++k) {
        const network_device_t& device = p_view.m_devices[k];
        p_view.m_link_lost = p_view.m_link_lost || unreached[k] != 0;
        if (device.m_answered) {
            p_view.m_identities.add(device.m_info);
            p_view.m_first_of_name.emplace(device.m_info.m_alias, k);
            p_view.m_first_of_folded_name.emplace(folded(device.m_info.m_alias), k);
        }
    }
    return platform::interrupted() || p_view.m_link_lost ? FAIL : SUCCESS;
}

name_lookup_t look_up_name(const network_view_t& p_view, const std::string& p_name) {
    name_lookup_t lookup;
    lookup.m_identity = p_view.m_identities.identify(p_name);
    if (lookup.m_identity.m_identity == IDENTITY_NONE) {
        return lookup;
    }
    if (lookup.m_identity.m_identity != IDENTITY_ONE) {
        lookup.m_state = NAME_AMBIGUOUS;
        return lookup;
    }
    lookup.m_device = &p_view.m_devices[p_view.m_first_of_name.at(p_name)].m_info;
    lookup.m_state = lookup.m_device->is_compatible() ? NAME_FOUND : NAME_NOT_COMPATIBLE;
    return lookup;
}

console_message_t ambiguity_warning(const std::string& p_name, const name_identity_t& p_identity,
                                    const char* p_not_done) {
    const console_message_t name = service_text(p_name);
    const std::vector<std::string>& macs = p_identity.m_macs;
    if (p_identity.m_identity == IDENTITY_SHARED_NAME) {
        return "Warning: " + name +
               " is the name of more than one device on the network: " + joined(macs) +
               ". It is not " + p_not_done + ".\r\n";
    }
    const console_message_t how =
        p_identity.m_identity == IDENTITY_MANY_NAMES
            ? " answers as " + joined(p_identity.m_names)
            : console_message_t(PROGRAM_TEXT,
                                " gave information answers that disagree (its identifier "
                                "is listed in two spellings)");
    return "Warning: the device " + service_text(macs[0]) + how + ": " + name + " is not " +
           p_not_done + ".\r\n";
}

console_message_t listing_refused_warning(const std::string& p_answer) {
    return "ZEL-Service refused to list the devices: " + service_text(p_answer);
}

const char* const link_lost_warning =
    "Warning: ZEL-Service cannot be reached any more: the devices not asked yet are taken as "
    "not found.\r\n";

look_trouble_t look_trouble(const network_view_t& p_view) {
    return platform::interrupted()         ? LOOK_STOPPED
           : !p_view.m_not_reached.empty() ? LOOK_NOT_REACHED
           : !p_view.m_refusal.empty()     ? LOOK_REFUSED
           : !p_view.m_listed              ? LOOK_NOT_LISTED
                                           : LOOK_DONE;
}

console_message_t look_trouble_message(look_trouble_t p_trouble, const network_view_t& p_view,
                                       const char* p_nothing_done) {
    if (p_trouble == LOOK_REFUSED) {
        return listing_refused_warning(p_view.m_refusal);
    }
    const std::string what =
        p_trouble == LOOK_STOPPED
            ? "Stopped by Ctrl-C while the devices were listed or asked for their information"
        : p_trouble == LOOK_NOT_REACHED ? std::string("ZEL-Service was not reached")
                                        : std::string("ZEL-Service did not list the devices (") +
                                              command_end_words(p_view.m_listing_end) + ")";
    return console_message_t(PROGRAM_TEXT, what + ": nothing was " + p_nothing_done + ".\r\n");
}

const char* const no_information_answer = " gave no information answer";

std::string not_found_reason(bool p_unanswered) {
    return p_unanswered ? std::string(" was not found: a listed device") + no_information_answer
                        : std::string(" was not found on the network");
}

console_message_t not_found_warning(const std::string& p_name, bool p_unanswered) {
    return "Warning: " + service_text(p_name) + not_found_reason(p_unanswered) + ".\r\n";
}

console_message_t not_compatible_warning(const std::string& p_name, const std::string& p_mac) {
    return "Warning: " + service_text(p_name) + " (" + service_text(p_mac) +
           ") is not a KALDEN-RM6X compatible device.\r\n";
}

std::string name_but_for_case(const network_view_t& p_view, const std::string& p_name) {
    const auto found = p_view.m_first_of_folded_name.find(folded(p_name));
    return found == p_view.m_first_of_folded_name.end()
               ? std::string()
               : p_view.m_devices[found->second].m_info.m_alias;
}

console_message_t case_hint(const std::string& p_found) {
    return "Did you mean " + service_text(p_found) + "? Device names are case-sensitive.\r\n";
}

std::vector<target_lookup_t> look_up_targets(const network_view_t& p_view,
                                             const std::vector<std::string>& p_names) {
    const bool some_unanswered =
        std::any_of(p_view.m_devices.begin(), p_view.m_devices.end(),
                    [](const network_device_t& p_device) { return !p_device.m_answered; });
    std::vector<target_lookup_t> targets;
    for (const std::string& name : p_names) {
        const name_lookup_t lookup = look_up_name(p_view, name);
        targets.push_back(
            target_lookup_t{name, lookup, lookup.m_state == NAME_NOT_FOUND && some_unanswered});
    }
    return targets;
}

console_message_t target_warning(const network_view_t& p_view, const target_lookup_t& p_target,
                                 const char* p_not_done) {
    const name_lookup_t& lookup = p_target.m_lookup;
    switch (lookup.m_state) {
        case NAME_FOUND:
            break;
        case NAME_NOT_FOUND: {
            const std::string hint = name_but_for_case(p_view, p_target.m_name);
            return not_found_warning(p_target.m_name, p_target.m_unanswered) +
                   (hint.empty() ? console_message_t() : case_hint(hint));
        }
        case NAME_NOT_COMPATIBLE:
            return not_compatible_warning(p_target.m_name, lookup.m_device->m_mac);
        case NAME_AMBIGUOUS:
            return ambiguity_warning(p_target.m_name, lookup.m_identity, p_not_done);
    }
    return console_message_t();
}

std::string read_failure_words(uint32_t p_page, command_end_t p_why) {
    return "page " + std::to_string(p_page) + ": " + command_end_words(p_why);
}
