#include "device_core/backup_text.h"

#include "basic_type/label_area.h"
#include "device_core/label_reading.h"
#include "file_parser/file_parser.h"

namespace {

// Why an entry is written as a comment, as the comment and the warning say it.
const char* const G_empty_field = "has an empty field";
const char* const G_control_byte = "holds a control byte";
const char* const G_delimiter = "holds \";\", \"=\" or \"@\"";
const char* const G_blanks = "has leading or trailing blanks";
const char* const G_device_name = "has a device name of other than letters, digits and \"-\"";
const char* const G_not_carried = "holds a character no label file carries";
const char* const G_section = "would read as a device section";
const char* const G_moved = "comes after an empty or commented entry: restoring would move it";
const char* const G_trailing_bytes = "holds bytes after the end of a name, which a restore clears";
const char* const G_trailing_blanks =
    "ends in blanks a label line cannot carry, which a restore drops";
const char* const G_kept_blanks =
    "ends in blanks its line keeps with an \"X\" after them, which the writer cuts off (it "
    "warns that the name is longer than 32 characters)";
// What follows the blanks that end a full name field: the writer trims a name, then cuts it to
// 32 bytes, so the blanks come back and this goes.
const char G_after_blanks = 'X';

const std::string G_nl = "\r\n";

bool is_control_byte(char p_c) {
    return is_unauthorized_control_char(p_c) || p_c == 0x7F;
}

// A byte that reaches the devices unchanged through a label file: the reader converts the
// file from UTF-8, and code page 850 bytes without a UTF-8 form it takes back (the no-break
// space) are dropped.
bool is_carried(char p_c) {
    std::vector<unsupported_char_t> dropped;
    return p_c != '\0' && !is_control_byte(p_c) &&
           utf8_to_cp850(cp850_to_utf8(std::string(1, p_c)), dropped) == std::string(1, p_c);
}

bool holds(const std::string& p_text, bool (*p_test)(char)) {
    for (char c : p_text) {
        if (p_test(c)) {
            return true;
        }
    }
    return false;
}

bool is_delimiter(char p_c) {
    return p_c == ';' || p_c == '=' || p_c == '@';
}

bool is_not_carried(char p_c) {
    return !is_carried(p_c);
}

bool is_not_device_name_char(char p_c) {
    return p_c == '\0' || !is_autorized_char_in_device_name(p_c);
}

bool has_outer_blank(const std::string& p_text) {
    return p_text.front() == ' ' || p_text.back() == ' ';
}

// The entry as its label line carries it: a label or channel that ends in blanks and fills its
// field whole gets an "X" after them (the writer trims the name, then cuts it to 32 bytes:
// the blanks stay, the "X" goes); a shorter one loses them, as the reader trims them (a device
// name holds no blank).
label_preset_t line_of(const label_preset_t& p_entry) {
    label_preset_t line = p_entry;
    for (std::string* text : {&line.label, &line.channel_id}) {
        if (text->size() == label_name_field_length && text->back() == ' ') {
            text->push_back(G_after_blanks);
        } else {
            text->erase(text->find_last_not_of(' ') + 1);
        }
    }
    return line;
}

// The label line of an entry, in code page 850.
std::string label_line(const label_preset_t& p_entry) {
    return p_entry.label + " = " + p_entry.channel_id + "@" + p_entry.device_id;
}

// The name heads a section, so it is a section name; the MAC is any text of the service.
std::string backup_head(const std::string& p_name, const std::string& p_mac) {
    return "; device " + p_name + ", MAC " + comment_text(p_mac) + G_nl + "[" + p_name + "]" + G_nl;
}

std::string entry_comment(std::size_t p_number, const char* p_reason,
                          const label_preset_t& p_entry) {
    return "; entry " + std::to_string(p_number) + " " + p_reason + ": label \"" +
           comment_text(p_entry.label) + "\", channel \"" + comment_text(p_entry.channel_id) +
           "\", device \"" + comment_text(p_entry.device_id) + "\"" + G_nl;
}

// The label line of an entry (p_line, as line_of made it), and the comment and note that say
// what a restore does to its blanks when the line is not the entry as it stands.
std::string line_text(std::size_t p_number, const label_preset_t& p_entry,
                      const label_preset_t& p_line, std::vector<entry_note_t>& p_notes) {
    const std::string text = cp850_to_utf8(label_line(p_line)) + G_nl;
    if (p_line.label == p_entry.label && p_line.channel_id == p_entry.channel_id) {
        return text;
    }
    // Only a dropped blank makes a line shorter than its entry.
    const bool kept = p_line.label.size() >= p_entry.label.size() &&
                      p_line.channel_id.size() >= p_entry.channel_id.size();
    const char* const reason = kept ? G_kept_blanks : G_trailing_blanks;
    p_notes.push_back(entry_note_t{p_number, reason, false});
    return text + entry_comment(p_number, reason, p_entry);
}

// True when a field of the entry holds bytes after its first zero.
bool has_trailing_bytes(const label_preset_t& p_fields) {
    for (const std::string* field : {&p_fields.label, &p_fields.device_id, &p_fields.channel_id}) {
        if (field_bytes(*field) != up_to_zero(*field)) {
            return true;
        }
    }
    return false;
}

// The comment of an entry whose fields hold bytes after their end, shown whole.
std::string trailing_bytes_comment(std::size_t p_number, const label_preset_t& p_fields) {
    return entry_comment(
        p_number, G_trailing_bytes,
        label_preset_t{field_bytes(p_fields.label), field_bytes(p_fields.device_id),
                       field_bytes(p_fields.channel_id)});
}

}  // namespace

const char* entry_not_restorable(const label_preset_t& p_entry) {
    const std::string* const all[3] = {&p_entry.label, &p_entry.channel_id, &p_entry.device_id};
    const std::string* const texts[2] = {&p_entry.label, &p_entry.channel_id};
    if (p_entry.label.empty() || p_entry.channel_id.empty() || p_entry.device_id.empty()) {
        return G_empty_field;
    }
    for (const std::string* field : all) {
        if (holds(*field, is_control_byte)) {
            return G_control_byte;
        }
    }
    for (const std::string* text : texts) {
        if (holds(*text, is_delimiter)) {
            return G_delimiter;
        }
        if (has_outer_blank(*text)) {
            return G_blanks;
        }
    }
    if (holds(p_entry.device_id, is_not_device_name_char)) {
        return G_device_name;
    }
    for (const std::string* field : all) {
        if (holds(*field, is_not_carried)) {
            return G_not_carried;
        }
    }
    // The reader takes a line with "[", then "]" after something, for a device section.
    std::size_t pos = 0;
    bool section = false;
    get_section(label_line(p_entry), pos, section);
    return section ? G_section : nullptr;
}

std::string comment_text(const std::string& p_cp850_text) {
    return file_text(p_cp850_text, is_not_carried);
}

std::string device_backup_text(const std::string& p_name, const std::string& p_mac,
                               const label_entries_t& p_fields,
                               std::vector<entry_note_t>& p_notes) {
    std::string text = backup_head(p_name, p_mac);
    bool after_gap = false;
    const label_entries_t entries = entry_texts(p_fields);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const label_preset_t& entry = entries[k];
        const bool trailing = has_trailing_bytes(p_fields[k]);
        if (trailing) {
            p_notes.push_back(entry_note_t{k + 1, G_trailing_bytes, false});
        }
        if (is_empty_entry(entry)) {
            text += trailing ? trailing_bytes_comment(k + 1, p_fields[k]) : "";
            after_gap = true;
            continue;
        }
        const label_preset_t line = line_of(entry);
        const char* reason = entry_not_restorable(line);
        if (reason == nullptr && after_gap) {
            reason = G_moved;
        }
        if (reason == nullptr) {
            text += line_text(k + 1, entry, line, p_notes);
        } else {
            text += entry_comment(k + 1, reason, entry);
            p_notes.push_back(entry_note_t{k + 1, reason, true});
            after_gap = true;
        }
        text += trailing ? trailing_bytes_comment(k + 1, p_fields[k]) : "";
    }
    return text;
}

bool is_section_name(const std::string& p_name) {
    return !p_name.empty() && p_name.size() <= label_name_field_length &&
           !holds(p_name, is_not_device_name_char);
}
