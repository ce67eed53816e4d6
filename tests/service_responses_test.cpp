// The parsers of the service's answers and the command lines of the memory commands.
#include <gtest/gtest.h>

#include "test_support.h"
#include "write_brimel_label/write_brimel_label.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

typedef std::vector<std::string> texts_t;

TEST(ListingParser, IdentifiersOfEveryLine) {
    struct listing_case_t {
        const char* m_name;
        std::string m_answer;
        Status m_status;
        texts_t m_found;
    };
    const listing_case_t cases[] = {
        {"two identifiers", "LIST_DEV=Dante;00:01,00:02\r\n", SUCCESS, {"00:01", "00:02"}},
        {"empty network part keeps the identifiers",
         "LIST_DEV=;00:01,00:02\r\n",
         SUCCESS,
         {"00:01", "00:02"}},
        {"several lines", "LIST_DEV=n;a,b\r\nLIST_DEV=n;c\r\n", SUCCESS, {"a", "b", "c"}},
        {"two commas give an empty entry", "LIST_DEV=n;a,,b\r\n", SUCCESS, {"a", "", "b"}},
        {"comma before the line end", "LIST_DEV=n;a,\r\n", SUCCESS, {"a"}},
        {"identifier without line end", "LIST_DEV=n;a,b", SUCCESS, {"a"}},
        {"nothing after the head", "LIST_DEV=", SUCCESS, {}},
        {"no identifiers", "LIST_DEV=n;\r\n", SUCCESS, {}},
        {"missing head", "LIST_NET=n;a\r\n", FAIL, {}},
        {"failed", "LIST_DEV=FAILED\r\n", FAIL, {}},
    };
    for (const listing_case_t& c : cases) {
        SCOPED_TRACE(c.m_name);
        reset_registry();
        zel_config_env& env = zel_config_env::instance();
        EXPECT_EQ(env.parse_list_dev(c.m_answer), c.m_status);
        EXPECT_EQ(env.found_net_device, c.m_found);
    }
}

TEST(ListingParser, AppendsWithoutClearing) {
    reset_registry();
    zel_config_env& env = zel_config_env::instance();
    env.parse_list_dev("LIST_DEV=n;a,b\r\n");
    env.parse_list_dev("LIST_DEV=n;a,b\r\n");
    EXPECT_EQ(env.found_net_device, texts_t({"a", "b", "a", "b"}));
}

struct info_case_t {
    const char* m_name;
    std::string m_answer;
    Status m_status;
    std::string m_mac;  // of device Stage afterwards
    int m_mir;
    int m_pir;
    int m_fir;
};

TEST(InformationParser, FillsTheDeviceOfThatExactName) {
    const info_case_t cases[] = {
        {"compatible", "INFO_EXT=00:1D;Stage;1;0;5;2;7;8;8;1;0;\r\n", SUCCESS, "00:1D", 5, 2, 7},
        {"text after the eleventh field ignored", "INFO_EXT=m;Stage;0;0;5;2;7;8;8;1;0;extra\r\n",
         SUCCESS, "m", 5, 2, 7},
        {"negative numbers", "INFO_EXT=m;Stage;0;0;-5;2;-7;0;0;0;0;\r\n", SUCCESS, "m", -5, 2, -7},
        {"other name changes nothing", "INFO_EXT=m;stage;0;0;5;2;7;8;8;1;0;\r\n", SUCCESS, "", -1,
         -1, -1},
        {"ten fields", "INFO_EXT=m;Stage;0;0;5;2;7;8;8;1;\r\n", FAIL, "", -1, -1, -1},
        {"field that is no number", "INFO_EXT=m;Stage;0;0;5x;2;7;8;8;1;0;\r\n", FAIL, "", -1, -1,
         -1},
        {"unused field that is no number", "INFO_EXT=m;Stage;0;0;5;2;7;8;8;1;z;\r\n", FAIL, "", -1,
         -1, -1},
        {"number over the int range", "INFO_EXT=m;Stage;0;0;5;2;9999999999;8;8;1;0;\r\n", FAIL, "",
         -1, -1, -1},
        {"empty number", "INFO_EXT=m;Stage;0;0;;2;7;8;8;1;0;\r\n", FAIL, "", -1, -1, -1},
        {"missing head", "INFO=m;Stage;0;0;5;2;7;8;8;1;0;\r\n", FAIL, "", -1, -1, -1},
        {"failed", "INFO_EXT=FAILED\r\n", FAIL, "", -1, -1, -1},
    };
    for (const info_case_t& c : cases) {
        SCOPED_TRACE(c.m_name);
        reset_registry();
        zel_config_env& env = zel_config_env::instance();
        env.add_device("Stage");
        EXPECT_EQ(env.parse_info_ext(c.m_answer), c.m_status);
        const brimel_config_rm6x_device& stage = env.device_list[0];
        EXPECT_EQ(stage.m_zel_device_mac_adr, c.m_mac);
        EXPECT_EQ(stage.m_mir, c.m_mir);
        EXPECT_EQ(stage.m_pir, c.m_pir);
        EXPECT_EQ(stage.m_fir, c.m_fir);
    }
}

TEST(MemoryReadParser, SplitsTheAnswer) {
    struct read_case_t {
        const char* m_name;
        std::string m_answer;
        Status m_status;
        std::string m_mac;
        int m_slot;
        int m_page;
        int m_offset;
        std::vector<uint8_t> m_values;
    };
    const read_case_t cases[] = {
        {"one value", "TBOX_MEM=m;0,1,14;5\r\n", SUCCESS, "m", 0, 1, 14, {5}},
        {"low 8 bits", "TBOX_MEM=m;0,300,14;300\r\n", SUCCESS, "m", 0, 44, 14, {44}},
        {"several values", "TBOX_MEM=m;0,1,0;1,2,3\r\n", SUCCESS, "m", 0, 1, 0, {1, 2, 3}},
        {"empty value", "TBOX_MEM=m;0,1,0;\r\n", SUCCESS, "m", 0, 1, 0, {0}},
        {"non-digit value", "TBOX_MEM=m;0,1,18;5x\r\n", FAIL, "m", 0, 1, 18, {5}},
        {"lenient location fields", "TBOX_MEM=m; 2,x,-1;7\r\n", SUCCESS, "m", 2, 0, 255, {7}},
        {"no line end", "TBOX_MEM=m;0,1,14;5", SUCCESS, "m", 0, 1, 14, {}},
        {"missing delimiter", "TBOX_MEM=m;0,1\r\n", FAIL, "m", 0, -1, -1, {}},
        {"failed", "TBOX_MEM=FAILED\r\n", FAIL, "", -1, -1, -1, {}},
    };
    for (const read_case_t& c : cases) {
        SCOPED_TRACE(c.m_name);
        std::string mac;
        uint8_t slot = 255, page = 255, offset = 255;
        std::vector<uint8_t> values;
        EXPECT_EQ(
            zel_config_env::instance().parse_read_mem(c.m_answer, mac, slot, page, offset, values),
            c.m_status);
        EXPECT_EQ(mac, c.m_mac);
        EXPECT_EQ(slot, c.m_slot < 0 ? 255 : c.m_slot);
        EXPECT_EQ(page, c.m_page < 0 ? 255 : c.m_page);
        EXPECT_EQ(offset, c.m_offset < 0 ? 255 : c.m_offset);
        EXPECT_EQ(values, c.m_values);
    }
}

struct location_case_t {
    const char* m_name;
    std::string m_answer;
    Status m_status;
    int m_value;  // stored field afterwards
    std::string m_out;
    std::string m_err;
};

void check_location_parser(bool p_page_index, const location_case_t& p_case) {
    SCOPED_TRACE(p_case.m_name);
    reset_registry();
    zel_config_env& env = zel_config_env::instance();
    env.add_device("Other").set_zel_device_mac_adr("other");
    env.add_device("Stage").set_zel_device_mac_adr("m");
    Status status = SUCCESS;
    const captured_t got = capture_output([&] {
        status = p_page_index ? env.parse_read_cspr_idx(p_case.m_answer)
                              : env.parse_device_preset_offset(p_case.m_answer);
    });
    EXPECT_EQ(status, p_case.m_status);
    const brimel_config_rm6x_device& stage = env.device_list[1];
    EXPECT_EQ(p_page_index ? stage.m_cspr_page : stage.m_device_start_from_CSPR_offset,
              p_case.m_value);
    EXPECT_EQ(env.device_list[0].m_cspr_page, -1);
    EXPECT_EQ(env.device_list[0].m_device_start_from_CSPR_offset, -1);
    EXPECT_EQ(got.m_out, p_case.m_out);
    EXPECT_EQ(got.m_err, p_case.m_err);
}

TEST(LocationParsers, PageIndexStoredOnlyFromACleanAnswer) {
    const std::string failed = "READ_CSPR_IDX_FAILED\r\n";
    const location_case_t cases[] = {
        {"one value", "TBOX_MEM=m;0,1,14;10\r\n", SUCCESS, 10, "", ""},
        {"low 8 bits", "TBOX_MEM=m;0,1,14;300\r\n", SUCCESS, 44, "", ""},
        {"other device", "TBOX_MEM=x;0,1,14;10\r\n", SUCCESS, -1, "", ""},
        {"two values", "TBOX_MEM=m;0,1,14;10,11\r\n", FAIL, -1, "incorrect size2\r\n", failed},
        {"no value", "TBOX_MEM=m;0,1,14;5", FAIL, -1, "incorrect size0\r\n", failed},
        {"non-digit", "TBOX_MEM=m;0,1,14;1x\r\n", FAIL, -1, "", failed},
        {"missing head", "HELLO\r\n", FAIL, -1, "ntm\r\n", failed},
        {"failed", "TBOX_MEM=FAILED\r\n", FAIL, -1, "ntm\r\n", failed},
    };
    for (const location_case_t& c : cases) {
        check_location_parser(true, c);
    }
}

TEST(LocationParsers, StartOffsetStoredOnlyFromACleanAnswer) {
    const std::string failed = "read device_preset_offset failed\r\n";
    const location_case_t cases[] = {
        {"one value", "TBOX_MEM=m;0,10,18;4\r\n", SUCCESS, 4, "", ""},
        {"two values", "TBOX_MEM=m;0,10,18;4,5\r\n", FAIL, -1, "", failed},
        {"non-digit", "TBOX_MEM=m;0,10,18;4x\r\n", FAIL, -1, "", failed},
        {"missing head", "HELLO\r\n", FAIL, -1, "", failed},
    };
    for (const location_case_t& c : cases) {
        check_location_parser(false, c);
    }
}

TEST(ResponseDispatch, ByRequestKind) {
    reset_registry();
    zel_config_env& env = zel_config_env::instance();
    EXPECT_EQ(env.parse_response("TBOX_MEM=m;OK\r\n", ZEL_WRITE), SUCCESS);
    EXPECT_EQ(env.parse_response("anything", ZEL_LIST_NET), SUCCESS);
    EXPECT_EQ(env.parse_response("TBOX_MEM=m;0,1,0;1\r\n", ZEL_READ), SUCCESS);
    EXPECT_EQ(env.parse_response("LIST_DEV=n;a\r\n", ZEL_LIST_DEV), SUCCESS);
    EXPECT_EQ(env.found_net_device, texts_t({"a"}));
    EXPECT_EQ(env.parse_response("LIST_DEV=n;b\r\nX=FAILED\r\n", ZEL_LIST_DEV), FAIL);
    EXPECT_EQ(env.found_net_device, texts_t({"a"}));
    EXPECT_EQ(env.parse_response("TBOX_MEM=m;OK\r\n", static_cast<zel_req_id_t>(9)), FAIL);
}

TEST(ResponseJudging, FailedOrBlankAnswerIsReported) {
    reset_registry();
    struct judge_case_t {
        std::string m_answer;
        Status m_status;
        std::string m_err;
    };
    const judge_case_t cases[] = {
        {"TBOX_MEM=m;OK\r\n", SUCCESS, ""},
        {"INFO_EXT=unusable\r\n", SUCCESS, ""},
        {"", FAIL, "Get response:"},
        {std::string(" \t\r\n\0", 5), FAIL, std::string("Get response: \t\r\n\0", 18)},
        {"LIST_DEV=FAILED\r\n", FAIL, "Get response:LIST_DEV=FAILED\r\n"},
    };
    for (const judge_case_t& c : cases) {
        Status status = SUCCESS;
        const captured_t got =
            capture_output([&] { status = handle_zel_response(c.m_answer, ZEL_INFO_EXT); });
        EXPECT_EQ(status, c.m_status) << c.m_answer;
        EXPECT_EQ(got.m_err, c.m_err);
    }
    EXPECT_TRUE(is_empty_message(""));
    EXPECT_FALSE(is_empty_message(" x "));
    EXPECT_FALSE(is_empty_message("\v"));
}

TEST(NameDataList, SignedBytesAndTheEndingZero) {
    struct data_case_t {
        std::string m_name;
        std::string m_list;
    };
    std::string list32;
    for (int k = 0; k < 32; ++k) {
        list32 += "65,";
    }
    const data_case_t cases[] = {
        {"AB", "65,66,0"},
        {"", "0"},
        {"\xE9", "-23,0"},
        {"\x80\xFF", "-128,-1,0"},
        {std::string(32, 'A'), list32},
        {std::string(40, 'A'), list32},
        {std::string("A\0B", 3), "65,0"},
    };
    for (const data_case_t& c : cases) {
        EXPECT_EQ(name_data_list(c.m_name), c.m_list) << c.m_name;
    }
}

}  // namespace
