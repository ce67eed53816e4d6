#include "platform/output_file.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "platform/wide_text_win32.h"

namespace platform {
namespace {

std::atomic<unsigned> G_temporary_count(0);

output_result_t system_error(std::string& p_reason) {
    p_reason = system_error_text(GetLastError());
    return OUTPUT_SYSTEM_ERROR;
}

// The folder of a path: what comes before its last "/" or "\", "." without one.
std::string folder_of(const std::string& p_path) {
    const std::size_t slash = p_path.find_last_of("/\\");
    if (slash == std::string::npos) {
        return ".";
    }
    return p_path.substr(0, slash == 0 || p_path[slash - 1] == ':' ? slash + 1 : slash);
}

// What is at the target now: OUTPUT_OK for nothing or a regular file that may be replaced.
output_result_t target_state(const std::string& p_path, bool p_replace, std::string& p_reason) {
    const DWORD attributes = GetFileAttributesW(wide_of(p_path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            return OUTPUT_OK;
        }
        SetLastError(error);
        return system_error(p_reason);
    }
    const DWORD not_regular =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    if ((attributes & not_regular) != 0) {
        return OUTPUT_NOT_REGULAR;
    }
    return p_replace ? OUTPUT_OK : OUTPUT_EXISTS;
}

HANDLE handle_of(const output_file_t& p_file) {
    return reinterpret_cast<HANDLE>(p_file.m_handle);
}

bool write_all(HANDLE p_handle, const std::string& p_text) {
    std::size_t done = 0;
    while (done < p_text.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(p_text.size() - done, 1 << 20));
        DWORD wrote = 0;
        if (!WriteFile(p_handle, p_text.data() + done, chunk, &wrote, nullptr) || wrote == 0) {
            return false;
        }
        done += wrote;
    }
    return true;
}

}  // namespace

output_result_t output_file_open(const std::string& p_path, bool p_replace, output_file_t& p_file,
                                 std::string& p_reason) {
    p_file = output_file_t();
    p_file.m_path = p_path;
    p_file.m_replace = p_replace;
    const DWORD folder = GetFileAttributesW(wide_of(folder_of(p_path)).c_str());
    if (folder == INVALID_FILE_ATTRIBUTES) {
        return system_error(p_reason);
    }
    if ((folder & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        SetLastError(ERROR_DIRECTORY);
        return system_error(p_reason);
    }
    const output_result_t state = target_state(p_path, p_replace, p_reason);
    if (state != OUTPUT_OK) {
        return state;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = p_path + "." + std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(++G_temporary_count) + ".part";
        // CREATE_NEW makes the file only where nothing is, a link included.
        const HANDLE handle = CreateFileW(wide_of(temporary).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            p_file.m_temporary = temporary;
            p_file.m_handle = reinterpret_cast<std::intptr_t>(handle);
            return OUTPUT_OK;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            return system_error(p_reason);
        }
    }
    return system_error(p_reason);
}

output_result_t output_file_commit(output_file_t& p_file, const std::string& p_text,
                                   std::string& p_reason) {
    const HANDLE handle = handle_of(p_file);
    p_file.m_handle = -1;
    output_result_t result = OUTPUT_OK;
    if (!write_all(handle, p_text) || !FlushFileBuffers(handle)) {
        result = system_error(p_reason);
    }
    if (!CloseHandle(handle) && result == OUTPUT_OK) {
        result = system_error(p_reason);
    }
    if (result == OUTPUT_OK) {
        result = target_state(p_file.m_path, p_file.m_replace, p_reason);
    }
    if (result == OUTPUT_OK) {
        // Without MOVEFILE_REPLACE_EXISTING the move never replaces a file.
        const DWORD flags = p_file.m_replace ? MOVEFILE_REPLACE_EXISTING : 0;
        if (MoveFileExW(wide_of(p_file.m_temporary).c_str(), wide_of(p_file.m_path).c_str(),
                        flags | MOVEFILE_WRITE_THROUGH)) {
            p_file.m_temporary.clear();  // it is the target now
        } else {
            result = GetLastError() == ERROR_ALREADY_EXISTS || GetLastError() == ERROR_FILE_EXISTS
                         ? OUTPUT_EXISTS
                         : system_error(p_reason);
        }
    }
    output_file_discard(p_file);
    return result;
}

void output_file_discard(output_file_t& p_file) {
    if (p_file.m_handle != -1) {
        CloseHandle(handle_of(p_file));
        p_file.m_handle = -1;
    }
    if (!p_file.m_temporary.empty()) {
        DeleteFileW(wide_of(p_file.m_temporary).c_str());
        p_file.m_temporary.clear();
    }
}

bool write_standard_output(const std::string& p_text, std::string& p_reason) {
    const bool ok = std::fwrite(p_text.data(), 1, p_text.size(), stdout) == p_text.size() &&
                    std::fflush(stdout) == 0;
    if (!ok) {
        p_reason = system_error_text(GetLastError());
    }
    return ok;
}

}  // namespace platform
