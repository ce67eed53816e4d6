// The device core against the simulated service in-process: a label area read by MAC
// without the registry (the failed page, values that are no bytes, a lower-case echo), and
// the view of the network with the identity of each name.
#include <cstdio>

#include "device_core/label_reading.h"
#include "device_core/network_view.h"
#include "device_registry/device_registry.h"
#include "sim_support.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

const std::string G_rm6x5_lower = "00:1d:c1:0a:00:01";

// The link of the process pointed at the fixture's simulator, closed at the end.
class DeviceCore : public sim_fixture {
  protected:
    void SetUp() override {
        sim_fixture::SetUp();
        link().set_service_port(m_sim.port());
    }
    void TearDown() override {
        link().close_ZELService_connection();
        link().set_service_port(socket_handle::default_port);
    }
    static socket_handle& link() { return zel_config_env::instance().zel_service; }
};

// 32 values of which one is p_odd: the others are 65.
std::string values_with(const std::string& p_odd) {
    std::string values = p_odd;
    for (int k = 0; k < 31; ++k) {
        values += ",65";
    }
    return values;
}

TEST_F(DeviceCore, ALabelAreaIsReadByMacOrTheFailedPageIsNamed) {
    struct row_t {
        const char* m_name;
        std::string m_fault;  // empty: none
        Status m_result;
        uint32_t m_failed_page;
    };
    // clang-format off
    const row_t rows[] = {
        {"no fault", "", SUCCESS, 0},
        {"the page index refused", "kind=TBOX_MEM_R,nth=1:failed", FAIL, 1},
        {"the start offset refused", "kind=TBOX_MEM_R,nth=2:failed", FAIL, 10},
        {"a value over 255", "kind=TBOX_MEM_R,nth=3:values=" + values_with("299"), FAIL, 14},
        {"32 empty values", "kind=TBOX_MEM_R,nth=3:values=" + std::string(31, ','), FAIL, 14},
        {"one value missing", "kind=TBOX_MEM_R,nth=4:values=" + values_with("").substr(1), FAIL, 15},
        {"the MAC echoed in lower case", "kind=TBOX_MEM_R,nth=1:reply=TBOX_MEM=" + G_rm6x5_lower + ";0,1,14;10",
         SUCCESS, 0},
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
        link().close_ZELService_connection();
        link().set_service_port(sim.port());
        label_location_t location;
        label_entries_t entries;
        uint32_t failed_page = 0;
        Status result = SUCCESS;
        capture_output([&] {
            result = read_label_location(G_rm6x5_mac, network, location, failed_page) == FAIL
                         ? FAIL
                         : read_label_area(G_rm6x5_mac, network, location, entries, failed_page);
        });
        EXPECT_EQ(result, r.m_result);
        EXPECT_EQ(failed_page, r.m_failed_page);
        if (!r.m_fault.empty()) {
            EXPECT_EQ(sim.fault_fired_counts(), std::vector<uint64_t>{1}) << "never fired";
        }
        if (result == SUCCESS) {
            EXPECT_EQ(location.m_page_index, 10);
            EXPECT_EQ(location.m_start_offset, 4);
            EXPECT_EQ(entry_texts(entries)[0].label, "Factory 01");
            EXPECT_EQ(entries[0].label, "Factory 01" + std::string(22, '\0'));  // whole fields
            EXPECT_TRUE(is_empty_entry(entry_texts(entries)[63]));
        }
    }
}

TEST_F(DeviceCore, TheNetworkViewAsksEachListedDeviceOnceAndTellsWhatANameMeans) {
    zel_service_sim& own = start_own(
        "network Hall\n"
        "Stage 02:00:00:00:00:01 5 2 3 10 4\n"
        "Radio 02:00:00:00:00:02 7 1 1 10 4\n"
        "Twin 02:00:00:00:00:03 5 2 3 10 4\n"
        "Twin 02:00:00:00:00:04 5 2 3 10 4\n"
        "Quiet 02:00:00:00:00:05 5 2 3 10 4\n");
    own.add_fault(
        fault_of("kind=LIST_DEV:reply=LIST_DEV=Hall;02:00:00:00:00:05,02:00:00:00:00:01,"
                 "02:00:00:00:00:01,02:00:00:00:00:02,02:00:00:00:00:03,"
                 "02:00:00:00:00:04"));
    own.add_fault(fault_of("kind=INFO_EXT,nth=1:silent"));
    link().set_service_port(own.port());
    network_view_t view;
    captured_t output = capture_output([&] { EXPECT_EQ(look_at_network(view), SUCCESS); });
    EXPECT_EQ(output.m_err, "Cmd failed (No respons)!\r\n");
    EXPECT_EQ(own.fault_fired_counts(), std::vector<uint64_t>({1, 1}));
    EXPECT_EQ(view.m_name, "Hall");
    std::string devices;
    for (const network_device_t& device : view.m_devices) {
        devices += device.m_identifier.substr(15) + (device.m_answered ? "+ " : "- ");
    }
    EXPECT_EQ(devices, "05- 01+ 02+ 03+ 04+ ");  // the repeated identifier asked once
    // clang-format off
    const std::tuple<std::string, name_state_t, std::string> names[] = {
        // name, what it means, the device's MAC or the devices under it
        {"Stage", NAME_FOUND, "02:00:00:00:00:01"},
        {"Radio", NAME_NOT_COMPATIBLE, "02:00:00:00:00:02"},
        {"Twin", NAME_AMBIGUOUS, "02:00:00:00:00:03 02:00:00:00:00:04"},
        {"Quiet", NAME_NOT_FOUND, ""},
        {"stage", NAME_NOT_FOUND, ""},
    };
    // clang-format on
    for (const auto& [name, state, macs] : names) {
        const name_lookup_t lookup = look_up_name(view, name);
        EXPECT_EQ(lookup.m_state, state) << name;
        std::string found = lookup.m_device != nullptr ? lookup.m_device->m_mac : "";
        if (state == NAME_AMBIGUOUS) {
            found = lookup.m_macs[0] + " " + lookup.m_macs[1];
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
    link().set_service_port(start_own(network).port());
    std::string name;
    std::string refusal;
    texts_t identifiers;
    EXPECT_EQ(list_network(name, identifiers, refusal), SUCCESS);
    ASSERT_EQ(identifiers.size(), 200000u);
    EXPECT_EQ(identifiers[1] + " " + identifiers.back(), "02:00:00:00:00:01 02:00:00:03:0D:3F");
}

}  // namespace
