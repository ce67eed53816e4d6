#include "platform/output_file_os.h"

#include <windows.h>

#include <algorithm>

#include "platform/wide_text_win32.h"

namespace platform {

struct open_file_t {
    HANDLE m_handle;
    bool m_marked;  // to be deleted when its handle closes
};

namespace output_os {
namespace {

bool refused(std::string& p_reason) {
    p_reason = system_error_text(GetLastError());
    return false;
}

outcome_t outcome_of_error(std::string& p_reason) {
    const DWORD error = GetLastError();
    p_reason = system_error_text(error);
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? NAME_TAKEN : REFUSED;
}

// Marks the file to be deleted when its handle closes, or takes the mark back.
bool delete_on_close(HANDLE p_handle, bool p_delete) {
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = p_delete ? TRUE : FALSE;
    return SetFileInformationByHandle(p_handle, FileDispositionInfo, &disposition,
                                      sizeof(disposition)) != 0;
}

}  // namespace

found_t found_at(const std::string& p_path, std::string& p_reason) {
    const DWORD attributes = GetFileAttributesW(wide_of(p_path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) {
            return FOUND_NOTHING;
        }
        refused(p_reason);
        return FOUND_UNKNOWN;
    }
    const DWORD not_regular =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    return (attributes & not_regular) != 0 ? FOUND_OTHER : FOUND_REGULAR_FILE;
}

outcome_t create_new(const std::string& p_path, open_file_t*& p_file, std::string& p_reason) {
    // CREATE_NEW makes the file only where nothing is, a link included.
    const HANDLE handle = CreateFileW(wide_of(p_path).c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return outcome_of_error(p_reason);
    }
    // The system deletes a file so marked when its handle closes, and the end of the process
    // closes it, whatever ends it: Ctrl-C, the console closed, a kill. Where a file system
    // cannot mark it, the file is written all the same and removed by its path on failure.
    p_file = new open_file_t{handle, delete_on_close(handle, true)};
    return DONE;
}

bool write_whole(open_file_t& p_file, const std::string& p_text, std::string& p_reason) {
    std::size_t done = 0;
    while (done < p_text.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(p_text.size() - done, 1 << 20));
        DWORD wrote = 0;
        if (!WriteFile(p_file.m_handle, p_text.data() + done, chunk, &wrote, nullptr) ||
            wrote == 0) {
            return refused(p_reason);
        }
        done += wrote;
    }
    return true;
}

bool sync_to_disk(open_file_t& p_file, std::string& p_reason) {
    return FlushFileBuffers(p_file.m_handle) || refused(p_reason);
}

bool close_file(open_file_t*& p_file, bool p_keep, std::string& p_reason) {
    const HANDLE handle = p_file->m_handle;
    const bool marked = p_file->m_marked;
    delete p_file;
    p_file = nullptr;
    const bool kept = !p_keep || !marked || delete_on_close(handle, false) || refused(p_reason);
    return (CloseHandle(handle) || refused(p_reason)) && kept;
}

outcome_t move_file(const std::string& p_from, const std::string& p_to, bool p_replace,
                    std::string& p_reason) {
    // Without MOVEFILE_REPLACE_EXISTING the move never replaces a file, on every file system.
    const DWORD flags = (p_replace ? MOVEFILE_REPLACE_EXISTING : 0) | MOVEFILE_WRITE_THROUGH;
    return MoveFileExW(wide_of(p_from).c_str(), wide_of(p_to).c_str(), flags)
               ? DONE
               : outcome_of_error(p_reason);
}

void keep_permissions_of(open_file_t&, const std::string&) {
    // Nothing: a file's access comes from its folder here, and the new file has the folder's.
}

std::string folder_of(const std::string& p_path) {
    // "C:name" is a name in the current folder of drive C.
    const std::size_t separator = p_path.find_last_of("/\\:");
    return separator == std::string::npos ? std::string() : p_path.substr(0, separator + 1);
}

void remove_file(const std::string& p_path) {
    DeleteFileW(wide_of(p_path).c_str());
}

void release(const std::string&) {
    // Nothing: close_file kept the file.
}

std::string process_number() {
    return std::to_string(GetCurrentProcessId());
}

void clear_last_error() {
    SetLastError(0);
}

std::string last_error() {
    const DWORD error = GetLastError();
    return system_error_text(error != 0 ? error : ERROR_WRITE_FAULT);
}

}  // namespace output_os
}  // namespace platform
