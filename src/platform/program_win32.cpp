#include "platform/program.h"

#include <sys/stat.h>
#include <windows.h>

#include <cstdlib>

#include "platform/wide_text_win32.h"

namespace platform {

namespace {

std::string utf8_of(const wchar_t* p_wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, p_wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) {
        return std::string();
    }
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, p_wide, -1, &utf8[0], length, nullptr, nullptr);
    utf8.pop_back();  // the ending zero the conversion wrote
    return utf8;
}

std::vector<std::string> program_arguments(int p_argc, char** p_argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return std::vector<std::string>(p_argv, p_argv + (p_argc > 0 ? p_argc : 0));
    }
    std::vector<std::string> args;
    for (int k = 0; k < count; ++k) {
        args.push_back(utf8_of(wide[k]));
    }
    LocalFree(wide);
    return args;
}

}  // namespace

// Sockets are handles of their own on Windows, never the C runtime's standard descriptors,
// and a missing standard stream reads as end of input and swallows writes; there is no
// SIGPIPE. Only the arguments need taking.
int run_program(int p_argc, char** p_argv, int (*p_body)(const std::vector<std::string>&)) {
    return p_body(program_arguments(p_argc, p_argv));
}

std::FILE* open_file_for_reading(const std::string& p_path) {
    const std::wstring wide = wide_of(p_path);
    std::FILE* file = wide.empty() ? nullptr : _wfopen(wide.c_str(), L"rb");
    struct _stat64 info = {};
    if (file != nullptr &&
        (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFDIR) != 0)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

bool names_a_file(const std::string& p_path) {
    const std::wstring wide = wide_of(p_path);
    const DWORD attributes =
        wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool environment_value(const char* p_name, std::string& p_value) {
    const wchar_t* value = _wgetenv(wide_of(p_name).c_str());
    if (value == nullptr) {
        return false;
    }
    p_value = utf8_of(value);
    return true;
}

}  // namespace platform
