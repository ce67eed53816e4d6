// UTF-8 to the wide text of the Windows API, and the system's words for an error code, for
// the Windows files of the platform only.
#ifndef SRC_PLATFORM_WIDE_TEXT_WIN32_H_
#define SRC_PLATFORM_WIDE_TEXT_WIN32_H_

#include <string>

namespace platform {

std::wstring wide_of(const std::string& p_utf8);

// The system's words for an error code (GetLastError, WSAGetLastError), without the line
// end and the full stop that FormatMessage puts after them.
std::string system_error_text(unsigned long p_error);

}  // namespace platform

#endif  // SRC_PLATFORM_WIDE_TEXT_WIN32_H_
