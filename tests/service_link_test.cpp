// The service link: answer lines cut from received bytes, and the link against scripted
// peers on loopback (greeting, exact command bytes, answer collection, failures,
// reconnection).
#include <algorithm>

#include "platform/clock.h"
#include "unit_support.h"
#include "zel_socket_handler/zel_socket_handler.h"

namespace {

TEST(LineCollector, JoinsLinesAcrossReceives) {
    // clang-format off
    const std::pair<texts_t, texts_t> cases[] = {
        // chunks received, lines taken
        {{"A=1\r\nB=2\r\n"}, {"A=1\r\n", "B=2\r\n"}},   {{"A=", "1\r\n"}, {"A=1\r\n"}},
        {{"A=1\r", "\nB"}, {"A=1\r\n"}},                {{"A", "=", "1", "\r", "\n"}, {"A=1\r\n"}},
        {{"A=1\nB\rC\r\n"}, {"A=1\nB\rC\r\n"}},          // LF or CR alone ends no line
        {{std::string("A\0B\r\n", 5)}, {std::string("A\0B\r\n", 5)}},
        {{"\r\n\r\n"}, {"\r\n", "\r\n"}},
    };
    // clang-format on
    for (const auto& c : cases) {
        line_collector collector;
        texts_t lines;
        std::string line;
        for (const std::string& chunk : c.first) {
            collector.append(chunk.data(), chunk.size());
            while (collector.take_line(line)) {
                lines.push_back(line);
            }
        }
        EXPECT_EQ(lines, c.second) << c.first[0];
    }
}

TEST(LineCollector, LineOverTheLimitOverflows) {
    line_collector collector;
    const std::string big(line_collector::max_line_length, 'x');
    collector.append(big.data(), big.size());
    EXPECT_FALSE(collector.overflowed());
    collector.append("y\r\n", 3);
    std::string line;
    EXPECT_FALSE(collector.take_line(line));
    EXPECT_TRUE(collector.overflowed());
    collector.clear();
    EXPECT_FALSE(collector.overflowed());
    collector.append(big.data(), big.size() - 2);
    collector.append("\r\n", 2);
    EXPECT_TRUE(collector.take_line(line));
    EXPECT_EQ(line.size(), big.size());
}

struct exchange_t {
    bool m_ok = false;
    std::string m_answer;
    std::string m_word;
    captured_t m_output;
};

// One command through the link (opened first if need be), with what it printed.
exchange_t exchange(socket_handle& p_link, const std::string& p_cmd, time_t p_timeout = 2000,
                    bool p_first_line_completes = true, const zel_echo_rule_t& p_echo = {},
                    int64_t p_limit_ms = 0) {
    exchange_t result;
    answer_rule_t rule;
    rule.m_first_line_completes = p_first_line_completes;
    rule.m_echo = p_echo;
    rule.m_limit_ms = p_limit_ms;
    result.m_output = capture_output([&] {
        if (p_link.checkinit_ZELService_connection()) {
            result.m_ok = p_link.ZEL_cmd_WR(p_cmd, result.m_answer, result.m_word, p_timeout, rule);
        }
    });
    return result;
}

// The devices of the network the scripted peers play.
const zel_network_keys_t G_network = {"A", "B", "M"};

// What an answer must echo: the device, and for a read the location (slot 0).
zel_echo_rule_t echo(zel_echo_t p_echo, const std::string& p_device, uint32_t p_page = 0,
                     uint32_t p_offset = 0) {
    zel_echo_rule_t rule;
    rule.m_network = &G_network;
    rule.m_echo = p_echo;
    rule.m_device = p_device;
    rule.m_page = p_page;
    rule.m_offset = p_offset;
    return rule;
}

// A link to p_service; closed at the end of the scope so that the peer's script ends.
struct test_link {
    explicit test_link(const scripted_service& p_service) {
        m_link.set_service_port(p_service.port());
    }
    ~test_link() { m_link.close_ZELService_connection(); }
    socket_handle m_link;
};

const std::string connected = std::string(test_greeting) + "\r\nZEL-Service Connected.\r\n";

// A greeting in pieces after other text is joined, its line ended by CR LF or by LF alone;
// the first command goes out exactly, and soon after the greeting line: a bound far above
// the quiet time and far below the 2 s a silent service gets.
TEST(ServiceLink, GreetingThenExactCommandBytesWellWithinTheOldWait) {
    for (const std::string line_end : {"\r\n", "\n"}) {
        std::string received;
        int64_t greeted_to_command_ms = -1;
        {
            scripted_service service([&](platform::socket_t p_sock, int) {
                send_text(p_sock, "banner" + line_end + "Welcome to Quen");
                platform::sleep_ms(300);
                send_text(p_sock, "tara ZEL-Service" + line_end);
                const int64_t greeted = platform::monotonic_ms();
                received = receive_command(p_sock);
                greeted_to_command_ms = platform::monotonic_ms() - greeted;
                send_text(p_sock, "TBOX_MEM=00:01;OK\r\n");
                receive_command(p_sock);  // until the link closes
            });
            test_link link(service);
            const exchange_t ex = exchange(link.m_link, "TBOX_MEM 00:01;W;0,7,0;65,66,0");
            EXPECT_TRUE(ex.m_ok);
            EXPECT_EQ(ex.m_answer, "TBOX_MEM=00:01;OK\r\n");
            EXPECT_EQ(ex.m_word, "TBOX_MEM");
            EXPECT_EQ(ex.m_output.m_out, "banner" + line_end + "Welcome to Quentara ZEL-Service" +
                                             line_end + "\r\nZEL-Service Connected.\r\n");
            EXPECT_EQ(ex.m_output.m_err, "");
        }
        EXPECT_EQ(received, "TBOX_MEM 00:01;W;0,7,0;65,66,0");
        EXPECT_LT(greeted_to_command_ms, 500);
    }
    // On a terminal its line ends stay line ends; any other control byte is shown.
    EXPECT_EQ(greeting_as_shown("a\nb\r\n\rc\x1b").shown(true), "a\nb\r\n^Mc^[");
}

struct answer_case_t {
    const char* m_name;
    std::string m_command;  // a listing collects several lines, the others one
    zel_echo_rule_t m_echo;
    texts_t m_sends;       // sent one after the other, 50 ms apart
    std::string m_answer;  // "FAIL: " and how it ended when the exchange fails
    std::string m_err;
};

TEST(ServiceLink, AnswerCollection) {
    const std::string no_answer = "Cmd failed (No respons)!\r\n";
    const std::string read = "TBOX_MEM m;R;0,1,14,1";
    std::string biggest;  // 200 lines of 40,000 bytes: an answer of exactly the limit
    while (biggest.size() < zel_answer_max_length) {
        biggest += "LIST_DEV=n;" + std::string(40000 - 13, 'a') + "\r\n";
    }
    const std::string flood = biggest + "GARBAGE\r\n";
    const zel_echo_rule_t none;
    const zel_echo_rule_t device = echo(ZEL_ECHO_DEVICE, "M");
    const zel_echo_rule_t location = echo(ZEL_ECHO_LOCATION, "m", 1, 14);
    const zel_echo_rule_t named = echo(ZEL_ECHO_DEVICE_IF_NAMED, "b");
    const std::string write = "TBOX_MEM b;W;0,1,0;0";
    // clang-format off
    const answer_case_t cases[] = {
        {"garbage, another command's and another device's lines dropped", "INFO_EXT M", device,
         {"GARBAGE 1234\r\nLIST_DEV=n;a\r\nINFO_EXT=x;y;\r\n", "INFO_EXT=m;y;\r\n"}, "INFO_EXT=m;y;\r\n", ""},
        {"FAILED line fails silently", write, named, {"TBOX_MEM=FAILED\r\n"}, "FAIL: refused by the service", ""},
        {"line without its end is no answer", "INFO_EXT M", device, {"INFO_EXT=M;x;"}, "FAIL: no answer", no_answer},
        {"an answer whose first piece is one byte", "INFO_EXT M", device, {"I", "NFO_EXT=M;y;\r\n"}, "INFO_EXT=M;y;\r\n", ""},
        {"listing lines 50 ms apart", "LIST_DEV", none, {"LIST_DEV=n;a,b\r\n", "LIST_DEV=n;c\r\n"},
         "LIST_DEV=n;a,b\r\nLIST_DEV=n;c\r\n", ""},
        {"first line completes a memory answer", read, location,
         {"TBOX_MEM=m;0,1,14;5\r\nTBOX_MEM=m;0,1,14;6\r\n"}, "TBOX_MEM=m;0,1,14;5\r\n", ""},
        {"answer of exactly the limit", "LIST_DEV", none, {biggest}, biggest, ""},
        {"answer line over 64 KiB", "INFO_EXT M", device, {"INFO_EXT=" + std::string(70000, 'x') + "\r\n"},
         "FAIL: an answer too long", "Cmd failed (answer line over 65536 bytes)!\r\n"},
        {"answer over the limit", "LIST_DEV", none, {flood}, "FAIL: an answer too long",
         "Cmd failed (answer over 8000000 bytes)!\r\n"},
    };
    // clang-format on
    for (const answer_case_t& c : cases) {
        SCOPED_TRACE(c.m_name);
        scripted_service service([&](platform::socket_t p_sock, int) {
            send_text(p_sock, test_greeting);
            receive_command(p_sock);
            for (const std::string& text : c.m_sends) {
                send_text(p_sock, text);
                platform::sleep_ms(50);
            }
            receive_command(p_sock);
        });
        test_link link(service);
        const exchange_t ex =
            exchange(link.m_link, c.m_command, 300, c.m_command != "LIST_DEV", c.m_echo);
        EXPECT_EQ(ex.m_ok ? ex.m_answer
                          : std::string("FAIL: ") + command_end_words(link.m_link.last_end()),
                  c.m_answer);
        EXPECT_EQ(ex.m_output.m_err, c.m_err);
    }
}

TEST(ServiceLink, MalformedOrOverlongCommandIsNeverSent) {
    std::string received = "not set";
    {
        scripted_service service([&](platform::socket_t p_sock, int) {
            send_text(p_sock, test_greeting);
            received = receive_command(p_sock, 1500);
        });
        test_link link(service);
        const std::string overlong = "TBOX_MEM " + std::string(2039, 'x');  // 2048 bytes
        for (const std::string& line : {std::string("LIST_DEV "), std::string(" "), overlong}) {
            const exchange_t ex = exchange(link.m_link, line);
            EXPECT_FALSE(ex.m_ok);
            EXPECT_EQ(ex.m_output.m_err, "Send cmd [" + line + "] syntax error !\r\n");
            EXPECT_STREQ(command_end_words(link.m_link.last_end()),
                         "the command could not be sent");
        }
        const exchange_t empty = exchange(link.m_link, "");
        EXPECT_TRUE(empty.m_ok);
        EXPECT_EQ(empty.m_answer, "");
    }
    EXPECT_EQ(received, "");
}

// What arrived before a command was sent is a late answer to an earlier one: dropped even
// when nothing else would tell it from the answer (here the link checks no echo).
TEST(ServiceLink, LateAnswerIsDroppedBeforeTheNextCommand) {
    scripted_service service([&](platform::socket_t p_sock, int) {
        send_text(p_sock, test_greeting);
        receive_command(p_sock);
        platform::sleep_ms(400);  // answers after the link gave up
        send_text(p_sock, "TBOX_MEM=m;0,1,14;9\r\n");
        receive_command(p_sock);
        send_text(p_sock, "TBOX_MEM=m;0,9,18;3\r\n");
        receive_command(p_sock);
    });
    test_link link(service);
    const exchange_t first = exchange(link.m_link, "TBOX_MEM m;R;0,1,14,1", 200);
    EXPECT_FALSE(first.m_ok);
    EXPECT_EQ(first.m_output.m_err, "Cmd failed (No respons)!\r\n");
    EXPECT_TRUE(link.m_link.IsDataAvailable(0, 2000));  // the late answer is waiting now
    EXPECT_EQ(exchange(link.m_link, "TBOX_MEM m;R;0,9,18,1").m_answer, "TBOX_MEM=m;0,9,18;3\r\n");
}

TEST(ServiceLink, AnIdleLinkClosedByTheServiceIsOpenedAgainForTheNextCommand) {
    texts_t received;
    {
        scripted_service service(
            [&](platform::socket_t p_sock, int) {
                send_text(p_sock, test_greeting);
                received.push_back(receive_command(p_sock));
                send_text(p_sock, "INFO_EXT=M;x;\r\n");
            },  // the first connection then closes
            2);
        test_link link(service);
        EXPECT_TRUE(exchange(link.m_link, "INFO_EXT M").m_ok);
        platform::sleep_ms(200);  // the close has arrived
        const exchange_t second = exchange(link.m_link, "INFO_EXT M");
        EXPECT_TRUE(second.m_ok);
        EXPECT_EQ(second.m_output.m_out, connected);
        EXPECT_EQ(second.m_output.m_err, "");
    }
    EXPECT_EQ(received, texts_t({"INFO_EXT M", "INFO_EXT M"}));
}

TEST(ServiceLink, AListingEndsAtItsLimitWhateverStillTrickles) {
    scripted_service service([&](platform::socket_t p_sock, int) {
        send_text(p_sock, test_greeting);
        receive_command(p_sock);
        for (int k = 0; k < 40; ++k) {  // a line every 50 ms for 2 s, within the quiet time
            send_text(p_sock, "LIST_DEV=n;a\r\n");
            platform::sleep_ms(50);
        }
        receive_command(p_sock);
    });
    test_link link(service);
    const exchange_t ex = exchange(link.m_link, "LIST_DEV", 2000, false, {}, 300);
    EXPECT_TRUE(ex.m_ok);
    const std::size_t lines = std::count(ex.m_answer.begin(), ex.m_answer.end(), '\n');
    EXPECT_GE(lines, 1u);
    EXPECT_LT(lines, 40u);
}

// A service that cannot be reached is said with where the link looked, why it failed and
// what to start; the link tells that it never reached the service, and why.
TEST(ServiceLink, AServiceNeverReachedIsSaidWithItsAddressAndReason) {
    socket_handle link;
    scripted_service hang_up([](platform::socket_t, int) {});
    for (const uint16_t port : {unused_port(), hang_up.port()}) {
        link.set_service_port(port);
        const exchange_t ex = exchange(link, "LIST_DEV");
        EXPECT_TRUE(!ex.m_ok && !link.ever_reached() && link.open_failed());
        EXPECT_EQ(
            ex.m_output.m_err,
            "ZEL-Service connection failed!\r\nZEL-Service not reached at 127.0.0.1:" +
                std::to_string(port) + " (" + link.open_failure() +
                "): start the device-management service, or zel_service_sim to rehearse.\r\n");
    }
    EXPECT_EQ(link.open_failure(), "it closed the connection during its greeting");
}

}  // namespace
