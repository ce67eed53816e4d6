// The device core against the simulated service in-process: a label area read by MAC
// without the registry (the failed page, values that are no bytes, a lower-case echo), and
// the view of the network with the identity of each name.
#include <cstdio>

#include "device_core/label_reading.h"
#include "device_core/network_view.h"
#include "device_core/service_connections.h"
#include "sim_support.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

const std::string G_rm6x5_lower = "00:1d:c1:0a:00:01";

// A quiet link of the test's own, pointed at the fixture's simulator.
class DeviceCore : public sim_fixture {
  protected:
    void SetUp() override {
        sim_fixture::SetUp();
        m_link.keep_quiet();
        m_link.set_service_port(m_sim.port());
    }
    socket_handle m_link;
    service_connections m_links{m_link, 1};
};

// 32 values of which one is p_odd: the others are 65.
std::string values_with(const std::string& p_odd) {
    std::string values = p_odd;
    for (int k = 0; k < 31; ++k) {
        values += ",65";
    }
    return values;
}

// A label area read by MAC on a quiet link: read whole, or the read that failed named with how
// it ended, and nothing printed. A location byte is read as the writer reads it (its low 8
// bits); a byte of a name field must be one.
TEST_F(DeviceCore, ALabelAreaIsReadByMacOrTheFailedPageIsNamed) {
    struct row_t {
        const char* m_name;
        std::string m_fault;  // empty: none
        area_state_t m_state;
        uint32_t m_failed_page;
        command_end_t m_why;
    };
    const std::string read = "kind=TBOX_MEM_R,nth=";
    // clang-format off
    const row_t rows[] = {
        {"no fault", "", AREA_READ, 0, COMMAND_ANSWERED},
        {"the page index refused", read + "1:failed", AREA_NOT_READ, 1, COMMAND_REFUSED},
        {"the start offset silent", read + "2:silent", AREA_NOT_READ, 10, COMMAND_NO_ANSWER},
        {"the page index 266, whose low 8 bits are 10", read + "1:values=266", AREA_READ, 0, COMMAND_ANSWERED},
        {"a start offset of 0", read + "2:values=0", AREA_UNSAFE, 0, COMMAND_ANSWERED},
        {"two start offsets", read + "2:values=4,4", AREA_NOT_READ, 10, COMMAND_UNREADABLE},
        {"a name byte over 255", read + "3:values=" + values_with("299"), AREA_NOT_READ, 14, COMMAND_UNREADABLE},
        {"32 empty values", read + "3:values=" + std::string(31, ','), AREA_NOT_READ, 14, COMMAND_UNREADABLE},
        {"one value missing", read + "4:values=" + values_with("").substr(1), AREA_NOT_READ, 15, COMMAND_UNREADABLE},
        {"the MAC echoed in lower case", read + "1:reply=TBOX_MEM=" + G_rm6x5_lower + ";0,1,14;10", AREA_READ, 0,
         COMMAND_ANSWERED},
    };
    // clang-format on
    const zel_network_keys_t network = {G_rm6x5_mac};
    for (const row_t& r : rows) {
        SCOPED_TRACE(r.m_name);
        zel_service_sim sim;  // a fault counts the commands of its simulator from its start
        if (!r.m_fault.empty()) {
            sim.add_fault(fault_of(r.m_fault));
        }
        ASSERT_TRUE(sim.start(0));
        m_link.close_ZELService_connection();
        m_link.set_service_port(sim.port());
        area_read_t area;
        const captured_t output = capture_output([&] {
            area = read_device_area(m_link, network, {G_rm6x5_mac, {}});
        });
        EXPECT_EQ(output.m_out + output.m_err, "");
        EXPECT_EQ(area.m_state, r.m_state);
        EXPECT_EQ(area.m_failed_page, r.m_failed_page);
        EXPECT_EQ(area.m_why, r.m_why);
        if (!r.m_fault.empty()) {
            EXPECT_EQ(sim.fault_fired_counts(), std::vector<uint64_t>{1}) << "never fired";
        }
        if (area.m_state == AREA_READ) {
            EXPECT_EQ(area.m_location.m_page_index, 10);
            EXPECT_EQ(area.m_location.m_start_offset, 4);
            EXPECT_EQ(entry_texts(area.m_entries)[0].label, "Factory 01");
            EXPECT_EQ(area.m_entries[0].label, "Factory 01" + std::string(22, '\0'));  // whole
            EXPECT_TRUE(is_empty_entry(entry_texts(area.m_entries)[63]));
        }
    }
}

// A venue read side by side: each device read whole on one connection whatever the service
// does with the extra ones (one client at a time: not greeted, given up), and a device whose
// connection is lost read again from its start, on the link opened again or, when the
// service takes no new client, on another.
TEST_F(DeviceCore, AVenueIsReadSideBySideAndEachDeviceWhole) {
    struct row_t {
        const char* m_name;
        int m_clients;           // the service serves at once
        std::string m_fault;     // empty: none
        std::size_t m_accepted;  // connections the service took
        std::size_t m_commands;  // the commands the service received
        uint64_t m_connections;  // clients it accepted
    };
    const std::string lost = "kind=TBOX_MEM_R,mac=00:1D:C1:0A:00:03,nth=50:";
    // clang-format off
    const row_t rows[] = {
        {"4 clients at once", 4, "", 4, 4 * 194, 4},
        {"one client at a time", 1, "", 1, 4 * 194, 1},
        {"a connection closed while its device is read", 4, lost + "close", 4, 4 * 194 + 50, 5},
        {"the service lost for new clients with it", 4, lost + "gone", 4, 4 * 194 + 50, 4},
    };
    // clang-format on
    const std::vector<std::string> macs = {G_rm6x5_mac, "00:1D:C1:0A:00:02", "00:1D:C1:0A:00:03",
                                           "00:1D:C1:0A:00:04"};
    const zel_network_keys_t network(macs.begin(), macs.end());
    for (const row_t& r : rows) {
        SCOPED_TRACE(r.m_name);
        zel_service_sim sim;
        sim.set_clients(r.m_clients);
        if (!r.m_fault.empty()) {
            sim.add_fault(fault_of(r.m_fault));
        }
        ASSERT_TRUE(sim.start(0));
        socket_handle first;
        first.keep_quiet();
        first.set_service_port(sim.port());
        service_connections links(first, 4);
        ASSERT_TRUE(links.side_by_side(macs.size()));
        std::vector<area_read_t> reads;
        const captured_t output =
            capture_output([&] { reads = read_device_areas(links, network, whole_areas(macs)); });
        EXPECT_EQ(output.m_out + output.m_err, "");
        ASSERT_EQ(reads.size(), macs.size());
        for (const area_read_t& read : reads) {
            ASSERT_EQ(read.m_state, AREA_READ);
            EXPECT_EQ(entry_texts(read.m_entries)[1].label, "Factory 02");
        }
        EXPECT_EQ(links.accepted(), r.m_accepted);
        EXPECT_EQ(links.side_by_side(macs.size()), r.m_accepted > 1);
        EXPECT_EQ(sim.command_log().size(), r.m_commands);
        EXPECT_EQ(sim.connection_count(), r.m_connections);
        EXPECT_EQ(sim.fault_fired_counts(), std::vector<uint64_t>(r.m_fault.empty() ? 0 : 1, 1));
    }
}

TEST_F(DeviceCore, TheNetworkViewAsksEachListedDeviceOnceAndTellsWhatANameMeans) {
    zel_service_sim& own = start_own(
        "network Hall\n"
        "Stage 02:00:00:00:00:01 5 2 3 10 4\n"
        "Radio 02:00:00:00:00:02 7 1 1 10 4\n"
        "Twin 02:00:00:00:00:03 5 2 3 10 4\n"
        "Twin 02:00:00:00:00:04 5 2 3 10 4\n"
        "Quiet 02:00:00:00:00:05 5 2 3 10 4 info=\"1;0;5;2;3;8;8;1;0; FAILED\"\n"
        "Echo 02:00:00:00:00:0A 5 2 3 10 4\n");
    own.add_fault(
        fault_of("kind=LIST_DEV:reply=LIST_DEV=Hall;02:00:00:00:00:05,02:00:00:00:00:01,"
                 "02:00:00:00:00:01,02:00:00:00:00:02,02:00:00:00:00:03,"
                 "02:00:00:00:00:04,02:00:00:00:00:0A,02:00:00:00:00:0a"));
    // Quiet's refusal comes after its time-out, in Stage's exchange: Quiet's listed identifier
    // tells it late, and Stage is answered.
    own.add_fault(fault_of("kind=INFO_EXT,nth=1:delay=700"));
    // Echo, listed in two spellings, answers under the second as another model.
    own.add_fault(
        fault_of("kind=INFO_EXT,nth=7:reply=INFO_EXT=02:00:00:00:00:0a;Echo;1;0;7;1;3;8;8;1;0;"));
    m_link.set_service_port(own.port());
    network_view_t view;
    captured_t output = capture_output([&] { EXPECT_EQ(look_at_network(m_links, view), SUCCESS); });
    EXPECT_EQ(output.m_out + output.m_err, "");
    EXPECT_EQ(own.fault_fired_counts(), std::vector<uint64_t>({1, 1, 1}));
    EXPECT_EQ(view.m_name, "Hall");
    std::string devices;
    for (const network_device_t& device : view.m_devices) {
        devices += device.m_identifier.substr(15) + (device.m_answered ? "+ " : "- ");
    }
    EXPECT_EQ(devices, "05- 01+ 02+ 03+ 04+ 0A+ 0a+ ");  // the repeated identifier asked once
    // clang-format off
    const std::tuple<std::string, name_state_t, std::string> names[] = {
        // name, what it means, the device's MAC or the devices under it
        {"Stage", NAME_FOUND, "02:00:00:00:00:01"},
        {"Radio", NAME_NOT_COMPATIBLE, "02:00:00:00:00:02"},
        {"Twin", NAME_AMBIGUOUS, "02:00:00:00:00:03 02:00:00:00:00:04"},
        {"Quiet", NAME_NOT_FOUND, ""},
        {"stage", NAME_NOT_FOUND, ""},
        {"Echo", NAME_AMBIGUOUS, "02:00:00:00:00:0A"},
    };
    // clang-format on
    for (const auto& [name, state, macs] : names) {
        const name_lookup_t lookup = look_up_name(view, name);
        EXPECT_EQ(lookup.m_state, state) << name;
        std::string found = lookup.m_device != nullptr ? lookup.m_device->m_mac : "";
        for (std::size_t k = 0; state == NAME_AMBIGUOUS && k < lookup.m_identity.m_macs.size();
             ++k) {
            found += (k == 0 ? "" : " ") + lookup.m_identity.m_macs[k];
        }
        EXPECT_EQ(found, macs) << name;
    }
}

// The largest network a listing must carry: every identifier of 200,000 devices comes, in
// order, from a simulator that serves such a network.
TEST_F(DeviceCore, AListingOf200000DevicesComesWhole) {
    std::string network;
    char line[64];
    for (unsigned k = 0; k < 200000; ++k) {
        std::snprintf(line, sizeof(line), "D 02:00:00:%02X:%02X:%02X 2 5 2 10 4\n", k >> 16,
                      (k >> 8) & 255u, k & 255u);
        network += line;
    }
    m_link.set_service_port(start_own(network).port());
    std::string name;
    std::string refusal;
    texts_t identifiers;
    EXPECT_EQ(list_network(m_link, name, identifiers, refusal), COMMAND_ANSWERED);
    ASSERT_EQ(identifiers.size(), 200000u);
    EXPECT_EQ(identifiers[1] + " " + identifiers.back(), "02:00:00:00:00:01 02:00:00:03:0D:3F");
}

}  // namespace
