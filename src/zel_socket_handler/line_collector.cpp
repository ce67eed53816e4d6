#include "zel_socket_handler/zel_socket_handler.h"

void line_collector::append(const char* p_data, std::size_t p_len) {
    if (m_overflowed) {
        return;
    }
    if (m_begin > compact_after && m_begin > m_data.size() / 2) {
        m_data.erase(0, m_begin);
        m_searched_to -= m_begin;
        m_begin = 0;
    }
    m_data.append(p_data, p_len);
}

bool line_collector::take_line(std::string& p_line) {
    if (m_overflowed) {
        return false;
    }
    // A "\r" at the end of the searched part may be followed by its "\n" now.
    const std::size_t from = m_searched_to > m_begin ? m_searched_to - 1 : m_begin;
    const std::size_t end = m_data.find("\r\n", from);
    if (end == std::string::npos) {
        m_searched_to = m_data.size();
        // Past the limit and a "\r" waiting for its "\n": no line end can save it now.
        m_overflowed = m_data.size() - m_begin > max_line_length + 1;
        return false;
    }
    if (end - m_begin > max_line_length) {
        m_overflowed = true;
        return false;
    }
    p_line.assign(m_data, m_begin, end + 2 - m_begin);
    m_begin = end + 2;
    m_searched_to = m_begin;
    return true;
}

void line_collector::clear() {
    m_data.clear();
    m_begin = 0;
    m_searched_to = 0;
    m_overflowed = false;
}
