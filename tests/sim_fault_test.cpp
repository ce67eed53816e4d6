// Faults of the simulated service: how they are written, and which commands they hit. What a
// client sees when one hits is proved where the programs meet it (the fault tables of the
// device core, the sync and the end-to-end tests).
#include "sim_support.h"

namespace {

const std::string M = G_rm6x5_mac;

std::string write_command(uint32_t p_page, int p_value) {
    return "TBOX_MEM " + M + ";W;0," + std::to_string(p_page) + ",0;" + std::to_string(p_value);
}

const std::string written_answer = "TBOX_MEM=" + M + ";OK\r\n";

// The fields of a fault in one line, or the reason it is refused.
std::string read_fault(const std::string& p_text) {
    const char* const actions[] = {"none",    "failed", "silent", "delay", "split", "close",
                                   "garbage", "values", "reply",  "gone",  "change"};
    sim_fault_t fault;
    fault.m_command = 99;
    std::string error;
    if (!parse_fault(p_text, fault, error)) {
        return fault.m_command == 99 ? error : "changed on failure";
    }
    return "cmd=" + std::to_string(fault.m_command) +
           " kind=" + (fault.m_by_kind ? command_kind_name(fault.m_kind) : "-") +
           " nth=" + std::to_string(fault.m_nth) + " " + actions[fault.m_action] + " " +
           std::to_string(fault.m_ms) + " [" + fault.m_text + "]";
}

TEST(SimFaultSyntax, ReadsSelectorAndActionOrSaysWhatIsWrong) {
    const std::string either =
        "a fault selects its commands by cmd=N or by kind=K, not both or "
        "neither";
    const std::string selector =
        "\": use cmd=N, or kind=LIST_DEV|INFO_EXT|TBOX_MEM_R|TBOX_MEM_W "
        "with nth=N and mac=MAC";
    const std::string action =
        "\": use failed, silent, close, gone, garbage, delay=MS, split=MS, "
        "values=TEXT, reply=TEXT or change=PAGE,TEXT";
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"cmd=12:delay=700", "cmd=12 kind=- nth=0 delay 700 []"},
        {"kind=TBOX_MEM_W,nth=3:failed", "cmd=0 kind=TBOX_MEM_W nth=3 failed 0 []"},
        {"kind=INFO_EXT:close", "cmd=0 kind=INFO_EXT nth=0 close 0 []"},
        {"cmd=2:garbage", "cmd=2 kind=- nth=0 garbage 0 []"},
        {"kind=TBOX_MEM_R:values=5,7", "cmd=0 kind=TBOX_MEM_R nth=0 values 0 [5,7]"},
        {"cmd=4:reply=INFO_EXT=a:b;", "cmd=4 kind=- nth=0 reply 0 [INFO_EXT=a:b;]"},
        {"cmd=5:change=17,Vox 2", "cmd=5 kind=- nth=0 change 17 [Vox 2]"},
        {"cmd=5:change=17", "bad action \"change=17" + action},
        {"failed", "a fault is SELECTOR:ACTION, e.g. kind=TBOX_MEM_W,nth=3:failed"},
        {":failed", either},
        {"cmd=1,kind=LIST_DEV:failed", either},
        {"nth=2:failed", "nth=N and mac=MAC need kind=K"},
        {"kind=TBOX_MEM_R,mac=M1,nth=2:silent", "cmd=0 kind=TBOX_MEM_R nth=2 silent 0 []"},
        {"cmd=0:failed", "bad selector \"cmd=0" + selector},
        {"kind=TBOX_MEM:failed", "bad selector \"kind=TBOX_MEM" + selector},
        {"cmd=1:delay=600000", "cmd=1 kind=- nth=0 delay 600000 []"},
        {"cmd=1:delay=-5", "delay needs milliseconds from 0 to 600000"},
        {"cmd=1:explode", "bad action \"explode" + action},
        {"cmd=1:failed=3", "bad action \"failed=3" + action},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(read_fault(c.first), c.second) << c.first;
    }
}

typedef sim_fixture SimFault;

TEST_F(SimFault, FaultsHitTheirCommandsAndCountWhenTheyFire) {
    m_sim.add_fault(fault_of("kind=TBOX_MEM_W,nth=2:failed"));
    m_sim.add_fault(fault_of("cmd=6:failed"));
    m_sim.add_fault(fault_of("cmd=1:values=9"));  // only a memory read has values
    // The second write naming another device, counted for it alone.
    m_sim.add_fault(fault_of("kind=TBOX_MEM_W,mac=00:1D:C1:0A:00:03,nth=2:failed"));
    const std::string other = "TBOX_MEM 00:1D:C1:0A:00:03;W;0,32,0;7";
    {
        std::unique_ptr<sim_client> first = greeted_client();
        EXPECT_EQ(first->exchange(write_command(30, 7)), written_answer);
        EXPECT_EQ(first->exchange(write_command(31, 7)), "TBOX_MEM=FAILED\r\n");
    }
    std::unique_ptr<sim_client> second = greeted_client();
    EXPECT_EQ(second->exchange(other), "TBOX_MEM=00:1D:C1:0A:00:03;OK\r\n");
    EXPECT_EQ(second->exchange(other), "TBOX_MEM=FAILED\r\n");
    EXPECT_EQ(second->exchange(write_command(32, 7)), written_answer);
    EXPECT_EQ(second->exchange("INFO_EXT x"), "INFO_EXT=FAILED\r\n");
    EXPECT_EQ(second->exchange("LIST_DEV"), G_listing);
    EXPECT_EQ(m_sim.read_page(M, 31)[0], 0);  // not carried out
    EXPECT_EQ(m_sim.read_page(M, 32)[0], 7);
    EXPECT_EQ(m_sim.fault_fired_counts(), std::vector<uint64_t>({1, 1, 0, 1}));
}

}  // namespace
