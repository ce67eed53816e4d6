// The undo record: the fields a sync writes, with the bytes each held and the bytes written,
// as a text a person reads, read back byte for byte; and the plan that puts them back.
#include <set>
#include <tuple>

#include "basic_type/label_area.h"
#include "project_version.h"
#include "sync_brimel_label/sync_brimel_label.h"
#include "sync_brimel_label/sync_messages.h"

namespace sync_job {

namespace {

const std::string G_nl = "\r\n";
const char G_comment = ';';

// A field as the record holds it: up to its last byte that is not zero, quoted.
std::string recorded(const std::string& p_field) {
    return quoted_cp850(field_bytes(p_field));
}

// The words of a line, each a quoted text or a run of other bytes up to a blank. False when a
// quote is not closed.
bool words_of(const std::string& p_line, std::vector<std::string>& p_words) {
    for (std::size_t at = 0; at < p_line.size();) {
        if (p_line[at] == ' ' || p_line[at] == '\t') {
            ++at;
            continue;
        }
        std::size_t end = at + 1;
        if (p_line[at] == '"') {
            // Up to the next quote that no backslash escapes.
            while (end < p_line.size() && p_line[end] != '"') {
                end += p_line[end] == '\\' ? 2 : 1;
            }
            if (end >= p_line.size()) {
                return false;
            }
            ++end;
        } else {
            end = p_line.find_first_of(" \t", at);
            end = end == std::string::npos ? p_line.size() : end;
        }
        p_words.push_back(p_line.substr(at, end - at));
        at = end;
    }
    return true;
}

// The field's number from its name: "label" 0, "device" 1, "channel" 2; false for another.
bool field_of(const std::string& p_name, uint32_t& p_field) {
    for (uint32_t field = 0; field < label_pages_per_preset; ++field) {
        if (p_name == sync_msg::field_name(field)) {
            p_field = field;
            return true;
        }
    }
    return false;
}

// A name field's bytes, at most 32, made whole with zeros.
bool field_text(const std::string& p_word, std::string& p_field) {
    if (!unquote_cp850(p_word, p_field) || p_field.size() > label_name_field_length) {
        return false;
    }
    p_field.resize(label_name_field_length, '\0');
    return true;
}

// A path on a comment line: a control byte would end or garble the line.
std::string on_one_line(std::string p_path) {
    for (char& c : p_path) {
        c = static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    }
    return p_path;
}

// One line of fields: false, with p_why, when it is none.
bool read_line(const std::string& p_line, undo_field_t& p_field, std::string& p_why) {
    std::vector<std::string> words;
    int entry = 0;
    if (!words_of(p_line, words) || words.size() != 6) {
        p_why = "a field is \"NAME\" \"MAC\" ENTRY FIELD \"HELD\" \"WRITTEN\"";
    } else if (!unquote_cp850(words[0], p_field.m_name) ||
               !unquote_cp850(words[1], p_field.m_mac)) {
        p_why = "the device's name and MAC are quoted texts";
    } else if (!read_int_strict(words[2], entry) || entry < 1 ||
               entry > static_cast<int>(label_preset_count)) {
        p_why = "the entry is a number from 1 to 64";
    } else if (!field_of(words[3], p_field.m_field)) {
        p_why = "the field is label, device or channel";
    } else if (!field_text(words[4], p_field.m_old) || !field_text(words[5], p_field.m_new)) {
        p_why = "the bytes held and written are quoted texts of at most 32 bytes";
    }
    p_field.m_entry = static_cast<std::size_t>(entry);
    return p_why.empty();
}

}  // namespace

std::string undo_record_text(const std::vector<undo_field_t>& p_fields, const std::string& p_date,
                             const std::string& p_network, const std::string& p_file,
                             const std::string& p_undo_command) {
    std::string text = "; Undo record of " + std::string(sync_msg::program) + " " +
                       G_project_version + ", " + p_date + ", of the network " +
                       quoted_cp850(p_network) + ", for " + on_one_line(p_file) + G_nl +
                       "; Each line: the device's name and MAC, the entry, the field, the bytes it"
                       " held and the bytes written" +
                       G_nl +
                       "; (up to the last that is not zero: zeros fill the rest of its 32 bytes)." +
                       G_nl + "; Undo it with: " + on_one_line(p_undo_command) + G_nl;
    for (const undo_field_t& field : p_fields) {
        text += quoted_cp850(field.m_name) + " " + quoted_cp850(field.m_mac) + " " +
                std::to_string(field.m_entry) + " " + sync_msg::field_name(field.m_field) + " " +
                recorded(field.m_old) + " " + recorded(field.m_new) + G_nl;
    }
    return text;
}

bool read_undo_record(const std::string& p_text, std::vector<undo_field_t>& p_fields,
                      std::string& p_why) {
    std::vector<undo_field_t> fields;
    std::set<std::tuple<std::string, std::size_t, uint32_t>> seen;
    std::size_t number = 0;
    for (std::size_t at = 0; at < p_text.size();) {
        const std::size_t end = std::min(p_text.find('\n', at), p_text.size());
        std::string line = p_text.substr(at, end - at);
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == G_comment) {
            continue;
        }
        undo_field_t field;
        std::string why;
        if (!read_line(line, field, why)) {
            p_why = "line " + std::to_string(number) + ": " + why;
            return false;
        }
        // A sync writes a field once: a field twice is no record of one.
        if (!seen.insert(std::make_tuple(field.m_name, field.m_entry, field.m_field)).second) {
            p_why = "line " + std::to_string(number) + ": this field is given twice";
            return false;
        }
        fields.push_back(field);
    }
    p_fields = fields;
    return true;
}

std::vector<uint32_t> recorded_places(const std::vector<undo_field_t>& p_fields) {
    std::vector<uint32_t> places;
    for (const undo_field_t& field : p_fields) {
        places.push_back(label_pages_per_preset * static_cast<uint32_t>(field.m_entry - 1) +
                         field.m_field);
    }
    return places;
}

plan_t undo_plan_of(const area_read_t& p_read, const std::vector<undo_field_t>& p_fields,
                    std::vector<field_change_t>& p_refused) {
    plan_t plan;
    plan.m_location = p_read.m_location;
    for (const undo_field_t& field : p_fields) {
        const label_preset_t& entry = p_read.m_entries[field.m_entry - 1];
        const std::string* const held[label_pages_per_preset] = {&entry.label, &entry.device_id,
                                                                 &entry.channel_id};
        const std::string& now = *held[field.m_field];
        const field_change_t change{field.m_entry, field.m_field, now, field.m_old, FIELD_OLD};
        if (now == field.m_new && now != field.m_old) {
            plan.m_changes.push_back(change);
        } else if (now != field.m_old) {
            p_refused.push_back(change);
        }
    }
    return plan;
}

}  // namespace sync_job
