#include "basic_type/basic_type.h"

#include <algorithm>

console_message_t label_user_manual_text(const std::string& p_prog_gname) {
    const std::string nl = "\r\n";
    // The program's name is the path the operator started it by.
    const console_message_t name = given_text(p_prog_gname);
    std::string purpose = " User's manual:" + nl;
    purpose += "The program purpose to write the KALDEN RM6X labels";
    purpose +=
        "the program input expect at least one input file path *.ini as an argument for "
        "instance:" +
        nl;
    std::string text = " load_kalden_default_device.ini" + nl;
    text += "File must be written in this way:" + nl;
    text += "A section in bracket: [device_1, ..., device_n] ";
    text += "that specify the devices which are going to be written";
    text += "A list of the preset to be written, for instance:" + nl;
    text += nl + nl + nl;
    text += "[NEW-DEVICE1, NEW-DEVICE2];specify the devices which are going to be written" + nl;
    text +=
        "a label =  a dante channel name@a-dante-device-name;a label preset to write in "
        "NEW-DEVICE1 /  NEW-DEVICE2;" +
        nl;
    text +=
        "another label =  other channel name 2@adevice;another label preset to write in "
        "NEW-DEVICE1 /  NEW-DEVICE2;" +
        nl;
    text += "[ KDX-RM6x-243  , KDX-RM6X5];new device list to be written" + nl;
    text += "Radio Varnia = RadioVarnia-ch1@ZUPx3-Radio" + nl;
    text += nl;
    text += "Radio Varnia2 = RadioVarnia-ch2@ZUPx3-Radio" + nl;
    text += "Radio Varnia3 = RadioVarnia-ch3@ZUPx3-Radio" + nl;
    text += "Radio Varnia4 = RadioVarnia-ch4@ZUPx3-Radio" + nl;
    text += "Varnia Musique = VarniaMusiqueQ1@ZUPx3-Radio" + nl;
    text += "Varnia Musique2 = VarniaMusiqueQ2@ZUPx3-Radio" + nl;
    text += nl + nl;
    text += "Varnia Musique3= VarniaMusiqueQ3@ZUPx3-Radio" + nl;
    text += "Varnia Musique4=  VarniaMusiqueQ4@ZUPx3-Radio" + nl;
    text +=
        ";ASCII characters are accepted for LABEL and CHANNEL (including symbol with "
        "diacritical -accentuation, diaeresis / umlaut, etc.- sign) however '=' character "
        "and '@' isn't a possible sign in the label name and escapes characters sequence" +
        nl;
    text +=
        ";Only letters, numbers and  dash/minus sign are valid char for a dante DEVICE name,  "
        "SPACE IS NOT A VALID CHARACTER." +
        nl;
    return name + purpose + name + text;
}

void write_label_user_manual(std::string p_prog_gname) {
    printf_str_color(label_user_manual_text(p_prog_gname), CYAN);
}

std::string with_crlf_line_ends(const std::string& p_text) {
    std::string text;
    for (const char c : p_text) {
        text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return text;
}
