#include "unit_support.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "device_registry/device_registry.h"
#include "file_parser/file_parser.h"

captured_t capture_output(const std::function<void()>& p_action) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    p_action();
    captured_t result;
    result.m_out = testing::internal::GetCapturedStdout();
    result.m_err = testing::internal::GetCapturedStderr();
    return result;
}

namespace {

// One folder per test process, removed when the process ends: a run leaves nothing behind.
struct temp_folder_t {
    std::filesystem::path m_path = std::filesystem::temp_directory_path() /
                                   ("wbl_test_" + std::to_string(std::random_device{}()));
    temp_folder_t() { std::filesystem::create_directories(m_path); }
    ~temp_folder_t() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
};

}  // namespace

std::string temp_path(const std::string& p_name) {
    static const temp_folder_t folder;
    // Names and paths are UTF-8, also on Windows, where a narrow path is in the ANSI code page.
    return (folder.m_path / std::filesystem::u8path(p_name)).u8string();
}

std::string write_temp_file(const std::string& p_name, const std::string& p_content) {
    const std::string path = temp_path(p_name);
    std::ofstream(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc) << p_content;
    return path;
}

std::string file_text(const std::string& p_path) {
    std::ifstream file(std::filesystem::u8path(p_path), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void reset_registry(const std::string& p_file, uint32_t p_line) {
    zel_config_env& env = zel_config_env::instance();
    env.start_run(p_file);
    env.current_line_number = p_line;
    current_section_devices().clear();
    forget_refused_lines();
}

parse_run_t parse_lines(const texts_t& p_lines) {
    reset_registry("t.ini", 0);
    parse_run_t run;
    run.m_output = capture_output([&] {
        for (const std::string& line : p_lines) {
            ++zel_config_env::instance().current_line_number;
            std::string copy = line;
            run.m_last_status = parse_line(copy);
            EXPECT_EQ(copy, line) << "the parser must not change its line";
            if (run.m_last_status == FAIL) {
                break;
            }
        }
    });
    return run;
}

std::string error_at(int p_line) {
    return "Error in: t.ini at line " + std::to_string(p_line) + "\r\n";
}

texts_t presets_of(const std::string& p_device) {
    const brimel_config_rm6x_device* device =
        zel_config_env::instance().find_device_by_name(p_device);
    if (device == nullptr) {
        return {"<none>"};
    }
    texts_t result;
    for (const s_label_preset& preset : device->preset_to_write) {
        result.push_back(preset.label + "|" + preset.device_id + "|" + preset.channel_id);
    }
    return result;
}

texts_t record_names() {
    texts_t names;
    for (const brimel_config_rm6x_device& device : zel_config_env::instance().device_list) {
        names.push_back(device.m_device_name);
    }
    return names;
}

std::string as_shown(const std::string& p_utf8, const std::string& p_cp850) {
    return platform::console_uses_utf8() ? p_utf8 : p_cp850;
}

uint16_t unused_port() {
    platform::net_startup();
    uint16_t port = 0;
    platform::socket_close(platform::tcp_listen("127.0.0.1", 0, port));
    return port;
}

scripted_service::scripted_service(std::function<void(platform::socket_t, int)> p_script,
                                   int p_connections) {
    platform::net_startup();
    m_listener = platform::tcp_listen("127.0.0.1", 0, m_port);
    m_thread = std::thread([this, p_script, p_connections] {
        for (int k = 0; k < p_connections; ++k) {
            if (platform::socket_wait_readable(m_listener, 20000) != platform::WAIT_RESULT_READY) {
                return;
            }
            const platform::socket_t client = platform::tcp_accept(m_listener);
            if (client == platform::INVALID_SOCKET_HANDLE) {
                return;
            }
            p_script(client, k);
            platform::socket_close(client);
        }
    });
}

scripted_service::~scripted_service() {
    m_thread.join();
    platform::socket_close(m_listener);
}

void send_text(platform::socket_t p_sock, const std::string& p_text) {
    platform::socket_send_all(p_sock, p_text.data(), p_text.size());
}

std::string receive_command(platform::socket_t p_sock, int64_t p_timeout_ms) {
    if (platform::socket_wait_readable(p_sock, p_timeout_ms) != platform::WAIT_RESULT_READY) {
        return "";
    }
    char buf[65536];
    const long got = platform::socket_recv(p_sock, buf, sizeof(buf));
    return got > 0 ? std::string(buf, static_cast<std::size_t>(got)) : std::string();
}
