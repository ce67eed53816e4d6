// Shared types and the console dialogue of the programs: result and colour types, the label
// preset and the entries of a label area, the messages (each text in them shown as the stream
// it goes to needs, by where it came from), coloured output and error messages, the fixed
// command words and the operator's answers, the built-in user manual, and the conversion
// of label-file text from UTF-8 to code page 850. The folder also holds the number readers
// (numbers.h, included here), the protocol spoken with the service (zel_protocol.h) and the
// format of a device's label area (label_area.h).
#ifndef SRC_BASIC_TYPE_BASIC_TYPE_H_
#define SRC_BASIC_TYPE_BASIC_TYPE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "basic_type/numbers.h"
#include "platform/console.h"

enum Status { SUCCESS = 0, FAIL = 1 };

// The exit status of the programs other than the writer: the job was done completely;
// differences remain, or were not proven absent; the job could not be done (a wrong command
// line included).
enum job_status_t { JOB_DONE = 0, JOB_DIFFERS = 1, JOB_FAILED = 2 };

enum color_code_t { RESET = 0, RED = 1, GREEN = 2, YELLOW = 3, CYAN = 4, MAGENTA = 5 };

// Kind of a service request; selects the parser of its answer.
enum zel_req_id_t {
    ZEL_WRITE = 0,
    ZEL_READ = 1,
    ZEL_INFO_EXT = 2,
    ZEL_LIST_NET = 3,
    ZEL_LIST_DEV = 4,
    ZEL_READ_CSPR_PAGE_IDX = 5,
    ZEL_READ_DEVICE_PRESET_START_OFFSET = 6
};

// One label preset: the label shown on the device and the Dante channel and device whose
// audio it stands for, in code page 850. A preset of the label file is trimmed and at most 32
// bytes each; an entry read back from a device holds what its three name fields held.
struct s_label_preset {
    std::string label;
    std::string device_id;
    std::string channel_id;
};
typedef s_label_preset label_preset_t;

// The entries of a label area in order, each as the device holds it.
typedef std::vector<label_preset_t> label_entries_t;

// A text as C code prints it: up to its first zero byte (a name in its field, a text of the
// label file that a message quotes).
inline std::string up_to_zero(const std::string& p_text) {
    return p_text.substr(0, p_text.find('\0'));
}

// ---- Console output -----------------------------------------------------------------

// Markers that color_text puts around a text. They are empty: colour comes only from
// the console attribute that printf_str_color and printf_error_message set.
extern const std::string reset_color;
extern const std::string red_foreground;
extern const std::string green_foreground;
extern const std::string yellow_foreground;
extern const std::string cyan_foreground;
extern const std::string magenta_foreground;

// "\r\n" "Failed, exit now" "\r\n": the ending of fatal messages.
extern const std::string str_exit_failure;

// Console attribute of a colour: RED..MAGENTA give 12, 10, 14, 11, 13; anything else 15.
uint16_t color_attribute(color_code_t p_color);

// Where a text that a message quotes came from: it decides how the stream the message goes
// to shows the text.
enum text_origin_t {
    PROGRAM_TEXT,     // the program's own words
    SERVICE_TEXT,     // from the service, in code page 850: an alias, an identifier, an answer
    LABEL_FILE_TEXT,  // from a label file, in code page 850
    TYPED_TEXT,       // UTF-8: a label file's text as typed, or made from one
    GIVEN_TEXT        // what the operator gave: a path, a word of the command line, a variable
};

// A message for the console, as texts that each keep their origin; the stream it is written
// to shows it (shown_on). The program's words go out as they are. Every other text goes
// through the one terminal rule: on a terminal its control bytes show in caret notation ("^["
// for ESC, a service text keeping its CR LF line ends), and where the console is UTF-8 no
// byte that is not UTF-8 goes out raw (a service text's bytes, code page 850, show as their
// characters; a given text's bytes that are no UTF-8 as the same characters), so that
// neither the service, a label file nor a path can drive or wipe the screen the operator
// confirms on. Redirected output keeps the exact bytes. Label-file text is shown in the
// console's character set: UTF-8 where the console is UTF-8, code page 850 elsewhere, where a
// typed text the code page lacks entirely shows as "?".
class console_message_t {
  public:
    console_message_t() = default;
    console_message_t(text_origin_t p_origin, const std::string& p_text);
    console_message_t& operator+=(const console_message_t& p_more);
    // True when no text of it holds a byte.
    bool empty() const;
    // The message as a stream that is a terminal (p_terminal) or not shows it.
    std::string shown(bool p_terminal) const;
    // The message as p_stream shows it.
    std::string shown_on(platform::console_stream_t p_stream) const;

  private:
    struct part_t {
        text_origin_t m_origin;
        std::string m_text;
    };
    std::vector<part_t> m_parts;
};

// A text of the service, of a label file (code page 850), typed (UTF-8), or given by the
// operator (a path), for a message.
console_message_t service_text(const std::string& p_text);
console_message_t label_file_text(const std::string& p_cp850_text);
console_message_t typed_text(const std::string& p_utf8_text);
console_message_t given_text(const std::string& p_text);

// A message followed or preceded by the program's own words, or two messages in a row.
console_message_t operator+(console_message_t p_message, const std::string& p_words);
console_message_t operator+(const std::string& p_words, const console_message_t& p_message);
console_message_t operator+(console_message_t p_first, const console_message_t& p_second);

// Writes the text to standard output (see messages_to_standard_error) in the colour, then
// sets the attribute back to 15. The message form shows each of its texts as that stream
// needs.
void printf_str_color(std::string p_text, color_code_t p_color);
void printf_str_color(const console_message_t& p_message, color_code_t p_color);

// Writes the text to standard error in bright red, then sets the attribute back to 15.
void printf_error_message(std::string p_text);
void printf_error_message(const console_message_t& p_message);

// Writes the message to standard output in the colour, whatever messages_to_standard_error
// said: a result a program shows among its messages (a verdict, where a file went).
void printf_result_color(const std::string& p_text, color_code_t p_color);
void printf_result_color(const console_message_t& p_message, color_code_t p_color);

// Writes the text to standard output (see messages_to_standard_error) as it is, in the
// console's current attribute.
void printf_str(const std::string& p_text);
void printf_str(const console_message_t& p_message);

// Writes the text to standard error as it is, in the console's current attribute: a note on
// how the program runs, kept out of what standard output carries.
void printf_note(const std::string& p_text);

// From this call on, printf_str, printf_str_color and the live counter write to standard
// error, so that standard output carries only what the program prints as its result (the
// label file, the JSON that read_brimel_label prints). Until then (and always in
// write_brimel_label) they write to standard output.
void messages_to_standard_error();

// "Unable to write to standard output: " p_reason and the line end.
std::string standard_output_failed(const std::string& p_reason);

// The status of a program whose standard output carries its job: p_status, or JOB_FAILED after
// the line of standard_output_failed once a message or result written there did not all get
// there (a full disk, a closed pipe). Output not written is a job not done.
job_status_t checked_output_status(job_status_t p_status);

// The colour's marker, the text, the reset marker: with the empty markers, the text.
std::string color_text(std::string p_text, color_code_t p_color);

// A live count ("  12/192", or a label and "3 of 8", or any text) after a progress line on a
// terminal, overwritten as work goes on and wiped by clear(), or by any message written
// meanwhile, before the outcome completes the line. It is drawn where the messages go when that
// is a terminal; where it is not, it writes nothing, so redirected output stays exactly the
// messages.
class progress_counter {
  public:
    explicit progress_counter(std::size_t p_total);
    // p_live says whether the count is shown, whatever standard output is.
    progress_counter(std::size_t p_total, bool p_live);
    ~progress_counter();
    progress_counter(const progress_counter&) = delete;
    progress_counter& operator=(const progress_counter&) = delete;
    // From now on the count reads p_label, then "n of N", instead of "  n/N".
    void set_label(const std::string& p_label) { m_label = p_label; }
    void show(std::size_t p_done);
    // Shows p_text as the count, and tells p_done as done().
    void show_text(std::size_t p_done, const std::string& p_text);
    void clear();
    // The last count told to show(), shown or not; 0 before the first.
    std::size_t done() const { return m_done; }
    std::size_t total() const { return m_total; }
    // The count is drawn on standard error as its whole line, p_head (as the terminal shows
    // it) then the count, from the line's start: for a line whose head reaches the terminal
    // only through another program (standard output piped to tee) while standard error is a
    // terminal. The line is left showing the head alone.
    void draw_on_standard_error(const std::string& p_head);

  private:
    void overwrite(const std::string& p_text);

    bool m_live;
    std::size_t m_total;
    std::size_t m_done = 0;
    std::string m_shown;  // the count now shown
    std::string m_label;
    bool m_whole_line = false;  // drawn on standard error from the line's start
    std::string m_head;         // the line's head, when drawn whole
    std::size_t m_widest = 0;   // the widest count drawn whole
};

// How a progress line ends: " OK", " FAILED", " STOPPED", or with no word (the writer's
// failed transfer, whose failure line follows on the same line).
enum line_outcome_t { LINE_OK, LINE_FAILED, LINE_STOPPED, LINE_UNFINISHED };

// A line that shows one piece of work while it runs, the one way every program shows one: its
// head in cyan ("Reading KDX-RM6X5's labels..."), then on a terminal a live count of p_total,
// then its outcome, " OK" in green where messages go, " FAILED" or " STOPPED" in red on
// standard error, which ends the line. A failed command's message is never printed inside the
// line: a message written while it is open waits and follows its outcome. Only the writer's
// lines, whose failure messages come inside them as they always have, are opened with
// p_messages_inside. The count shows wherever standard error is a terminal, also when the
// messages go to a pipe (the writer's, where they go, as it always has).
class progress_line {
  public:
    progress_line(const console_message_t& p_head, std::size_t p_total,
                  bool p_messages_inside = false);
    // A line not ended yet is ended with no word.
    ~progress_line();
    progress_line(const progress_line&) = delete;
    progress_line& operator=(const progress_line&) = delete;

    progress_counter& counter() { return m_counter; }
    // A line over several devices (p_total of them): the count reads "device 7 of 20
    // (61/192)", and from the second device on how long is left, estimated from the time
    // taken so far: "device 7 of 20 (61/192), about 40 s left". p_device counts from 1.
    void show_device(std::size_t p_device, std::size_t p_pages, std::size_t p_pages_total);
    // The same for devices worked on side by side on several connections: "12 of 20 devices
    // done, 8 connections, about 3 s left", p_share being the part of the whole work done
    // (0 to 1), from which the time left is estimated once it is more than nothing.
    void show_side_by_side(std::size_t p_done, std::size_t p_links, double p_share);
    // Ends the line (once: later calls do nothing).
    void end(line_outcome_t p_outcome);

  private:
    progress_counter m_counter;
    bool m_open = true;
    bool m_holds = false;      // this line holds the messages back
    int64_t m_started_ms = 0;  // when the line opened
};

// ---- Command words and answers --------------------------------------------------------

class label_loader_conf {
  public:
    static const uint16_t max_preset;
    static const std::vector<std::string> find_all_rm6x_cmd;
    static const std::vector<std::string> help_cmd;
    static const std::vector<std::string> agree_cmd;
    static const std::vector<std::string> disagree_cmd;
};

// Folds the ASCII capitals A-Z to lower case in place; every other byte stays.
void to_small_letter(std::string& p_str);

// True when the folded word equals one of the list's words (whole word, no prefix).
bool is_cmd(std::vector<std::string> p_cmd_formats, std::string p_str);
bool is_help_cmd(std::string p_str);
bool is_find_all_rm6x_cmd(std::string p_str);
bool is_agree_cmd(std::string p_str);
bool is_disagree_cmd(std::string p_str);

// True when the answer accepts or refuses; confirm tells which (false when invalid).
bool valid_user_ans(std::string& p_str, bool& confirm);

// ---- User manual ------------------------------------------------------------------------

// The manual text with p_prog_gname as the command name; CR LF line ends.
console_message_t label_user_manual_text(const std::string& p_prog_gname);

// Prints the manual in cyan.
void write_label_user_manual(std::string p_prog_gname);

// A manual of the other programs, written with "\n" line ends, with CR LF instead.
std::string with_crlf_line_ends(const std::string& p_text);

// ---- Code page conversion ---------------------------------------------------------------

// One character of a UTF-8 text that code page 850 cannot hold: where it starts and how
// many bytes of the text it takes.
struct unsupported_char_t {
    std::size_t m_position;
    std::size_t m_length;
};

// Converts UTF-8 to code page 850. A character without a code page form is left out and
// listed in p_dropped (appended to); the result is never longer than the input.
std::string utf8_to_cp850(const std::string& p_text, std::vector<unsupported_char_t>& p_dropped);

// Converts line p_line of the label file p_file to code page 850; every character left out
// is reported with the file name, line number and position, and listed in p_dropped
// (appended to).
std::string UTF8ToANSI(const std::string& s, const std::string& p_file, uint32_t p_line,
                       std::vector<unsupported_char_t>& p_dropped);

// Converts code page 850 text back to UTF-8.
std::string cp850_to_utf8(const std::string& p_text);

// The length of the well-formed UTF-8 sequence that starts at p_at (1 for ASCII), or 0 when
// its first byte starts none (no overlong form, no surrogate, nothing past U+10FFFF).
std::size_t utf8_sequence_length(const std::string& p_text, std::size_t p_at);

// Any bytes as UTF-8 text: each well-formed UTF-8 character as it is, every other byte as its
// code page 850 character. A C1 control character (U+0080 to U+009F) counts as such bytes: a
// terminal may take it for the start of a control sequence.
std::string utf8_or_cp850(const std::string& p_bytes);

// Code page 850 text as UTF-8 text for a file a person reads: every byte p_as_code picks
// written \xHH (two capital hex digits), every other byte as its UTF-8 form. The one rule by
// which a file (a backup's comments, a capture) shows any byte.
std::string file_text(const std::string& p_cp850_text, bool (*p_as_code)(char));

// Any bytes, read as code page 850, as one quoted UTF-8 text for a file a person reads:
// "..." with \" and \\ escaped and every control byte written \xHH. unquote_cp850 gives
// the same bytes back; false, with p_bytes unchanged, for a text that is no such quote.
std::string quoted_cp850(const std::string& p_bytes);
bool unquote_cp850(const std::string& p_text, std::string& p_bytes);

#endif  // SRC_BASIC_TYPE_BASIC_TYPE_H_
