// What starting a program, waiting for it and collecting its output share on every
// platform: its standard streams are files, its input written before it starts, its outputs
// read once it has ended (and its output while it runs, for an interrupt's trigger).
#include "process/process.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/clock.h"
#include "process/process_os.h"

namespace platform {
namespace {

std::string text_of(const std::string& p_path) {
    std::ifstream file(std::filesystem::u8path(p_path), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Sends the interrupt that is due: after each delay from when the child's output (or error)
// first held the trigger text.
void interrupt_when_due(child_t& p_child, const process_options_t& p_options,
                        const std::string& p_output_file, int64_t& p_triggered_at,
                        process_result_t& p_res) {
    const std::vector<int64_t>& delays = p_options.m_interrupt_delays_ms;
    const std::size_t sent = static_cast<std::size_t>(p_res.m_interrupts_sent);
    if (sent == delays.size()) {
        return;
    }
    if (p_triggered_at < 0 &&
        text_of(p_output_file).find(p_options.m_interrupt_after) != std::string::npos) {
        p_triggered_at = monotonic_ms();
    }
    if (p_triggered_at >= 0 && p_triggered_at + delays[sent] <= monotonic_ms() &&
        interrupt_child(p_child)) {
        ++p_res.m_interrupts_sent;
    }
}

}  // namespace

process_result_t run_process(const std::vector<std::string>& p_argv,
                             const std::string& p_stdin_text, int64_t p_timeout_ms) {
    return run_process(p_argv, p_stdin_text, p_timeout_ms, process_options_t());
}

process_result_t run_process(const std::vector<std::string>& p_argv,
                             const std::string& p_stdin_text, int64_t p_timeout_ms,
                             const process_options_t& p_options) {
    process_result_t res;
    if (p_argv.empty()) {
        return res;
    }
    const child_files_t files{temporary_file("in"), temporary_file("out"), temporary_file("err")};
    std::ofstream(std::filesystem::u8path(files.m_in), std::ios::binary) << p_stdin_text;
    child_t child;
    res.m_started = start_child(p_argv, files, p_options, child);
    const int64_t deadline = monotonic_ms() + p_timeout_ms;
    int64_t triggered_at = -1;
    while (res.m_started && !child_ended(child, res)) {
        if (monotonic_ms() >= deadline && !res.m_timed_out) {
            res.m_timed_out = true;
            kill_child(child);
        }
        interrupt_when_due(child, p_options,
                           p_options.m_interrupt_after_error ? files.m_err : files.m_out,
                           triggered_at, res);
    }
    if (res.m_timed_out) {
        res.m_exit_status = -1;
    }
    res.m_stdout = text_of(files.m_out);
    res.m_stderr = text_of(files.m_err);
    std::error_code ignored;
    for (const std::string* path : {&files.m_in, &files.m_out, &files.m_err}) {
        std::filesystem::remove(std::filesystem::u8path(*path), ignored);
    }
    return res;
}

}  // namespace platform
