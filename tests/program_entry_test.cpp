// The entry and the registry without a process around them: an argument count the
// command line cannot give, a write to a closed pipe, and a label area whose location was
// never read.
#include <cstdlib>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "platform/program.h"
#include "read_brimel_label/read_brimel_label.h"
#include "unit_support.h"
#include "write_brimel_label/write_brimel_label.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

TEST(ProgramEntry, NoArgumentAtAllIsAnError) {
    int status = -1;
    const captured_t got = capture_output([&] { status = write_brimel_label_main({}); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(got.m_out, "");
    EXPECT_EQ(got.m_err, "Unknow error\r\n\r\nFailed, exit now\r\n");
}

#ifndef _WIN32
// Every program starts ready for a reader that went away: a write to a closed pipe fails
// instead of ending the program.
TEST(ProgramEntry, AWriteToAClosedPipeFailsInsteadOfEndingTheProgram) {
    char* argv[] = {const_cast<char*>("program"), nullptr};
    const auto body = [](const std::vector<std::string>&) {
        int ends[2] = {-1, -1};
        return pipe(ends) == 0 && close(ends[0]) == 0 && write(ends[1], "x", 1) == -1 ? 0 : 1;
    };
    EXPECT_EXIT(std::exit(platform::run_program(1, argv, body)), testing::ExitedWithCode(0), "");
}
#endif

// What the reader's options ask together must make one job; the rules of the command line
// itself are the shared parser's.
TEST(ReadOptions, ACommandLineMakesOneJobOrSaysWhyNot) {
    // clang-format off
    const std::pair<texts_t, std::string> refused[] = {
        // arguments, why
        {{"--force"}, "--force goes with -o or --capture"},
        {{"--verify", "f.ini", "Stage"}, "--verify takes its devices from its file and writes no backup"},
        {{"--capture", "v.txt", "--verify", "f.ini"}, "--capture reads every device and writes only its file"},
        {{"--list", "-o", "x"}, "--list lists the whole network and writes no file"},
        {{"--json", "Stage"}, "--json goes with --list or --verify"},
        {{"--list", "--list"}, "--list is given twice"},
    };
    // clang-format on
    for (const auto& [args, why] : refused) {
        read_options_t options;
        std::string what;
        EXPECT_FALSE(parse_read_options(args, options, what)) << why;
        EXPECT_EQ(what, why);
    }
    read_options_t options;
    std::string what;
    EXPECT_TRUE(
        parse_read_options({"A", "-o", "-", "--force", "--", "-B", "--force"}, options, what));
    EXPECT_EQ(options.m_devices, texts_t({"A", "-B", "--force"}));
    EXPECT_EQ(options.m_output, "-");
    EXPECT_TRUE(options.m_force);
    read_options_t verify;
    EXPECT_TRUE(parse_read_options({"--verify", "--json", "f.ini"}, verify, what));
    EXPECT_EQ(verify.m_verify + " " + std::to_string(verify.m_json), "f.ini 1");
}

TEST(LabelMemory, EraseAndWriteRefuseUnreadLocationBytesWithoutSendingAnything) {
    reset_registry();
    zel_config_env& env = zel_config_env::instance();
    env.zel_service.set_service_port(unused_port());  // a command would print its failure
    brimel_config_rm6x_device& device = env.add_device("Stage");
    device.set_zel_device_mac_adr("m");
    device.m_mir = 5;
    device.m_pir = 2;
    device.add_preset_label("L", "d", "c");
    ASSERT_EQ(device.get_preset_list_size(), 1u);
    for (int page : {-1, 10}) {
        device.m_cspr_page = page;  // the start offset stays unread
        const captured_t got = capture_output([&] {
            EXPECT_EQ(device.intialize_device_label_in_device(), FAIL);
            EXPECT_EQ(device.write_preset_label_in_device(), FAIL);
        });
        EXPECT_EQ(got.m_out + got.m_err, "");
    }
    env.zel_service.set_service_port(socket_handle::default_port);
}

// The reading programs' guard: once memory writes are refused, a write fails before anything
// is sent. In a child process, since the refusal lasts as long as the process.
TEST(LabelMemory, AWriteRefusedForTheProcessIsNeverSent) {
    EXPECT_EXIT(
        {
            zel_config_env::instance().zel_service.set_service_port(unused_port());
            socket_handle link;  // not quiet: an attempt would say the service is down
            link.set_service_port(unused_port());
            refuse_memory_writes();
            const bool refused = write_zel_comand("m", 0, 14, 0, "A") == FAIL &&
                                 write_memory_bytes(link, "m", {}, 14, 0, "A") == COMMAND_NOT_SENT;
            std::exit(refused ? 0 : 1);
        },
        testing::ExitedWithCode(0), "^$");  // an attempt would say the service is down
}

}  // namespace
