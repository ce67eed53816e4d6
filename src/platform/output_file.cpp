#include "platform/output_file.h"

#include <atomic>
#include <cstdio>

#include "platform/output_file_os.h"

namespace platform {
namespace {

// Each temporary name is this process's own (its number and a count): only a file left by an
// earlier process of the same number can take one, and the next name is tried. It is short, so
// that it fits beside a target whose name is as long as the file system takes.
const int G_name_tries = 100;
const char G_temporary_head[] = ".wbl-";
const char G_temporary_tail[] = ".part";
std::atomic<unsigned> G_temporary_count(0);

// What is at the target now: OUTPUT_OK for nothing or a regular file that may be replaced.
output_result_t target_state(const std::string& p_path, bool p_replace, std::string& p_reason) {
    switch (output_os::found_at(p_path, p_reason)) {
        case output_os::FOUND_NOTHING:
            return OUTPUT_OK;
        case output_os::FOUND_REGULAR_FILE:
            return p_replace ? OUTPUT_OK : OUTPUT_EXISTS;
        case output_os::FOUND_OTHER:
            return OUTPUT_NOT_REGULAR;
        default:
            return OUTPUT_SYSTEM_ERROR;
    }
}

// Writes p_text into p_file, makes it reach the disk and closes it, keeping the file only
// when all of that worked.
bool write_out(open_file_t*& p_file, const std::string& p_text, std::string& p_reason) {
    const bool written = output_os::write_whole(*p_file, p_text, p_reason) &&
                         output_os::sync_to_disk(*p_file, p_reason);
    std::string close_reason;
    const bool closed = output_os::close_file(p_file, written, close_reason);
    if (written && !closed) {
        p_reason = close_reason;
    }
    return written && closed;
}

}  // namespace

output_file_t::~output_file_t() {
    discard();
}

output_result_t output_file_t::open(const std::string& p_path, bool p_replace,
                                    std::string& p_reason) {
    m_path = p_path;
    m_replace = p_replace;
    const output_result_t state = target_state(p_path, p_replace, p_reason);
    if (state != OUTPUT_OK) {
        return state;
    }
    for (int attempt = 0; attempt < G_name_tries; ++attempt) {
        const std::string temporary = output_os::folder_of(p_path) + G_temporary_head +
                                      output_os::process_number() + "-" +
                                      std::to_string(++G_temporary_count) + G_temporary_tail;
        const output_os::outcome_t made = output_os::create_new(temporary, m_file, p_reason);
        if (made == output_os::DONE) {
            m_temporary = temporary;
            return OUTPUT_OK;
        }
        if (made != output_os::NAME_TAKEN) {
            break;
        }
    }
    return OUTPUT_SYSTEM_ERROR;
}

output_result_t output_file_t::commit(const std::string& p_text, std::string& p_reason) {
    // A file replaced keeps who may read it: a private backup stays private. Set before the
    // text goes in.
    if (m_replace && m_file != nullptr) {
        output_os::keep_permissions_of(*m_file, m_path);
    }
    const output_result_t result =
        write_out(m_file, p_text, p_reason) ? put_in_place(p_text, p_reason) : OUTPUT_SYSTEM_ERROR;
    discard();
    return result;
}

void output_file_t::discard() {
    if (m_file != nullptr) {
        std::string ignored;
        output_os::close_file(m_file, false, ignored);
    }
    drop_temporary();
}

void output_file_t::drop_temporary() {
    if (!m_temporary.empty()) {
        output_os::remove_file(m_temporary);
        output_os::release(m_temporary);
        m_temporary.clear();
    }
}

output_result_t output_file_t::put_in_place(const std::string& p_text, std::string& p_reason) {
    const output_result_t state = target_state(m_path, m_replace, p_reason);
    if (state != OUTPUT_OK) {
        return state;
    }
    switch (output_os::move_file(m_temporary, m_path, m_replace, p_reason)) {
        case output_os::DONE:
            output_os::release(m_temporary);
            m_temporary.clear();  // it is the target now
            return OUTPUT_OK;
        case output_os::NAME_TAKEN:
            return OUTPUT_EXISTS;
        case output_os::UNSUPPORTED:
            return write_in_place(p_text, p_reason);
        default:
            return OUTPUT_SYSTEM_ERROR;
    }
}

// Where the file system can neither rename nor link without replacing (some FUSE file
// systems), the text goes straight into the target, made only where nothing is: a file that
// appeared meanwhile stays, and a target left half written goes as the temporary file does.
output_result_t output_file_t::write_in_place(const std::string& p_text, std::string& p_reason) {
    drop_temporary();
    open_file_t* target = nullptr;
    const output_os::outcome_t made = output_os::create_new(m_path, target, p_reason);
    if (made != output_os::DONE) {
        return made == output_os::NAME_TAKEN ? OUTPUT_EXISTS : OUTPUT_SYSTEM_ERROR;
    }
    const bool written = write_out(target, p_text, p_reason);
    if (!written) {
        output_os::remove_file(m_path);
    }
    output_os::release(m_path);
    return written ? OUTPUT_OK : OUTPUT_SYSTEM_ERROR;
}

bool write_standard_output(const std::string& p_text, std::string& p_reason) {
    output_os::clear_last_error();
    if (std::fwrite(p_text.data(), 1, p_text.size(), stdout) == p_text.size() &&
        std::fflush(stdout) == 0) {
        return true;
    }
    p_reason = output_os::last_error();
    return false;
}

}  // namespace platform
