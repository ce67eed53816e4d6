#include "platform/process.h"

#include <windows.h>

#include <thread>

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

void drain(HANDLE p_handle, std::string& p_sink) {
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(p_handle, buf, sizeof(buf), &got, nullptr) && got > 0) {
        p_sink.append(buf, got);
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
    process_result_t res;
    child_pipe_t in, out, err;
    if (p_argv.empty() || !make_pipe(in, true) || !make_pipe(out, false) ||
        !make_pipe(err, false)) {
        return res;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.m_child;
    startup.hStdOutput = out.m_child;
    startup.hStdError = err.m_child;
    PROCESS_INFORMATION info = {};
    std::string line = command_line(p_argv);
    const BOOL created = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
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
    std::thread out_reader([&] { drain(out.m_parent, res.m_stdout); });
    std::thread err_reader([&] { drain(err.m_parent, res.m_stderr); });
    if (WaitForSingleObject(info.hProcess, wait_limit(p_timeout_ms)) != WAIT_OBJECT_0) {
        res.m_timed_out = true;
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, INFINITE);
    }
    writer.join();
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
