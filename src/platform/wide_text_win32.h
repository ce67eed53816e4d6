// UTF-8 to the wide text of the Windows API, for the Windows files of the platform only.
#ifndef SRC_PLATFORM_WIDE_TEXT_WIN32_H_
#define SRC_PLATFORM_WIDE_TEXT_WIN32_H_

#include <string>

namespace platform {

std::wstring wide_of(const std::string& p_utf8);

}  // namespace platform

#endif  // SRC_PLATFORM_WIDE_TEXT_WIN32_H_
