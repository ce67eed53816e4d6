#include <windows.h>

#include "platform/wide_text_win32.h"
#include "process/process_os.h"

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
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

HANDLE inheritable(const std::string& p_path, DWORD p_access, DWORD p_creation) {
    SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(wide_of(p_path).c_str(), p_access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, p_creation, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE process_of(const child_t& p_child) {
    return reinterpret_cast<HANDLE>(p_child.m_handle);
}

// The environment block of this process with p_set over it ("NAME=VALUE" each): the
// variables, each ended by a zero, then one more zero. Names are compared in any letter
// case, as Windows does.
std::wstring child_environment(const std::vector<std::string>& p_set) {
    std::vector<std::wstring> set;
    for (const std::string& entry : p_set) {
        set.push_back(wide_of(entry));
    }
    const auto name_of = [](const std::wstring& p_entry) {
        // A name may start with "=" ("=C:=C:\\" keeps a drive's folder).
        std::wstring name = p_entry.substr(0, p_entry.find(L'=', 1) + 1);
        CharUpperW(&name[0]);
        return name;
    };
    std::wstring block;
    wchar_t* inherited = GetEnvironmentStringsW();
    for (const wchar_t* entry = inherited; *entry != L'\0'; entry += wcslen(entry) + 1) {
        bool replaced = false;
        for (const std::wstring& one : set) {
            replaced = replaced || name_of(one) == name_of(entry);
        }
        if (!replaced) {
            block += std::wstring(entry) + L'\0';
        }
    }
    FreeEnvironmentStringsW(inherited);
    for (const std::wstring& one : set) {
        block += one + L'\0';
    }
    return block + L'\0';
}

}  // namespace

bool can_use_terminal() {
    return false;
}

bool can_close_standard_streams() {
    return false;
}

std::string temporary_file(const char* p_what) {
    char folder[MAX_PATH];
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, p_what, 0, path);
    return path;
}

bool start_child(const std::vector<std::string>& p_argv, const child_files_t& p_files,
                 const process_options_t& p_options, child_t& p_child) {
    std::string line;
    for (const std::string& arg : p_argv) {
        line += (line.empty() ? "" : " ") + quote_argument(arg);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inheritable(p_files.m_in, GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = inheritable(p_files.m_out, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = inheritable(p_files.m_err, GENERIC_WRITE, CREATE_ALWAYS);
    // The arguments are UTF-8: the wide API passes any name on (the narrow one would take
    // the ANSI code page). A console control event can be sent to a process group alone:
    // a child to interrupt gets its own.
    std::wstring wide_line = wide_of(line);
    std::wstring environment = child_environment(p_options.m_environment);
    const DWORD flags = (p_options.m_interrupt_delays_ms.empty() ? 0 : CREATE_NEW_PROCESS_GROUP) |
                        CREATE_UNICODE_ENVIRONMENT;
    PROCESS_INFORMATION info = {};
    const bool started = CreateProcessW(nullptr, &wide_line[0], nullptr, nullptr, TRUE, flags,
                                        &environment[0], nullptr, &startup, &info);
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        CloseHandle(handle);
    }
    if (started) {
        CloseHandle(info.hThread);
        p_child.m_id = info.dwProcessId;
        p_child.m_handle = reinterpret_cast<std::intptr_t>(info.hProcess);
    }
    return started;
}

bool child_ended(child_t& p_child, process_result_t& p_res) {
    if (WaitForSingleObject(process_of(p_child), 2) == WAIT_TIMEOUT) {
        return false;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_of(p_child), &code);
    // From 0xC0000000 up, an exit code is the status of an exception that ended the process
    // (an access violation, a stack overflow): no exit status, as a signal is none on POSIX.
    p_res.m_exit_status = code >= 0xC0000000u ? -1 : static_cast<int>(code);
    CloseHandle(process_of(p_child));
    return true;
}

void kill_child(child_t& p_child) {
    TerminateProcess(process_of(p_child), 1);
}

bool interrupt_child(child_t& p_child) {
    return GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(p_child.m_id));
}

}  // namespace platform
