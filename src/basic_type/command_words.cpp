#include "basic_type/basic_type.h"

#include <cstring>

#include "basic_type/label_area.h"

const uint16_t label_loader_conf::max_preset = label_preset_count;
const std::vector<std::string> label_loader_conf::find_all_rm6x_cmd = {"-find", "-f", "find", "f"};
const std::vector<std::string> label_loader_conf::help_cmd = {"-help", "-h", "help", "h"};
const std::vector<std::string> label_loader_conf::agree_cmd = {"ok", "o", "yes", "y"};
const std::vector<std::string> label_loader_conf::disagree_cmd = {
    "no", "n", "cancel", "exit", "abort", "quit", "q", "undo"};

void to_small_letter(std::string& p_str) {
    for (char& c : p_str) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 0x20);
        }
    }
}

bool is_cmd(std::vector<std::string> p_cmd_formats, std::string p_str) {
    to_small_letter(p_str);
    for (const std::string& word : p_cmd_formats) {
        // Compared as C strings: a word is never matched by what follows a zero byte.
        if (std::strcmp(p_str.c_str(), word.c_str()) == 0) {
            return true;
        }
    }
    return false;
}

bool is_help_cmd(std::string p_str) {
    return is_cmd(label_loader_conf::help_cmd, p_str);
}

bool is_find_all_rm6x_cmd(std::string p_str) {
    return is_cmd(label_loader_conf::find_all_rm6x_cmd, p_str);
}

bool is_agree_cmd(std::string p_str) {
    return is_cmd(label_loader_conf::agree_cmd, p_str);
}

bool is_disagree_cmd(std::string p_str) {
    return is_cmd(label_loader_conf::disagree_cmd, p_str);
}

bool valid_user_ans(std::string& p_str, bool& confirm) {
    confirm = is_agree_cmd(p_str);
    return confirm || is_disagree_cmd(p_str);
}
