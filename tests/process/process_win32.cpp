#include "process/process.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/wide_text_win32.h"

namespace platform {
namespace {

// One argument quoted the way the C runtime splits a command line back into words.
std::string quote_argument(const std::string& p_arg) {
    if (!p_arg.empty() && p_arg.find_first_of(" \t\n\v\"") == std::string::npos) {
        return p_arg;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : p_arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, '\\');
    quoted.push_back('"');
    return quoted;
}

std::string command_line(const std::vector<std::string>& p_argv) {
    std::string line;
    for (const std::string& arg : p_argv) {
        if (!line.empty()) {
            line.push_back(' ');
        }
        line += quote_argument(arg);
    }
    return line;
}

struct child_pipe_t {
    HANDLE m_parent = nullptr;  // our end
    HANDLE m_child = nullptr;   // the child's end, inheritable
};

bool make_pipe(child_pipe_t& p_pipe, bool p_child_reads) {
    SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherit, 0)) {
        return false;
    }
    p_pipe.m_child = p_child_reads ? read_end : write_end;
    p_pipe.m_parent = p_child_reads ? write_end : read_end;
    SetHandleInformation(p_pipe.m_parent, HANDLE_FLAG_INHERIT, 0);
    return true;
}

void close_handle(HANDLE& p_handle) {
    if (p_handle != nullptr) {
        CloseHandle(p_handle);
        p_handle = nullptr;
    }
}

// The child's standard output as it arrives, shared by its reader and the interrupter.
struct shared_output_t {
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string* m_text = nullptr;
    bool m_closed = false;
};

void drain(HANDLE p_handle, std::string& p_sink, shared_output_t* p_shared) {
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(p_handle, buf, sizeof(buf), &got, nullptr) && got > 0) {
        if (p_shared == nullptr) {
            p_sink.append(buf, got);
            continue;
        }
        std::lock_guard<std::mutex> lock(p_shared->m_mutex);
        p_sink.append(buf, got);
        p_shared->m_changed.notify_all();
    }
    if (p_shared != nullptr) {
        std::lock_guard<std::mutex> lock(p_shared->m_mutex);
        p_shared->m_closed = true;
        p_shared->m_changed.notify_all();
    }
}

// Waits for the trigger text, then sends CTRL_BREAK to the child's process group after
// each delay; gives up once the child's output closes.
void interrupt(const process_options_t& p_options, DWORD p_group, shared_output_t& p_output,
               process_result_t& p_res) {
    std::unique_lock<std::mutex> lock(p_output.m_mutex);
    p_output.m_changed.wait(lock, [&] {
        return p_output.m_closed ||
               p_output.m_text->find(p_options.m_interrupt_after) != std::string::npos;
    });
    const auto triggered = std::chrono::steady_clock::now();
    for (const int64_t delay : p_options.m_interrupt_delays_ms) {
        const auto due = triggered + std::chrono::milliseconds(delay);
        if (p_output.m_changed.wait_until(lock, due, [&] { return p_output.m_closed; })) {
            return;
        }
        if (GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, p_group)) {
            ++p_res.m_interrupts_sent;
        }
    }
}

void feed(HANDLE p_handle, const std::string& p_text) {
    std::size_t written = 0;
    while (written < p_text.size()) {
        DWORD put = 0;
        const DWORD len = static_cast<DWORD>(p_text.size() - written);
        if (!WriteFile(p_handle, p_text.data() + written, len, &put, nullptr) || put == 0) {
            break;
        }
        written += put;
    }
}

// WaitForSingleObject takes a DWORD, and INFINITE (all bits set) means no limit at all.
DWORD wait_limit(int64_t p_timeout_ms) {
    if (p_timeout_ms <= 0) {
        return 0;
    }
    return p_timeout_ms >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(p_timeout_ms);
}

// From 0xC0000000 up, an exit code is the status of an exception that ended the process (an
// access violation, a stack overflow): no exit status, as a signal is none on POSIX.
int exit_status_of(DWORD p_code) {
    return p_code >= 0xC0000000u ? -1 : static_cast<int>(p_code);
}

}  // namespace

process_result_t run_process(const std::vector<std::string>& p_argv,
                             const std::string& p_stdin_text, int64_t p_timeout_ms) {
    return run_process(p_argv, p_stdin_text, p_timeout_ms, process_options_t());
}

bool can_close_standard_streams() {
    return false;
}

process_result_t run_process(const std::vector<std::string>& p_argv,
                             const std::string& p_stdin_text, int64_t p_timeout_ms,
                             const process_options_t& p_options) {
    process_result_t res;
    child_pipe_t in, out, err;
    if (p_argv.empty() || !make_pipe(in, true) || !make_pipe(out, false) ||
        !make_pipe(err, false)) {
        return res;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.m_child;
    startup.hStdOutput = out.m_child;
    startup.hStdError = err.m_child;
    PROCESS_INFORMATION info = {};
    // The arguments are UTF-8: the wide API passes any name on (the narrow one would take
    // the ANSI code page).
    std::wstring line = wide_of(command_line(p_argv));
    // A console control event can be sent to a process group alone: the child gets its own.
    const bool interrupts = !p_options.m_interrupt_delays_ms.empty();
    const DWORD flags = interrupts ? CREATE_NEW_PROCESS_GROUP : 0;
    const BOOL created = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, flags, nullptr,
                                        nullptr, &startup, &info);
    close_handle(in.m_child);
    close_handle(out.m_child);
    close_handle(err.m_child);
    if (!created) {
        close_handle(in.m_parent);
        close_handle(out.m_parent);
        close_handle(err.m_parent);
        return res;
    }
    res.m_started = true;
    std::thread writer([&] {
        feed(in.m_parent, p_stdin_text);
        close_handle(in.m_parent);
    });
    shared_output_t shared;
    shared.m_text = &res.m_stdout;
    std::thread out_reader([&] { drain(out.m_parent, res.m_stdout, &shared); });
    std::thread err_reader([&] { drain(err.m_parent, res.m_stderr, nullptr); });
    std::thread interrupter([&] {
        if (interrupts) {
            interrupt(p_options, info.dwProcessId, shared, res);
        }
    });
    if (WaitForSingleObject(info.hProcess, wait_limit(p_timeout_ms)) != WAIT_OBJECT_0) {
        res.m_timed_out = true;
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, INFINITE);
    }
    writer.join();
    interrupter.join();
    out_reader.join();
    err_reader.join();
    DWORD code = 0;
    if (!res.m_timed_out && GetExitCodeProcess(info.hProcess, &code)) {
        res.m_exit_status = exit_status_of(code);
    }
    close_handle(out.m_parent);
    close_handle(err.m_parent);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return res;
}

}  // namespace platform
