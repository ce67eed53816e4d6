// The service link against scripted peers on loopback: greeting, exact command bytes,
// answer collection across receives, failures and reconnection.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "scripted_service.h"
#include "test_support.h"
#include "zel_socket_handler/zel_socket_handler.h"

namespace {

typedef std::vector<std::string> lines_t;

lines_t collect_lines(const std::vector<std::string>& p_chunks) {
    line_collector collector;
    lines_t lines;
    std::string line;
    for (const std::string& chunk : p_chunks) {
        collector.append(chunk.data(), chunk.size());
        while (collector.take_line(line)) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST(LineCollector, JoinsLinesAcrossReceives) {
    struct chunk_case_t {
        const char* m_name;
        std::vector<std::string> m_chunks;
        lines_t m_lines;
    };
    const chunk_case_t cases[] = {
        {"one line", {"A=1\r\n"}, {"A=1\r\n"}},
        {"two lines in one chunk", {"A=1\r\nB=2\r\n"}, {"A=1\r\n", "B=2\r\n"}},
        {"line split in two", {"A=", "1\r\n"}, {"A=1\r\n"}},
        {"CR LF split", {"A=1\r", "\nB"}, {"A=1\r\n"}},
        {"byte by byte", {"A", "=", "1", "\r", "\n"}, {"A=1\r\n"}},
        {"partial line waits", {"A=1\r\nB=", "2"}, {"A=1\r\n"}},
        {"LF alone ends no line", {"A=1\nB=2\r\n"}, {"A=1\nB=2\r\n"}},
        {"CR alone ends no line", {"A\rB\r\n"}, {"A\rB\r\n"}},
        {"zero bytes are data", {std::string("A\0B\r\n", 5)}, {std::string("A\0B\r\n", 5)}},
        {"empty lines", {"\r\n\r\n"}, {"\r\n", "\r\n"}},
    };
    for (const chunk_case_t& c : cases) {
        SCOPED_TRACE(c.m_name);
        EXPECT_EQ(collect_lines(c.m_chunks), c.m_lines);
    }
}

TEST(LineCollector, ManyLinesKeepTheirOrder) {
    std::vector<std::string> chunks;
    lines_t expected;
    std::string stream;
    for (int k = 0; k < 5000; ++k) {
        const std::string line = "L=" + std::to_string(k) + "\r\n";
        expected.push_back(line);
        stream += line;
    }
    for (std::size_t at = 0; at < stream.size(); at += 7) {
        chunks.push_back(stream.substr(at, 7));
    }
    EXPECT_EQ(collect_lines(chunks), expected);
}

TEST(LineCollector, LineOverTheLimitOverflows) {
    line_collector collector;
    const std::string big(line_collector::max_line_length, 'x');
    collector.append(big.data(), big.size());
    EXPECT_FALSE(collector.overflowed());
    collector.append("y", 1);
    EXPECT_TRUE(collector.overflowed());
    collector.append("\r\n", 2);
    std::string line;
    EXPECT_FALSE(collector.take_line(line));
    EXPECT_TRUE(collector.overflowed());
    collector.clear();
    EXPECT_FALSE(collector.overflowed());
    const std::string limit = big + "\r\n";
    collector.append(limit.data(), limit.size());
    EXPECT_TRUE(collector.take_line(line));
    EXPECT_EQ(line.size(), limit.size());
}

// A link pointed at a scripted peer; what it prints is captured.
struct exchange_t {
    bool m_ok = false;
    std::string m_answer;
    std::string m_word;
    captured_t m_output;
};

exchange_t exchange(socket_handle& p_link, const std::string& p_cmd, time_t p_timeout = 2000,
                    bool p_first_line_completes = true, const std::string& p_head = "") {
    exchange_t result;
    answer_rule_t rule;
    rule.m_first_line_completes = p_first_line_completes;
    rule.m_head = p_head;
    result.m_output = capture_output([&] {
        if (p_link.checkinit_ZELService_connection()) {
            result.m_ok = p_link.ZEL_cmd_WR(p_cmd, result.m_answer, result.m_word, p_timeout, rule);
        }
    });
    return result;
}

const std::string connected = std::string(test_greeting) + "\r\nZEL-Service Connected.\r\n";

TEST(ServiceLink, GreetingThenExactCommandBytes) {
    std::string received;
    {
        scripted_service service([&](platform::socket_t p_sock, int) {
            send_text(p_sock, test_greeting);
            received = receive_command(p_sock);
            send_text(p_sock, "TBOX_MEM=00:01;OK\r\n");
            receive_command(p_sock);  // until the link closes
        });
        socket_handle link;
        link.set_service_port(service.port());
        const exchange_t ex = exchange(link, "TBOX_MEM 00:01;W;0,7,0;65,66,0");
        EXPECT_TRUE(ex.m_ok);
        EXPECT_EQ(ex.m_answer, "TBOX_MEM=00:01;OK\r\n");
        EXPECT_EQ(ex.m_word, "TBOX_MEM");
        EXPECT_EQ(ex.m_output.m_out, connected);
        EXPECT_EQ(ex.m_output.m_err, "");
        link.close_ZELService_connection();
    }
    EXPECT_EQ(received, "TBOX_MEM 00:01;W;0,7,0;65,66,0");
}

TEST(ServiceLink, GreetingInPiecesAfterOtherText) {
    scripted_service service([](platform::socket_t p_sock, int) {
        send_text(p_sock, "banner\r\nWelcome to Quen");
        platform::sleep_ms(300);
        send_text(p_sock, "tara ZEL-Service\r\n");
        receive_command(p_sock);
        send_text(p_sock, "INFO_EXT=a;b;0;0;5;2;1;0;0;0;0;\r\n");
        receive_command(p_sock);
    });
    socket_handle link;
    link.set_service_port(service.port());
    const exchange_t ex = exchange(link, "INFO_EXT a");
    EXPECT_TRUE(ex.m_ok);
    EXPECT_EQ(ex.m_output.m_out,
              "banner\r\nWelcome to Quentara ZEL-Service\r\n\r\nZEL-Service Connected.\r\n");
    link.close_ZELService_connection();
}

TEST(ServiceLink, NoGreetingOpensSilentlyAfterTheWait) {
    scripted_service service([](platform::socket_t p_sock, int) {
        receive_command(p_sock, 10000);
        send_text(p_sock, "LIST_DEV=net;00:01\r\n");
        receive_command(p_sock);
    });
    socket_handle link;
    link.set_service_port(service.port());
    const exchange_t ex = exchange(link, "LIST_DEV", 2000, false);
    EXPECT_TRUE(ex.m_ok);
    EXPECT_EQ(ex.m_answer, "LIST_DEV=net;00:01\r\n");
    EXPECT_EQ(ex.m_output.m_out, "");
    EXPECT_EQ(ex.m_output.m_err, "");
    link.close_ZELService_connection();
}

TEST(ServiceLink, NothingListeningFailsEveryCommand) {
    socket_handle link;
    link.set_service_port(unused_port());
    for (int k = 0; k < 2; ++k) {
        const exchange_t ex = exchange(link, "LIST_DEV");
        EXPECT_FALSE(ex.m_ok);
        EXPECT_EQ(ex.m_output.m_err, "ZEL-Service connection failed!\r\n");
        EXPECT_FALSE(link.is_open());
    }
}

struct answer_case_t {
    const char* m_name;
    std::string m_command;
    bool m_first_line_completes;
    std::vector<std::string> m_sends;  // sent one after the other, 50 ms apart
    bool m_ok;
    std::string m_answer;
    std::string m_err;
};

TEST(ServiceLink, AnswerCollection) {
    const std::string no_answer = "Cmd failed (No respons)!\r\n";
    const answer_case_t cases[] = {
        {"line split over two sends",
         "TBOX_MEM m;R;0,1,14,1",
         true,
         {"TBOX_MEM=m;0,1,", "14;5\r\n"},
         true,
         "TBOX_MEM=m;0,1,14;5\r\n",
         ""},
        {"garbage line first",
         "INFO_EXT m",
         true,
         {"GARBAGE 1234\r\nINFO_EXT=m;x;\r\n"},
         true,
         "INFO_EXT=m;x;\r\n",
         ""},
        {"other command's line dropped",
         "INFO_EXT m",
         true,
         {"LIST_DEV=n;a\r\n", "INFO_EXT=m;y;\r\n"},
         true,
         "INFO_EXT=m;y;\r\n",
         ""},
        {"FAILED line fails silently",
         "TBOX_MEM m;W;0,1,0;0",
         true,
         {"TBOX_MEM=FAILED\r\n"},
         false,
         "",
         ""},
        {"line without its end is no answer",
         "INFO_EXT m",
         true,
         {"INFO_EXT=m;x;"},
         false,
         "",
         no_answer},
        {"only other lines", "INFO_EXT m", true, {"HELLO\r\n"}, false, "", no_answer},
        {"listing over several lines",
         "LIST_DEV",
         false,
         {"LIST_DEV=n;a,b\r\nLIST_DEV=n;c\r\n"},
         true,
         "LIST_DEV=n;a,b\r\nLIST_DEV=n;c\r\n",
         ""},
        {"listing ends when no line comes within its quiet window",
         "LIST_DEV",
         false,
         {"LIST_DEV=n;a,b\r\n", "LIST_DEV=n;c\r\n"},
         true,
         "LIST_DEV=n;a,b\r\n",
         ""},
        {"first line completes a memory answer",
         "TBOX_MEM m;R;0,1,14,1",
         true,
         {"TBOX_MEM=m;0,1,14;5\r\nTBOX_MEM=m;0,1,14;6\r\n"},
         true,
         "TBOX_MEM=m;0,1,14;5\r\n",
         ""},
    };
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
        socket_handle link;
        link.set_service_port(service.port());
        const exchange_t ex = exchange(link, c.m_command, 300, c.m_first_line_completes);
        EXPECT_EQ(ex.m_ok, c.m_ok);
        if (c.m_ok) {
            EXPECT_EQ(ex.m_answer, c.m_answer);
        }
        EXPECT_EQ(ex.m_output.m_err, c.m_err);
        link.close_ZELService_connection();
    }
}

TEST(ServiceLink, MalformedOrOverlongCommandIsNeverSent) {
    std::string received = "not set";
    {
        scripted_service service([&](platform::socket_t p_sock, int) {
            send_text(p_sock, test_greeting);
            received = receive_command(p_sock, 1500);
        });
        socket_handle link;
        link.set_service_port(service.port());
        const std::string overlong = "TBOX_MEM " + std::string(2040, 'x');
        struct bad_case_t {
            std::string m_line;
            std::string m_err;
        };
        const bad_case_t cases[] = {
            {"LIST_DEV ", "Send cmd [LIST_DEV ] syntax error !\r\n"},
            {" ", "Send cmd [ ] syntax error !\r\n"},
            {overlong, "Send cmd [" + overlong + "] syntax error !\r\n"},
        };
        for (const bad_case_t& c : cases) {
            const exchange_t ex = exchange(link, c.m_line);
            EXPECT_FALSE(ex.m_ok);
            EXPECT_EQ(ex.m_output.m_err, c.m_err);
        }
        const exchange_t empty = exchange(link, "");
        EXPECT_TRUE(empty.m_ok);
        EXPECT_EQ(empty.m_answer, "");
        link.close_ZELService_connection();
    }
    EXPECT_EQ(received, "");
}

TEST(ServiceLink, LateAnswerIsNeverTakenForTheNextOne) {
    scripted_service service([&](platform::socket_t p_sock, int) {
        send_text(p_sock, test_greeting);
        receive_command(p_sock);
        platform::sleep_ms(400);  // answers after the link gave up
        send_text(p_sock, "TBOX_MEM=m;0,1,14;9\r\n");
        receive_command(p_sock);
        send_text(p_sock, "TBOX_MEM=m;0,9,18;3\r\n");
        receive_command(p_sock);
    });
    socket_handle link;
    link.set_service_port(service.port());
    const exchange_t first = exchange(link, "TBOX_MEM m;R;0,1,14,1", 200);
    EXPECT_FALSE(first.m_ok);
    EXPECT_EQ(first.m_output.m_err, "Cmd failed (No respons)!\r\n");
    platform::sleep_ms(400);  // the late answer is waiting now
    const exchange_t second = exchange(link, "TBOX_MEM m;R;0,9,18,1", 2000);
    EXPECT_TRUE(second.m_ok);
    EXPECT_EQ(second.m_answer, "TBOX_MEM=m;0,9,18;3\r\n");
    link.close_ZELService_connection();
}

TEST(ServiceLink, AnswerForAnotherDeviceIsDropped) {
    scripted_service service([&](platform::socket_t p_sock, int) {
        send_text(p_sock, test_greeting);
        receive_command(p_sock);
        send_text(p_sock, "TBOX_MEM=a;0,1,14;9\r\nTBOX_MEM=b;0,9,18;9\r\n");
        platform::sleep_ms(50);
        send_text(p_sock, "TBOX_MEM=FAILED\r\n");
        receive_command(p_sock);
    });
    socket_handle link;
    link.set_service_port(service.port());
    // Neither line echoes this read: the first is for another device, the second for
    // another location. A failure carries no identity and always counts.
    const exchange_t ex = exchange(link, "TBOX_MEM b;R;0,1,14,1", 2000, true, "TBOX_MEM=b;0,1,14;");
    EXPECT_FALSE(ex.m_ok);
    EXPECT_EQ(ex.m_output.m_err, "");
    link.close_ZELService_connection();
}

TEST(ServiceLink, ClosedConnectionFailsTheExchangeAndTheNextOneReconnects) {
    scripted_service service(
        [](platform::socket_t p_sock, int p_connection) {
            send_text(p_sock, test_greeting);
            receive_command(p_sock);
            if (p_connection == 1) {
                send_text(p_sock, "INFO_EXT=m;x;\r\n");
                receive_command(p_sock);
            }
        },
        2);
    socket_handle link;
    link.set_service_port(service.port());
    const exchange_t first = exchange(link, "INFO_EXT m");
    EXPECT_FALSE(first.m_ok);
    EXPECT_EQ(first.m_output.m_err, "Cmd failed (No respons)!\r\n");
    EXPECT_FALSE(link.is_open());
    const exchange_t second = exchange(link, "INFO_EXT m");
    EXPECT_TRUE(second.m_ok);
    EXPECT_EQ(second.m_output.m_out, connected);
    link.close_ZELService_connection();
}

TEST(ServiceLink, LongAnswersWithinLimitsAndBeyond) {
    std::string listing = "LIST_DEV=net;";
    for (int k = 0; k < 1000; ++k) {
        listing += (k ? "," : "") + std::string("00:1D:C1:00:") + std::to_string(k);
    }
    listing += "\r\n";
    const std::string long_line = "INFO_EXT=" + std::string(70000, 'x') + "\r\n";
    std::string flood;
    while (flood.size() < 2 * 1024 * 1024) {
        flood += "GARBAGE 1234\r\n";
    }
    struct long_case_t {
        std::string m_command;
        std::string m_send;
        bool m_ok;
        std::string m_err;
    };
    const long_case_t cases[] = {
        {"LIST_DEV", listing, true, ""},
        {"INFO_EXT m", long_line, false, "Cmd failed (answer line over 65536 bytes)!\r\n"},
        {"INFO_EXT m", flood, false, "Cmd failed (answer over 1048576 bytes)!\r\n"},
    };
    for (const long_case_t& c : cases) {
        scripted_service service([&](platform::socket_t p_sock, int) {
            send_text(p_sock, test_greeting);
            receive_command(p_sock);
            send_text(p_sock, c.m_send);
            receive_command(p_sock);
        });
        socket_handle link;
        link.set_service_port(service.port());
        const exchange_t ex = exchange(link, c.m_command, 2000, false);
        EXPECT_EQ(ex.m_ok, c.m_ok);
        EXPECT_EQ(ex.m_output.m_err, c.m_err);
        if (c.m_ok) {
            EXPECT_EQ(ex.m_answer, c.m_send);
        }
        link.close_ZELService_connection();
    }
}

}  // namespace
