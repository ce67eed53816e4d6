#include "e2e_support.h"

#include <fstream>
#include <sstream>

const std::string G_tool = WBL_TOOL_PATH;
const std::string G_read_tool = WBL_READ_TOOL_PATH;
const std::string G_sync_tool = WBL_SYNC_TOOL_PATH;
const std::string G_sim_tool = WBL_SIM_TOOL_PATH;

const sim_target_t G_rm6x5 = {"KDX-RM6X5", "00:1D:C1:0A:00:01", 14};
const sim_target_t G_rm6x243 = {"KDX-RM6x-243", "00:1D:C1:0A:00:02", 26};
const sim_target_t G_new1 = {"NEW-DEVICE1", "00:1D:C1:0A:00:03", 32};

const std::string G_greeting =
    "Welcome to Quentara ZEL-Service (simulated by zel_service_sim: no real device is "
    "written)\r\n\r\nZEL-Service Connected.\r\n";
const std::string G_json_service =
    "\"service\": \"Welcome to Quentara ZEL-Service (simulated by zel_service_sim: no real device "
    "is written)\", \"connections\": 1, ";

// clang-format off
const texts_t G_listing_and_information = {
    "LIST_DEV",
    "INFO_EXT 00:1D:C1:0A:00:01", "INFO_EXT 00:1D:C1:0A:00:02", "INFO_EXT 00:1D:C1:0A:00:03",
    "INFO_EXT 00:1D:C1:0A:00:04", "INFO_EXT 00:1D:C1:0B:00:01", "INFO_EXT 00:1D:C1:0C:00:01",
    "INFO_EXT 00:1D:C1:0C:00:02", "INFO_EXT 00:1D:C1:0C:00:03",
};
// clang-format on

platform::process_result_t run_tool(const texts_t& p_args, const std::string& p_stdin,
                                    const std::string& p_program, const texts_t& p_environment) {
    texts_t argv = {p_program};
    argv.insert(argv.end(), p_args.begin(), p_args.end());
    platform::process_options_t options;
    options.m_environment = p_environment;
    const platform::process_result_t res = platform::run_process(argv, p_stdin, 60000, options);
    EXPECT_TRUE(res.m_started);
    EXPECT_FALSE(res.m_timed_out) << "the run did not end within its deadlines";
    return res;
}

texts_t non_reads(const zel_service_sim& p_sim) {
    texts_t others;
    for (const std::string& command : p_sim.command_log()) {
        const sim_command_kind_t kind = classify_command(command);
        if (kind != KIND_LIST_DEV && kind != KIND_INFO_EXT && kind != KIND_TBOX_MEM_R) {
            others.push_back(command);
        }
    }
    return others;
}

std::string launch() {
    return "Launch " + G_tool + "\r\n";
}

std::string opening(const std::string& p_path) {
    return "Opening file: " + p_path + "\r\n";
}

std::string json_path(std::string p_path) {
    for (std::size_t at = 0; (at = p_path.find('\\', at)) != std::string::npos; at += 2) {
        p_path.insert(at, "\\");
    }
    return p_path;
}

std::string open_failure(const std::string& p_path, const std::string& p_help) {
    return "Unable to open file: \r\n" + p_path +
           "\r\nif you need some help re-run the program and type -h or " + p_help +
           "\r\nFailed, exit now\r\n";
}

std::string device_line(int p_number, const sim_target_t& p_target) {
    return "\tdevice " + std::to_string(p_number) + ": " + p_target.m_name + " (" + p_target.m_mac +
           ") \r\n";
}

std::string confirm_screen(const std::string& p_device_lines) {
    return "Ready to update label in those devices:\r\n" + p_device_lines +
           "Please confirm you want to update the labels: yes(y), no(n): \r\n";
}

std::string written(const sim_target_t& p_target) {
    const std::string name = p_target.m_name;
    return "Erase " + name + "'s old labels... OK\r\nRunning transfer of " + name +
           "'s new labels... OK\r\n" + name + "'s labels written successfully\r\n";
}

std::string manual_for(const std::string& p_program) {
    std::string manual = file_text(std::string(WBL_TEST_DATA_DIR) + "/manual.txt");
    const std::string golden_path = "C:\\bin\\tool.exe";
    for (std::size_t at = 0; (at = manual.find(golden_path, at)) != std::string::npos;) {
        manual.replace(at, golden_path.size(), p_program);
        at += p_program.size();
    }
    return manual;
}

texts_t label_area(const zel_service_sim& p_sim, const sim_target_t& p_target, uint32_t p_count) {
    texts_t entries;
    for (uint32_t page = p_target.m_base; page < p_target.m_base + 3 * p_count; ++page) {
        const std::vector<uint8_t> bytes = p_sim.read_page(p_target.m_mac, page);
        std::string name(bytes.begin(), bytes.begin() + 32);
        name.erase(name.find_last_not_of('\0') + 1);
        if ((page - p_target.m_base) % 3 == 0) {
            entries.push_back(name);
        } else {
            entries.back() += "|" + name;
        }
    }
    return entries;
}

std::string reason_hidden(std::string p_text) {
    for (std::size_t begin = p_text.find("7000 ("); begin != std::string::npos;
         begin = p_text.find("7000 (", begin + 1)) {
        const std::size_t end = p_text.find("): start", begin);
        if (end != std::string::npos) {
            p_text.replace(begin + 6, end - begin - 6, "<reason>");
        }
    }
    return p_text;
}
