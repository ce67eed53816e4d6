// The tool against a misbehaving service: one row per fault, each with the messages, the
// exit status, what the two target devices hold afterwards, and proof that its fault fired.
// The run is killed after a minute: every row must end within its deadlines.
#include "e2e_support.h"

namespace {

// KDX-RM6X5 comes first: the section makes the record of its last name at once.
const std::string two_devices = "[NEW-DEVICE1, KDX-RM6X5]\nA = b@c\nD = e@f\n";
const std::string confirm_two =
    confirm_screen(device_line(1, G_rm6x5) + device_line(2, G_new1)) + "Write labels:\r\n\r\n";
const std::string no_answer = "Cmd failed (No respons)!\r\n";
const std::string erase_rm6x5 = "Erase KDX-RM6X5's old labels...";
const std::string rm6x5_failed =
    "KDX-RM6X5's labels writting process failed, check device connection.\r\n";
const std::string erase_failed = " FAILED\r\n" + rm6x5_failed;
const std::string transfer_rm6x5 = " OK\r\nRunning transfer of KDX-RM6X5's new labels...";
const std::string both_written = confirm_two + written(G_rm6x5) + written(G_new1) + "Done\r\n";
const std::string new1_written = written(G_new1) + "Done\r\n";
const std::string not_found = "Warning: those devices were not found on the network:\r\n";
const std::string rm6x5_area = "KDX-RM6X5's label area: ";
const std::string gone =
    "ZEL-Service connection failed!\r\nZEL-Service not reached at 127.0.0.1:7000 (<reason>): "
    "start the device-management service, or zel_service_sim to rehearse.\r\n";

// The first two preset entries of a device afterwards.
const std::string presets_written = "A|c|b D|f|e";
const std::string area_erased = "|| ||";
const std::string factory = "Factory 01|FACTORY|Ch 01 Factory 02|FACTORY|Ch 02";

struct fault_row_t {
    std::string m_name;
    texts_t m_faults;
    bool m_greeting = true;
    std::string m_out;  // after the "Opening file" line
    std::string m_err;
    int m_status = 0;
    std::string m_rm6x5 = presets_written;
    std::string m_new1 = presets_written;
    std::size_t m_commands = 0;  // commands the service received; 0: not looked at

    fault_row_t& faults(const texts_t& p_faults) { return m_faults = p_faults, *this; }
    fault_row_t& no_greeting() { return m_greeting = false, *this; }
    fault_row_t& out(const std::string& p_out) { return m_out = p_out, *this; }
    fault_row_t& err(const std::string& p_err) { return m_err = p_err, *this; }
    fault_row_t& status(int p_status) { return m_status = p_status, *this; }
    fault_row_t& rm6x5(const std::string& p_entries) { return m_rm6x5 = p_entries, *this; }
    fault_row_t& new1(const std::string& p_entries) { return m_new1 = p_entries, *this; }
    fault_row_t& commands(std::size_t p_count) { return m_commands = p_count, *this; }
};

fault_row_t row(const std::string& p_name) {
    fault_row_t r;
    r.m_name = p_name;
    return r;
}

std::string first_entries(const zel_service_sim& p_sim, const sim_target_t& p_target) {
    const texts_t entries = label_area(p_sim, p_target, 2);
    return entries[0] + " " + entries[1];
}

TEST(Faults, TableOfServiceFaults) {
    // clang-format off
    const fault_row_t rows[] = {
        row("no greeting").no_greeting().out(both_written),
        row("connection closed during the listing").faults({"kind=LIST_DEV:close"})
            .out(G_greeting + "Done\r\n").status(1).rm6x5(factory).new1(factory)
            .err(no_answer + not_found + "\tdevice 1: KDX-RM6X5\r\n\tdevice 2: NEW-DEVICE1\r\n\r\n"
                 "No matching KALDEN-RM6X devices.\r\n"),
        row("connection closed during the information requests").faults({"kind=INFO_EXT,nth=1:close"})
            .out(G_greeting + G_greeting + confirm_screen(device_line(1, G_new1)) +
                 "Write labels:\r\n\r\n" + new1_written)
            .err(no_answer + not_found + "\tdevice 1: KDX-RM6X5\r\n\r\n").rm6x5(factory),
        row("the service gone for good during the information requests").faults({"kind=INFO_EXT,nth=3:gone"})
            .out(G_greeting + confirm_screen(device_line(1, G_rm6x5)) + "Write labels:\r\n\r\n" + erase_rm6x5 + "Done\r\n")
            .err(no_answer + gone + "Warning: ZEL-Service cannot be reached any more: the devices not asked yet are "
                 "taken as not found.\r\n" + not_found + "\tdevice 1: NEW-DEVICE1\r\n\r\n" + gone + erase_failed)
            .status(1).rm6x5(factory).new1(factory),
        row("connection closed during a write").faults({"kind=TBOX_MEM_W,nth=195:close"})
            .out(G_greeting + confirm_two + erase_rm6x5 + transfer_rm6x5 + G_greeting + new1_written)
            .err(no_answer + rm6x5_failed + rm6x5_area + "entry 1 partly written, entries 2 to 64 empty.\r\n")
            .status(1).rm6x5("A|c| ||"),
        row("FAILED at the first read").faults({"kind=TBOX_MEM_R,nth=1:failed"})
            .out(G_greeting + confirm_two + erase_rm6x5 + new1_written)
            .err(erase_failed).status(1).rm6x5(factory),
        row("FAILED at the 100th erase").faults({"kind=TBOX_MEM_W,nth=100:failed"})
            .out(G_greeting + confirm_two + erase_rm6x5 + new1_written).status(1).rm6x5(area_erased)
            .err(erase_failed + rm6x5_area +
                 "entries 1 to 33 erased, entry 34 partly erased, entries 35 to 64 unchanged.\r\n"),
        row("FAILED at a write").faults({"kind=TBOX_MEM_W,nth=194:failed"})
            .out(G_greeting + confirm_two + erase_rm6x5 + transfer_rm6x5 + new1_written)
            .err(rm6x5_failed + rm6x5_area + "entry 1 partly written, entries 2 to 64 empty.\r\n")
            .status(1).rm6x5("A|| ||"),
        row("a start-offset answer 50 ms late").faults({"kind=TBOX_MEM_R,nth=2:delay=50"}).out(G_greeting + both_written),
        row("three silent devices listed before the targets")
            .faults({"kind=LIST_DEV:reply=LIST_DEV=Net;00:1D:C1:0B:00:01,00:1D:C1:0C:00:01,"
                     "00:1D:C1:0C:00:02,00:1D:C1:0A:00:01,00:1D:C1:0A:00:03",
                     "kind=INFO_EXT,nth=1:silent", "kind=INFO_EXT,nth=2:silent",
                     "kind=INFO_EXT,nth=3:silent"})
            .out(G_greeting + both_written).err(no_answer + no_answer + no_answer),
        row("a listing that repeats one identifier")
            .faults({"kind=LIST_DEV:reply=LIST_DEV=Net;00:1D:C1:0A:00:01,00:1D:C1:0A:00:01,00:1D:C1:0A:00:01"})
            .out(G_greeting + confirm_screen(device_line(1, G_rm6x5)) + "Write labels:\r\n\r\n" +
                 written(G_rm6x5) + "Done\r\n")
            .err(not_found + "\tdevice 1: NEW-DEVICE1\r\n\r\n").new1(factory).commands(2 + 2 + 192 + 6),
        row("a start offset of zero would put the label area on page P").faults({"kind=TBOX_MEM_R,nth=2:values=0"})
            .out(G_greeting + confirm_two + erase_rm6x5 + new1_written).status(1).rm6x5(factory)
            .err(erase_failed + "KDX-RM6X5's label area (page index 10, start offset 0) would cover its "
                 "own location bytes: nothing was erased or written.\r\n"),
    };
    // clang-format on
    const std::string file = write_temp_file("faults.ini", two_devices);
    for (const fault_row_t& r : rows) {
        SCOPED_TRACE(r.m_name);
        zel_service_sim sim;
        for (const std::string& text : r.m_faults) {
            sim.add_fault(fault_of(text));
        }
        sim.set_greeting(r.m_greeting, 1, 0);
        ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
        const platform::process_result_t res = run_tool({file}, "y\n");
        EXPECT_EQ(res.m_stdout, launch() + opening(file) + r.m_out);
        EXPECT_EQ(reason_hidden(res.m_stderr), r.m_err);
        EXPECT_EQ(res.m_exit_status, r.m_status);
        EXPECT_EQ(first_entries(sim, G_rm6x5), r.m_rm6x5);
        EXPECT_EQ(first_entries(sim, G_new1), r.m_new1);
        EXPECT_EQ(sim.violations(), texts_t());
        if (r.m_commands != 0) {
            EXPECT_EQ(sim.command_log().size(), r.m_commands);
        }
        const std::vector<uint64_t> fired = sim.fault_fired_counts();
        for (std::size_t k = 0; k < fired.size(); ++k) {
            EXPECT_GT(fired[k], 0u) << r.m_faults[k] << " never fired";
        }
        sim.stop();
    }
}

}  // namespace
