#include <gtest/gtest.h>

#include "test_support.h"
#include "write_brimel_label/write_brimel_label.h"

namespace {

TEST(DeviceRecord, NewRecordDefaults) {
    const brimel_config_rm6x_device device;
    EXPECT_FALSE(device.is_KALDEN_RM6X_device());
    EXPECT_EQ(device.get_device_name(), "");
    EXPECT_EQ(device.get_zel_device_mac_adr(), "");
    EXPECT_EQ(device.m_cspr_page, -1);
    EXPECT_EQ(device.m_device_start_from_CSPR_offset, -1);
    EXPECT_EQ(device.m_mir, -1);
    EXPECT_EQ(device.m_pir, -1);
    EXPECT_EQ(device.m_fir, -1);
    EXPECT_EQ(device.get_cspr_page(), 255);
    EXPECT_EQ(device.get_device_start_from_cspr_offset(), 255);
    EXPECT_EQ(device.get_preset_list_size(), 0u);
    EXPECT_EQ(brimel_config_rm6x_device::max_preset_label, label_loader_conf::max_preset);
}

TEST(DeviceRecord, CompatibleOnlyWhenNamedWithMir5AndPir2) {
    struct compat_case_t {
        const char* m_name;
        int m_mir;
        int m_pir;
        int m_fir;
        bool m_compatible;
    };
    const compat_case_t cases[] = {
        {"Stage", 5, 2, -1, true}, {"Stage", 5, 2, 12345, true}, {"", 5, 2, 0, false},
        {"Stage", 5, 3, 0, false}, {"Stage", 4, 2, 0, false},    {"Stage", -1, -1, 0, false},
        {"Stage", 2, 5, 0, false},
    };
    for (const compat_case_t& c : cases) {
        brimel_config_rm6x_device device;
        device.set_device_name(c.m_name);
        device.m_mir = c.m_mir;
        device.m_pir = c.m_pir;
        device.m_fir = c.m_fir;
        EXPECT_EQ(device.is_KALDEN_RM6X_device(), c.m_compatible)
            << c.m_name << " " << c.m_mir << " " << c.m_pir;
    }
}

TEST(DeviceRecord, LocationGettersGiveTheLowByte) {
    brimel_config_rm6x_device device;
    device.m_cspr_page = 10;
    device.m_device_start_from_CSPR_offset = 300;
    EXPECT_EQ(device.get_cspr_page(), 10);
    EXPECT_EQ(device.get_device_start_from_cspr_offset(), 44);
}

TEST(DeviceRecord, PresetsKeptInCallOrderWithoutLimitOrDeduplication) {
    brimel_config_rm6x_device device;
    for (int k = 0; k < 70; ++k) {
        device.add_preset_label("L" + std::to_string(k), "D", "C" + std::to_string(k));
    }
    device.add_preset_label("L0", "D", "C0");
    ASSERT_EQ(device.get_preset_list_size(), 71u);
    EXPECT_EQ(device.preset_to_write[0].label, "L0");
    EXPECT_EQ(device.preset_to_write[0].device_id, "D");
    EXPECT_EQ(device.preset_to_write[0].channel_id, "C0");
    EXPECT_EQ(device.preset_to_write[69].label, "L69");
    EXPECT_EQ(device.preset_to_write[70].channel_id, "C0");
}

TEST(Registry, OneObjectForTheProcess) {
    zel_config_env& first = zel_config_env::instance();
    EXPECT_EQ(&first, &zel_config_env::instance());
    EXPECT_EQ(first.zel_cmd_path, "C:\\Progra~2\\Quentara\\ZEL-Monitor\\ZEL-CmdLine.exe");
    EXPECT_EQ(first.zel_cmd_path.size(), 48u);
    EXPECT_EQ(first.zel_cmd_opt, " -c");
}

TEST(Registry, StartRunEmptiesListsAndSetsTheFile) {
    zel_config_env& env = zel_config_env::instance();
    env.add_device("A").add_preset_label("l", "d", "c");
    env.found_net_device.push_back("00:11");
    env.current_line_number = 7;
    env.start_run("next.ini");
    EXPECT_TRUE(env.device_list.empty());
    EXPECT_TRUE(env.found_net_device.empty());
    EXPECT_EQ(env.current_line_number, 0u);
    EXPECT_EQ(env.current_file, "next.ini");
    EXPECT_EQ(env.find_device_by_name("A"), nullptr);
}

TEST(Registry, FindsTheFirstRecordOfAnExactName) {
    reset_registry();
    zel_config_env& env = zel_config_env::instance();
    env.add_device("KDX-RM6x5");
    EXPECT_EQ(env.find_device_by_name("KDX-RM6X5"), nullptr);
    // Records appended directly to the list are found all the same.
    brimel_config_rm6x_device direct;
    direct.set_device_name("KDX-RM6X5");
    env.device_list.push_back(direct);
    env.device_list.push_back(direct);
    ASSERT_NE(env.find_device_by_name("KDX-RM6X5"), nullptr);
    EXPECT_EQ(env.find_device_by_name("KDX-RM6X5"), &env.device_list[1]);
    env.device_list.clear();
    env.device_list.push_back(direct);
    EXPECT_EQ(env.find_device_by_name("KDX-RM6x5"), nullptr);
    EXPECT_EQ(env.find_device_by_name("KDX-RM6X5"), &env.device_list[0]);
}

}  // namespace
