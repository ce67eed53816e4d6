// The backup as a label file: what write_brimel_label reads back into exactly the entries
// read, and a comment, never an altered line, for what it could not. What a label line can
// carry is the label file's syntax, as file_parser reads it (its section rule, its device
// name characters, its control bytes).
#ifndef SRC_DEVICE_CORE_BACKUP_TEXT_H_
#define SRC_DEVICE_CORE_BACKUP_TEXT_H_

#include <cstddef>
#include <string>
#include <vector>

#include "basic_type/basic_type.h"

// Why an entry cannot be carried back in a label line unchanged, or nullptr when it can:
// an empty field, a control byte, ";", "=" or "@", outer blanks, a Dante device name that
// is not letters, digits and "-", a character the label file cannot carry, or a line that
// would read as a device section.
const char* entry_not_restorable(const label_preset_t& p_entry);

// A text of a device (code page 850) as a comment of a backup shows it: UTF-8, every byte a
// label file cannot carry (a control byte, the no-break space) written as \xHH.
std::string comment_text(const std::string& p_cp850_text);

// An entry a backup writes as a comment, or whose line a restore does not give back whole,
// and why.
struct entry_note_t {
    std::size_t m_number;  // 1 to 64
    const char* m_reason;
    bool m_commented;  // the entry is a comment; otherwise its line restores the rest of it
};

// A device as the backup holds it, from its entries read whole: a comment naming it and its
// MAC, its section, then one "label = channel@device" line per non-empty entry, in entry
// order, in UTF-8. An entry that cannot be restored, and every non-empty entry after an
// empty or commented one (restoring would move it), is written as a comment and listed in
// p_notes. A label or channel that ends in blanks (the writer trims a name, then cuts it to
// 32 bytes, so a cut can end in a blank) fills its field whole: its line gives it with an "X"
// after the blanks, which the writer's cut takes off again; a shorter one is written without
// its blanks, as a label line cannot carry them. An entry holding bytes after the end of a
// name keeps its line. A comment after the line tells each (a restore drops those blanks and
// clears those bytes; the writer warns about the cut), and p_notes lists them.
std::string device_backup_text(const std::string& p_name, const std::string& p_mac,
                               const label_entries_t& p_fields, std::vector<entry_note_t>& p_notes);

// True when the name can head a device section of a label file as it is.
bool is_section_name(const std::string& p_name);

#endif  // SRC_DEVICE_CORE_BACKUP_TEXT_H_
