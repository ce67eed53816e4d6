#include "platform/wide_text_win32.h"

#include <windows.h>

namespace platform {

std::wstring wide_of(const std::string& p_utf8) {
    if (p_utf8.empty()) {
        return std::wstring();
    }
    const int size = static_cast<int>(p_utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, p_utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, p_utf8.data(), size, &wide[0], length);
    return wide;
}

std::string system_error_text(unsigned long p_error) {
    char buffer[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, p_error, 0, buffer, sizeof(buffer), nullptr);
    while (length > 0 && (buffer[length - 1] == '\r' || buffer[length - 1] == '\n' ||
                          buffer[length - 1] == ' ' || buffer[length - 1] == '.')) {
        --length;
    }
    return length == 0 ? "error " + std::to_string(p_error) : std::string(buffer, length);
}

}  // namespace platform
