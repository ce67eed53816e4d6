// Faults of the simulated service: how they are written, and what a client sees when they
// hit. Pauses are checked only as lower bounds, which a busy machine cannot break.
#include "platform/clock.h"
#include "sim_client.h"

namespace {

const std::string M = G_rm6x5_mac;

std::string write_command(uint32_t p_page, int p_value) {
    return "TBOX_MEM " + M + ";W;0," + std::to_string(p_page) + ",0;" + std::to_string(p_value);
}

std::string written_answer() {
    return "TBOX_MEM=" + M + ";OK\r\n";
}

sim_fault_t fault_of(const std::string& p_spec) {
    sim_fault_t fault;
    std::string error;
    EXPECT_TRUE(parse_fault(p_spec, fault, error)) << p_spec << ": " << error;
    return fault;
}

TEST(SimFaultSyntax, ReadsSelectorAndAction) {
    struct valid_case_t {
        const char* m_spec;
        uint64_t m_command;
        bool m_by_kind;
        sim_command_kind_t m_kind;
        uint64_t m_nth;
        sim_fault_action_t m_action;
        int m_ms;
        const char* m_text;
    };
    const valid_case_t cases[] = {
        {"cmd=12:delay=700", 12, false, KIND_OTHER, 0, FAULT_DELAY, 700, ""},
        {"kind=TBOX_MEM_W,nth=3:failed", 0, true, KIND_TBOX_MEM_W, 3, FAULT_FAILED, 0, ""},
        {"nth=2,kind=LIST_DEV:silent", 0, true, KIND_LIST_DEV, 2, FAULT_SILENT, 0, ""},
        {"kind=INFO_EXT:close", 0, true, KIND_INFO_EXT, 0, FAULT_CLOSE, 0, ""},
        {"cmd=1:split=0", 1, false, KIND_OTHER, 0, FAULT_SPLIT, 0, ""},
        {"cmd=2:garbage", 2, false, KIND_OTHER, 0, FAULT_GARBAGE, 0, ""},
        {"kind=TBOX_MEM_R:values=5,7", 0, true, KIND_TBOX_MEM_R, 0, FAULT_VALUES, 0, "5,7"},
        {"cmd=4:reply=INFO_EXT=a:b;", 4, false, KIND_OTHER, 0, FAULT_REPLY, 0, "INFO_EXT=a:b;"},
    };
    for (const valid_case_t& c : cases) {
        const sim_fault_t fault = fault_of(c.m_spec);
        EXPECT_EQ(fault.m_command, c.m_command) << c.m_spec;
        EXPECT_EQ(fault.m_by_kind, c.m_by_kind) << c.m_spec;
        EXPECT_EQ(fault.m_kind, c.m_kind) << c.m_spec;
        EXPECT_EQ(fault.m_nth, c.m_nth) << c.m_spec;
        EXPECT_EQ(fault.m_action, c.m_action) << c.m_spec;
        EXPECT_EQ(fault.m_ms, c.m_ms) << c.m_spec;
        EXPECT_EQ(fault.m_text, c.m_text) << c.m_spec;
    }
}

TEST(SimFaultSyntax, RefusesMalformedFaultsAndSaysWhy) {
    struct invalid_case_t {
        const char* m_spec;
        const char* m_error;
    };
    const char* const bad_selector =
        "\": use cmd=N, or kind=LIST_DEV|INFO_EXT|TBOX_MEM_R|"
        "TBOX_MEM_W with nth=N";
    const std::string either =
        "a fault selects its commands by cmd=N or by kind=K, not both or "
        "neither";
    const invalid_case_t cases[] = {
        {"failed", "a fault is SELECTOR:ACTION, e.g. kind=TBOX_MEM_W,nth=3:failed"},
        {":failed", either.c_str()},
        {"cmd=1,kind=LIST_DEV:failed", either.c_str()},
        {"nth=2:failed", "nth=N needs kind=K"},
        {"cmd=1:delay=-5", "delay needs milliseconds from 0 to 600000"},
        {"cmd=1:split=600001", "split needs milliseconds from 0 to 600000"},
    };
    for (const invalid_case_t& c : cases) {
        sim_fault_t fault;
        fault.m_command = 99;
        std::string error;
        EXPECT_FALSE(parse_fault(c.m_spec, fault, error)) << c.m_spec;
        EXPECT_EQ(error, c.m_error) << c.m_spec;
        EXPECT_EQ(fault.m_command, 99u) << c.m_spec;  // untouched
    }
    for (const char* spec : {"cmd=0:failed", "cmd=x:failed", "kind=TBOX_MEM:failed",
                             "kind=OTHER:failed", "cmd=1,foo=2:failed"}) {
        std::string error;
        sim_fault_t fault;
        EXPECT_FALSE(parse_fault(spec, fault, error)) << spec;
        EXPECT_NE(error.find(bad_selector), std::string::npos) << spec << ": " << error;
    }
    for (const char* spec : {"cmd=1:", "cmd=1:explode", "cmd=1:delay", "cmd=1:failed=3"}) {
        std::string error;
        sim_fault_t fault;
        EXPECT_FALSE(parse_fault(spec, fault, error)) << spec;
        EXPECT_EQ(error.rfind("bad action", 0), 0u) << spec << ": " << error;
    }
}

class SimFault : public sim_fixture {
  protected:
    // Waits (at most 5 s) until the service has taken p_count commands, so that the next
    // send cannot reach it in the same receive as the previous one.
    void wait_for_commands(std::size_t p_count) {
        for (int i = 0; i < 5000 && m_sim.command_log().size() < p_count; ++i) {
            platform::sleep_ms(1);
        }
        ASSERT_EQ(m_sim.command_log().size(), p_count);
    }
};

TEST_F(SimFault, FailedRefusesOnlyTheNthCommandOfItsKind) {
    m_sim.add_fault(fault_of("kind=TBOX_MEM_W,nth=2:failed"));
    std::unique_ptr<sim_client> client = greeted_client();
    EXPECT_EQ(client->exchange(write_command(30, 7)), written_answer());
    EXPECT_EQ(client->exchange(write_command(31, 7)), "TBOX_MEM=FAILED\r\n");
    EXPECT_EQ(client->exchange(write_command(32, 7)), written_answer());
    EXPECT_EQ(m_sim.read_page(M, 30)[0], 7);
    EXPECT_EQ(m_sim.read_page(M, 31)[0], 0);  // not carried out
    EXPECT_EQ(m_sim.read_page(M, 32)[0], 7);
}

TEST_F(SimFault, CommandNumbersRunOverTheWholeLifeOfTheService) {
    m_sim.add_fault(fault_of("cmd=3:failed"));
    {
        std::unique_ptr<sim_client> first = greeted_client();
        EXPECT_EQ(first->exchange("LIST_DEV").rfind("LIST_DEV=Stage-Net;", 0), 0u);
        EXPECT_EQ(first->exchange("INFO_EXT " + M).rfind("INFO_EXT=" + M, 0), 0u);
    }
    std::unique_ptr<sim_client> second = greeted_client();
    EXPECT_EQ(second->exchange("LIST_DEV"), "LIST_DEV=FAILED\r\n");
    EXPECT_EQ(second->exchange("LIST_DEV").rfind("LIST_DEV=Stage-Net;", 0), 0u);
}

TEST_F(SimFault, SilentCarriesTheCommandOutAndAnswersNothing) {
    m_sim.add_fault(fault_of("cmd=1:silent"));
    std::unique_ptr<sim_client> client = greeted_client();
    ASSERT_TRUE(client->send(write_command(40, 9)));
    wait_for_commands(1);
    // Had the write been answered, its answer would come before this one.
    EXPECT_EQ(client->exchange("INFO_EXT " + M),
              "INFO_EXT=" + M + ";KDX-RM6X5;1;0;5;2;3;8;8;1;0;\r\n");
    EXPECT_EQ(m_sim.read_page(M, 40)[0], 9);
}

TEST_F(SimFault, DelayLatencyAndSplitHoldTheAnswerBack) {
    struct pause_case_t {
        const char* m_fault;  // "" for none
        int m_latency_ms;
        int64_t m_at_least_ms;
    };
    const pause_case_t cases[] = {
        {"kind=LIST_DEV:delay=200", 0, 200},
        {"", 150, 150},
        {"kind=LIST_DEV:delay=100", 100, 200},
        {"kind=LIST_DEV:split=200", 0, 200},
    };
    std::unique_ptr<sim_client> client = greeted_client();
    const std::string listing = client->exchange("LIST_DEV");
    for (const pause_case_t& c : cases) {
        m_sim.clear_faults();
        if (*c.m_fault != '\0') {
            m_sim.add_fault(fault_of(c.m_fault));
        }
        m_sim.set_latency_ms(c.m_latency_ms);
        const int64_t start = platform::monotonic_ms();
        EXPECT_EQ(client->exchange("LIST_DEV"), listing) << c.m_fault;
        EXPECT_GE(platform::monotonic_ms() - start, c.m_at_least_ms) << c.m_fault;
    }
}

TEST_F(SimFault, CloseHangsUpWithoutCarryingTheCommandOut) {
    m_sim.add_fault(fault_of("kind=TBOX_MEM_W:close"));
    std::unique_ptr<sim_client> client = greeted_client();
    ASSERT_TRUE(client->send(write_command(50, 3)));
    EXPECT_TRUE(client->closed_by_service());
    EXPECT_EQ(m_sim.read_page(M, 50)[0], 0);
    EXPECT_EQ(greeted_client()->exchange("TBOX_MEM " + M + ";R;0,1,14,1"),
              "TBOX_MEM=" + M + ";0,1,14;10\r\n");
}

TEST_F(SimFault, ReshapedAnswers) {
    struct answer_case_t {
        const char* m_fault;
        std::string m_command;
        std::string m_answer;
    };
    const std::string read = "TBOX_MEM " + M + ";R;0,1,14,1";
    const answer_case_t cases[] = {
        {"kind=TBOX_MEM_R:garbage", read, "GARBAGE 1234\r\nTBOX_MEM=" + M + ";0,1,14;10\r\n"},
        {"kind=TBOX_MEM_R:values=5,7", read, "TBOX_MEM=" + M + ";0,1,14;5,7\r\n"},
        {"kind=TBOX_MEM_R:values=5x", read, "TBOX_MEM=" + M + ";0,1,14;5x\r\n"},
        {"kind=INFO_EXT:reply=INFO_EXT=a;b;", "INFO_EXT " + M, "INFO_EXT=a;b;\r\n"},
        {"kind=INFO_EXT:failed", "INFO_EXT " + M, "INFO_EXT=FAILED\r\n"},
    };
    std::unique_ptr<sim_client> client = greeted_client();
    for (const answer_case_t& c : cases) {
        m_sim.clear_faults();
        m_sim.add_fault(fault_of(c.m_fault));
        ASSERT_TRUE(client->send(c.m_command));
        EXPECT_EQ(client->read_until(c.m_answer), c.m_answer) << c.m_fault;
    }
}

TEST_F(SimFault, TheFirstFaultThatHitsApplies) {
    m_sim.add_fault(fault_of("kind=LIST_DEV:failed"));
    m_sim.add_fault(fault_of("cmd=1:reply=never"));
    EXPECT_EQ(greeted_client()->exchange("LIST_DEV"), "LIST_DEV=FAILED\r\n");
}

TEST_F(SimFault, GreetingCanBeLeftOutOrSentSlowly) {
    m_sim.set_greeting(false, 1, 0);
    {
        sim_client silent(m_sim.port());
        EXPECT_EQ(silent.exchange("INFO_EXT 00:00:00:00:00:00"), "INFO_EXT=FAILED\r\n");
    }
    m_sim.set_greeting(true, 4, 100);
    const int64_t start = platform::monotonic_ms();
    sim_client slow(m_sim.port());
    EXPECT_EQ(slow.read_until("\r\n"), SIM_GREETING);
    EXPECT_GE(platform::monotonic_ms() - start, 300);
}

}  // namespace
