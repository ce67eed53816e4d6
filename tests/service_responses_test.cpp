// The rules of the answers (a refusal, the echo of what was asked, numbers), the parsers of
// the service's answers and the judging of an answer.
#include "basic_type/zel_protocol.h"
#include "device_registry/device_registry.h"
#include "unit_support.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

TEST(AnswerRules, FailedOnlyAsAWord) {
    // clang-format off
    const texts_t refused = {
        "TBOX_MEM=FAILED\r\n", "TBOX_MEM=00:1D; FAILED\r\n", "TBOX_MEM=FAILED: device busy",
        "TBOX_MEM=WRITE FAILED", "TBOX_MEM=WRITE_FAILED", "TBOX_MEM=m;W;FAILED (timeout)",
        "INFO_EXT=m;FAILED;\r\n", "LIST_DEV=n;a,FAILED", "X=a\r\nLIST_DEV=FAILED,b\r\n", "X=ERR:FAILED",
        "X=(FAILED)", "X=\"FAILED\"", "X=MY_FAILED", "X=\tFAILED.", "FAILED"};
    // A letter, a digit or "-" on one side alone makes it a name.
    const texts_t names = {
        "INFO_EXT=m;RACK-FAILED;1;\r\n", "LIST_DEV=FAILED-OVER;a\r\n", "X=FAILEDX", "X=XFAILED",
        "X=AFAILED", "X=FAILEDZ", "X=aFAILED;", "X=FAILEDz", "X=0FAILED", "X=FAILED9", "X=failed"};
    // clang-format on
    for (const std::string& text : refused) {
        EXPECT_TRUE(zel_has_failed_word(text)) << text;
    }
    for (const std::string& text : names) {
        EXPECT_FALSE(zel_has_failed_word(text)) << text;
    }
}

TEST(AnswerRules, OneIdentityRuleJudgesEveryAnswerLine) {
    const zel_network_keys_t network = {"00:1D:C1:0A:00:0F", "00:1D:C1:0A:00:0E"};
    const std::string ours = "=00:1d:c1:0A:00:0f;";
    const std::string other = "=00:1D:C1:0A:00:0E;";
    const zel_line_verdict_t answer = ZEL_LINE_ANSWER, late = ZEL_LINE_LATE;
    const zel_line_verdict_t refusal = ZEL_LINE_REFUSAL;
    // clang-format off
    const std::tuple<zel_echo_t, std::string, zel_line_verdict_t> cases[] = {
        // what is echoed, answer line, what it is to the command
        {ZEL_ECHO_NONE, "LIST_DEV=n;a\r\n", answer},
        {ZEL_ECHO_NONE, "LIST_DEV" + other + "a\r\n", answer},
        {ZEL_ECHO_NONE, "LIST_DEV=FAILED\r\n", refusal},
        {ZEL_ECHO_DEVICE, "INFO_EXT" + ours + "KDX;1;\r\n", answer},
        {ZEL_ECHO_DEVICE, "INFO_EXT= 00:1D:C1:0A:00:0F\t;KDX;1;\r\n", answer},
        {ZEL_ECHO_DEVICE, "INFO_EXT=;KDX;1;\r\n", late},
        {ZEL_ECHO_DEVICE, "INFO_EXT" + other + "KDX;1;\r\n", late},
        {ZEL_ECHO_DEVICE, "INFO_EXT=00:1D:C1:0A:00:0F:;KDX;1;\r\n", late},
        {ZEL_ECHO_DEVICE, "INFO_EXT=00:1D:C1:0A:00:0F\r\n", late},
        {ZEL_ECHO_DEVICE, "INFO_EXT" + other + "FAILED\r\n", late},
        {ZEL_ECHO_DEVICE, "INFO_EXT=busy;FAILED\r\n", refusal},
        {ZEL_ECHO_DEVICE, "INFO_EXT" + ours + " FAILED\r\n", refusal},
        {ZEL_ECHO_LOCATION, "TBOX_MEM" + ours + "0,10,18;4\r\n", answer},
        {ZEL_ECHO_LOCATION, "TBOX_MEM" + ours + "00, 010,018;4\r\n", answer},
        {ZEL_ECHO_LOCATION, "TBOX_MEM" + ours + "0,1,14;4\r\n", late},
        {ZEL_ECHO_LOCATION, "TBOX_MEM" + ours + "1,10,18;4\r\n", late},
        {ZEL_ECHO_LOCATION, "TBOX_MEM" + ours + "0,10,19;4\r\n", late},
        {ZEL_ECHO_LOCATION, "TBOX_MEM" + ours + "0,10,18,4\r\n", late},
        {ZEL_ECHO_LOCATION, "TBOX_MEM" + ours + "0,x10,18;4\r\n", late},
        {ZEL_ECHO_LOCATION, "TBOX_MEM" + ours + "0,4294967306,18;4\r\n", late},
        {ZEL_ECHO_LOCATION, "TBOX_MEM" + ours + "0,1,14;FAILED\r\n", refusal},
        {ZEL_ECHO_DEVICE_IF_NAMED, "TBOX_MEM" + ours + "OK\r\n", answer},
        {ZEL_ECHO_DEVICE_IF_NAMED, "TBOX_MEM=OK\r\n", answer},
        {ZEL_ECHO_DEVICE_IF_NAMED, "TBOX_MEM=;OK\r\n", answer},
        {ZEL_ECHO_DEVICE_IF_NAMED, "TBOX_MEM=0,14,0;OK\r\n", answer},
        {ZEL_ECHO_DEVICE_IF_NAMED, "TBOX_MEM=00:1D:C1:0A:00:99;OK\r\n", answer},
        {ZEL_ECHO_DEVICE_IF_NAMED, "TBOX_MEM" + other + "OK\r\n", late},
        {ZEL_ECHO_DEVICE_IF_NAMED, "TBOX_MEM= 00:1d:c1:0a:00:0e ;OK\r\n", late},
        {ZEL_ECHO_DEVICE_IF_NAMED, "TBOX_MEM=00:1D:C1:0A:00:0E\r\n", late},
        {ZEL_ECHO_DEVICE_IF_NAMED, "TBOX_MEM" + other + "FAILED\r\n", late},
        {ZEL_ECHO_DEVICE_IF_NAMED, "TBOX_MEM" + ours + " FAILED\r\n", refusal},
    };
    // clang-format on
    zel_echo_rule_t rule;
    rule.m_device = "00:1D:C1:0A:00:0F";
    rule.m_page = 10;
    rule.m_offset = 18;
    rule.m_network = &network;
    for (const auto& [echo, line, verdict] : cases) {
        rule.m_echo = echo;
        EXPECT_EQ(zel_judge_line(line, rule), verdict) << line;
    }
    // Without the network no identifier is known: another device's acknowledgement passes.
    rule.m_network = nullptr;
    EXPECT_EQ(zel_judge_line("TBOX_MEM" + other + "OK\r\n", rule), answer);
    EXPECT_EQ(zel_device_key(" \t00:1d:C1 x\t "), "00:1D:C1 X");
    EXPECT_EQ(zel_device_key(" \t "), "");
    EXPECT_EQ(zel_device_key(""), "");
}

TEST(ListingParser, IdentifiersOfEveryLineAppended) {
    const std::pair<std::string, texts_t> cases[] = {
        {"LIST_DEV=Dante;00:01,00:02\r\n", {"00:01", "00:02"}},
        {"LIST_DEV=;00:01,00:02\r\n", {"00:01", "00:02"}},  // an empty network part
        {"LIST_DEV=n;a,b\r\nLIST_DEV=n;c\r\n", {"a", "b", "c"}},
        {"LIST_DEV=n;a,,b\r\n", {"a", "", "b"}},
        {"LIST_DEV=n;a,\r\n", {"a"}},
        {"LIST_DEV=n;a,b", {"a"}},  // the identifier without a line end is lost
        {"LIST_DEV=", {}},
        {"LIST_DEV=n;\r\n", {}},
        {"LIST_DEV=FAILED-OVER;a\r\n", {"a"}},  // a network name, no refusal
    };
    zel_config_env& env = zel_config_env::instance();
    for (const auto& c : cases) {
        reset_registry();
        EXPECT_EQ(env.parse_list_dev(c.first), SUCCESS) << c.first;
        EXPECT_EQ(env.found_net_device, c.second) << c.first;
    }
    env.parse_list_dev("LIST_DEV=n;x\r\n");            // appends, never clears
    EXPECT_EQ(env.found_network_name, "FAILED-OVER");  // the first listing's
    EXPECT_EQ(env.found_net_device, texts_t({"a", "x"}));
    for (const char* answer : {"LIST_NET=n;a\r\n", "LIST_DEV=FAILED\r\n"}) {
        EXPECT_EQ(env.parse_list_dev(answer), FAIL) << answer;
    }
    EXPECT_EQ(env.found_net_device, texts_t({"a", "x"}));
}

TEST(InformationParser, FillsTheDeviceOfThatExactName) {
    const std::string untouched = " -1/-1/-1";
    // clang-format off
    const std::tuple<std::string, std::string, Status, std::string> cases[] = {
        // name, answer, result, device Stage afterwards: "MAC mir/pir/fir"
        {"compatible", "INFO_EXT=00:1D;Stage;1;0;5;2;7;8;8;1;0;\r\n", SUCCESS, "00:1D 5/2/7"},
        {"text after the eleventh field", "INFO_EXT=m;Stage;0;0;5;2;7;8;8;1;0;x\r\n", SUCCESS, "m 5/2/7"},
        {"a FAILED field after the eleventh", "INFO_EXT=m;Stage;0;0;5;2;7;8;8;1;0;FAILED\r\n", FAIL, untouched},
        {"signs and nines", "INFO_EXT=m;Stage;0;0;-9;+2;99;0;0;0;0;\r\n", SUCCESS, "m -9/2/99"},
        {"blanks before, text after the digits", "INFO_EXT=m;Stage;1 ;0x; 5;2 ;7x;8;8;1;0;\r\n", SUCCESS, "m 5/2/7"},
        {"another name changes nothing", "INFO_EXT=m;stage;0;0;5;2;7;8;8;1;0;\r\n", SUCCESS, untouched},
        {"ten fields", "INFO_EXT=m;Stage;0;0;5;2;7;8;8;1;\r\n", FAIL, untouched},
        {"field 3 no number", "INFO_EXT=m;Stage;x;0;5;2;7;8;8;1;0;\r\n", FAIL, untouched},
        {"field 4 empty", "INFO_EXT=m;Stage;0;;5;2;7;8;8;1;0;\r\n", FAIL, untouched},
        {"field 11 no number", "INFO_EXT=m;Stage;0;0;5;2;7;8;8;1;z;\r\n", FAIL, untouched},
        {"over the int range", "INFO_EXT=m;Stage;0;0;5;2;9999999999;8;8;1;0;\r\n", FAIL, untouched},
        {"missing head", "INFO=m;Stage;0;0;5;2;7;8;8;1;0;\r\n", FAIL, untouched},
        {"failed", "INFO_EXT=FAILED\r\n", FAIL, untouched},
    };
    // clang-format on
    for (const auto& [name, answer, expected_status, expected] : cases) {
        SCOPED_TRACE(name);
        reset_registry();
        zel_config_env& env = zel_config_env::instance();
        env.add_device("Stage");
        EXPECT_EQ(env.parse_info_ext(answer), expected_status);
        const brimel_config_rm6x_device& stage = env.device_list[0];
        EXPECT_EQ(stage.m_zel_device_mac_adr + " " + std::to_string(stage.m_mir) + "/" +
                      std::to_string(stage.m_pir) + "/" + std::to_string(stage.m_fir),
                  expected);
    }
    // Every answer is kept as it came, whatever device it names.
    zel_config_env::instance().parse_info_ext("INFO_EXT=m;X;1; 0;5;2;3;8;8;1;0;tail\r\n");
    EXPECT_EQ(zel_config_env::instance().reported_devices.back().m_fields,
              "1; 0;5;2;3;8;8;1;0;tail");
}

TEST(MemoryReadParser, SplitsTheAnswer) {
    // clang-format off
    const std::tuple<std::string, std::string, Status, std::string> cases[] = {
        // name, answer, result, "MAC slot,page,offset;values" as read
        {"one value", "TBOX_MEM=m;0,1,14;5\r\n", SUCCESS, "m 0,1,14;5"},
        {"nines", "TBOX_MEM=m;9,19,29;9,19,249\r\n", SUCCESS, "m 9,19,29;9,19,249"},
        {"low 8 bits", "TBOX_MEM=m;0,300,14;300\r\n", SUCCESS, "m 0,44,14;44"},
        {"empty value", "TBOX_MEM=m;0,1,0;\r\n", SUCCESS, "m 0,1,0;0"},
        {"non-digit value", "TBOX_MEM=m;0,1,18;5x\r\n", FAIL, "m 0,1,18;5"},
        {"lenient location fields", "TBOX_MEM=m; 2,x,-1;7\r\n", SUCCESS, "m 2,0,255;7"},
        {"no line end", "TBOX_MEM=m;0,1,14;5", SUCCESS, "m 0,1,14;"},
        {"missing delimiter", "TBOX_MEM=m;0,1\r\n", FAIL, "m 0,255,255;"},
        {"failed", "TBOX_MEM=FAILED\r\n", FAIL, " 255,255,255;"},
    };
    // clang-format on
    for (const auto& [name, answer, status, expected] : cases) {
        SCOPED_TRACE(name);
        std::string mac;
        uint8_t slot = 255, page = 255, offset = 255;
        std::vector<uint8_t> values;
        EXPECT_EQ(
            zel_config_env::instance().parse_read_mem(answer, mac, slot, page, offset, values),
            status);
        std::string found = mac + " " + std::to_string(slot) + "," + std::to_string(page) + "," +
                            std::to_string(offset) + ";";
        for (std::size_t k = 0; k < values.size(); ++k) {
            found += (k ? "," : "") + std::to_string(values[k]);
        }
        EXPECT_EQ(found, expected);
    }
}

TEST(LocationParsers, StoreTheByteOnlyFromACleanAnswer) {
    // clang-format off
    const std::tuple<char, std::string, Status, int, std::string> cases[] = {
        {'P', "TBOX_MEM=m;0,1,14;10\r\n", SUCCESS, 10, ""},
        {'P', "TBOX_MEM=x;0,1,14;10\r\n", SUCCESS, -1, ""},  // another device
        {'P', "TBOX_MEM= M ;0,1,14;12\r\n", SUCCESS, 12, ""},  // as the link compares MACs
        {'P', "TBOX_MEM=m;0,1,14;10,11\r\n", FAIL, -1, "incorrect size2\r\n"},
        {'P', "TBOX_MEM=m;0,1,14;5", FAIL, -1, "incorrect size0\r\n"},
        {'P', "TBOX_MEM=m;0,1,14;1x\r\n", FAIL, -1, ""},
        {'P', "HELLO\r\n", FAIL, -1, "ntm\r\n"},
        {'P', "TBOX_MEM=FAILED\r\n", FAIL, -1, "ntm\r\n"},
        {'S', "TBOX_MEM=m;0,10,18;4\r\n", SUCCESS, 4, ""},
        {'S', "TBOX_MEM=m;0,10,18;4,5\r\n", FAIL, -1, ""},
        {'S', "TBOX_MEM=m;0,10,18;4x\r\n", FAIL, -1, ""},
    };
    // clang-format on
    for (const auto& [byte, answer, expected_status, value, expected_out] : cases) {
        SCOPED_TRACE(answer);
        reset_registry();
        zel_config_env& env = zel_config_env::instance();
        env.add_device("Other").set_zel_device_mac_adr("other");
        env.add_device("Stage").set_zel_device_mac_adr("m");
        const bool page = byte == 'P';
        Status status = SUCCESS;
        const captured_t got = capture_output([&] {
            status =
                page ? env.parse_read_cspr_idx(answer) : env.parse_device_preset_offset(answer);
        });
        EXPECT_EQ(status, expected_status);
        const brimel_config_rm6x_device& stage = env.device_list[1];
        EXPECT_EQ(page ? stage.m_cspr_page : stage.m_device_start_from_CSPR_offset, value);
        EXPECT_EQ(
            env.device_list[0].m_cspr_page + env.device_list[0].m_device_start_from_CSPR_offset,
            -2);
        EXPECT_EQ(got.m_out, expected_out);
        const std::string failed =
            page ? "READ_CSPR_IDX_FAILED\r\n" : "read device_preset_offset failed\r\n";
        EXPECT_EQ(got.m_err, expected_status == FAIL ? failed : "");
    }
}

TEST(ResponseJudging, FailedOrBlankAnswerIsReported) {
    reset_registry();
    const std::pair<std::string, std::string> cases[] = {
        // answer, message ("" when accepted)
        {"INFO_EXT=unusable\r\n", ""},
        {"", "Get response:"},
        {std::string(" \t\r\n\0", 5), std::string("Get response: \t\r\n\0", 18)},
        {"LIST_DEV=FAILED\r\n", "Get response:LIST_DEV=FAILED\r\n"},
    };
    for (const auto& c : cases) {
        Status status = SUCCESS;
        const captured_t got =
            capture_output([&] { status = handle_zel_response(c.first, ZEL_INFO_EXT); });
        EXPECT_EQ(status, c.second.empty() ? SUCCESS : FAIL) << c.first;
        EXPECT_EQ(got.m_err, c.second);
    }
    EXPECT_FALSE(is_empty_message("\v"));
}

}  // namespace
