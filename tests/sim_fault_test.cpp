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

sim_fault_t fault_of(const std::string& p_text) {
    sim_fault_t fault;
    std::string error;
    EXPECT_TRUE(parse_fault(p_text, fault, error)) << p_text << ": " << error;
    return fault;
}

// The fields of a fault in one line, so that a table can give them.
std::string describe(const sim_fault_t& p_fault) {
    const char* const actions[] = {"none",  "failed",  "silent", "delay", "split",
                                   "close", "garbage", "values", "reply"};
    return "cmd=" + std::to_string(p_fault.m_command) +
           " kind=" + (p_fault.m_by_kind ? command_kind_name(p_fault.m_kind) : "-") +
           " nth=" + std::to_string(p_fault.m_nth) + " " + actions[p_fault.m_action] + " " +
           std::to_string(p_fault.m_ms) + " [" + p_fault.m_text + "]";
}

TEST(SimFaultSyntax, ReadsSelectorAndAction) {
    const std::pair<const char*, const char*> cases[] = {
        {"cmd=12:delay=700", "cmd=12 kind=- nth=0 delay 700 []"},
        {"kind=TBOX_MEM_W,nth=3:failed", "cmd=0 kind=TBOX_MEM_W nth=3 failed 0 []"},
        {"nth=2,kind=LIST_DEV:silent", "cmd=0 kind=LIST_DEV nth=2 silent 0 []"},
        {"kind=INFO_EXT:close", "cmd=0 kind=INFO_EXT nth=0 close 0 []"},
        {"cmd=1:split=0", "cmd=1 kind=- nth=0 split 0 []"},
        {"cmd=2:garbage", "cmd=2 kind=- nth=0 garbage 0 []"},
        {"kind=TBOX_MEM_R:values=5,7", "cmd=0 kind=TBOX_MEM_R nth=0 values 0 [5,7]"},
        {"cmd=4:reply=INFO_EXT=a:b;", "cmd=4 kind=- nth=0 reply 0 [INFO_EXT=a:b;]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(describe(fault_of(c.first)), c.second);
    }
}

TEST(SimFaultSyntax, RefusesMalformedFaultsAndSaysWhy) {
    const char* const either = "a fault selects its commands by cmd=N or by kind=K, not both";
    const std::pair<const char*, const char*> cases[] = {
        {"failed", "a fault is SELECTOR:ACTION, e.g. kind=TBOX_MEM_W,nth=3:failed"},
        {":failed", either},
        {"cmd=1,kind=LIST_DEV:failed", either},
        {"nth=2:failed", "nth=N needs kind=K"},
        {"cmd=0:failed", "bad selector \"cmd=0\": use cmd=N, or kind=LIST_DEV|INFO_EXT|"},
        {"cmd=x:failed", "bad selector \"cmd=x\""},
        {"kind=TBOX_MEM:failed", "bad selector \"kind=TBOX_MEM\""},
        {"kind=OTHER:failed", "bad selector \"kind=OTHER\""},
        {"cmd=1,foo=2:failed", "bad selector \"foo=2\""},
        {"cmd=1:delay=-5", "delay needs milliseconds from 0 to 600000"},
        {"cmd=1:split=600001", "split needs milliseconds from 0 to 600000"},
        {"cmd=1:", "bad action \"\": use failed, silent, close, garbage, delay=MS, split=MS,"},
        {"cmd=1:explode", "bad action \"explode\""},
        {"cmd=1:delay", "bad action \"delay\""},
        {"cmd=1:failed=3", "bad action \"failed=3\""},
    };
    for (const auto& c : cases) {
        sim_fault_t fault;
        fault.m_command = 99;
        std::string error;
        EXPECT_FALSE(parse_fault(c.first, fault, error)) << c.first;
        EXPECT_EQ(error.rfind(c.second, 0), 0u) << c.first << ": " << error;
        EXPECT_EQ(fault.m_command, 99u) << c.first;  // untouched
    }
}

typedef sim_fixture SimFault;

// Waits (at most 5 s) until the service has taken p_count commands, so that the next send
// cannot reach it in the same receive as the previous one.
void wait_for_commands(const zel_service_sim& p_sim, std::size_t p_count) {
    for (int i = 0; i < 5000 && p_sim.command_log().size() < p_count; ++i) {
        platform::sleep_ms(1);
    }
    ASSERT_EQ(p_sim.command_log().size(), p_count);
}

TEST_F(SimFault, FailedHitsTheNthOfItsKindOrTheNthOverTheServiceLife) {
    m_sim.add_fault(fault_of("kind=TBOX_MEM_W,nth=2:failed"));
    m_sim.add_fault(fault_of("cmd=5:failed"));
    {
        std::unique_ptr<sim_client> first = greeted_client();
        EXPECT_EQ(first->exchange(write_command(30, 7)), written_answer());
        EXPECT_EQ(first->exchange(write_command(31, 7)), "TBOX_MEM=FAILED\r\n");
    }
    std::unique_ptr<sim_client> second = greeted_client();
    EXPECT_EQ(second->exchange(write_command(32, 7)), written_answer());
    EXPECT_EQ(second->exchange("INFO_EXT x"), "INFO_EXT=FAILED\r\n");
    EXPECT_EQ(second->exchange("LIST_DEV"), "LIST_DEV=FAILED\r\n");  // the fifth command
    EXPECT_EQ(second->exchange("LIST_DEV").rfind("LIST_DEV=Stage-Net;", 0), 0u);
    EXPECT_EQ(m_sim.read_page(M, 30)[0], 7);
    EXPECT_EQ(m_sim.read_page(M, 31)[0], 0);  // not carried out
    EXPECT_EQ(m_sim.read_page(M, 32)[0], 7);
}

TEST_F(SimFault, SilentCarriesTheCommandOutAndAnswersNothing) {
    m_sim.add_fault(fault_of("cmd=1:silent"));
    std::unique_ptr<sim_client> client = greeted_client();
    ASSERT_TRUE(client->send(write_command(40, 9)));
    wait_for_commands(m_sim, 1);
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

TEST_F(SimFault, ReshapedAnswersAndTheFirstFaultThatHits) {
    struct answer_case_t {
        std::vector<const char*> m_faults;
        std::string m_command;
        std::string m_answer;
    };
    const std::string read = "TBOX_MEM " + M + ";R;0,1,14,1";
    const std::string info = "INFO_EXT " + M;
    const answer_case_t cases[] = {
        {{"kind=TBOX_MEM_R:garbage"}, read, "GARBAGE 1234\r\nTBOX_MEM=" + M + ";0,1,14;10\r\n"},
        {{"kind=TBOX_MEM_R:values=5,7"}, read, "TBOX_MEM=" + M + ";0,1,14;5,7\r\n"},
        {{"kind=TBOX_MEM_R:values=5x"}, read, "TBOX_MEM=" + M + ";0,1,14;5x\r\n"},
        {{"kind=INFO_EXT:reply=INFO_EXT=a;b;"}, info, "INFO_EXT=a;b;\r\n"},
        {{"kind=INFO_EXT:failed", "kind=INFO_EXT:reply=never"}, info, "INFO_EXT=FAILED\r\n"},
    };
    std::unique_ptr<sim_client> client = greeted_client();
    for (const answer_case_t& c : cases) {
        m_sim.clear_faults();
        for (const char* fault : c.m_faults) {
            m_sim.add_fault(fault_of(fault));
        }
        ASSERT_TRUE(client->send(c.m_command));
        EXPECT_EQ(client->read_until(c.m_answer), c.m_answer) << c.m_faults[0];
    }
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
