#include "bench_support.h"

const std::string G_bench_mac = "00:1D:C1:0A:00:01";

brimel_config_rm6x_device& bench_target_device(const std::string& p_run_name) {
    zel_config_env& env = zel_config_env::instance();
    env.start_run(p_run_name);
    brimel_config_rm6x_device& device = env.add_device("KDX-RM6X5");
    device.set_zel_device_mac_adr(G_bench_mac);
    device.m_mir = 5;
    device.m_pir = 2;
    return device;
}

bool connect_link(const zel_service_sim& p_sim) {
    socket_handle& link = zel_config_env::instance().zel_service;
    link.close_ZELService_connection();
    link.set_service_port(p_sim.port());
    return link.checkinit_ZELService_connection();
}

bool read_answer(platform::socket_t p_sock, char* p_buffer, std::size_t p_size) {
    std::size_t have = 0;
    while (have < 2 || p_buffer[have - 2] != '\r' || p_buffer[have - 1] != '\n') {
        const long got = platform::socket_recv(p_sock, p_buffer + have, p_size - have);
        if (got <= 0) {
            return false;
        }
        have += static_cast<std::size_t>(got);
    }
    return true;
}

platform::socket_t connect_raw_client(const zel_service_sim& p_sim) {
    const platform::socket_t sock = platform::tcp_connect("127.0.0.1", p_sim.port());
    char greeting[4096];
    if (sock != platform::INVALID_SOCKET_HANDLE && !read_answer(sock, greeting, sizeof(greeting))) {
        platform::socket_close(sock);
        return platform::INVALID_SOCKET_HANDLE;
    }
    return sock;
}

void set_command_rate(benchmark::State& p_state, std::size_t p_per_iteration) {
    p_state.counters["commands/s"] = benchmark::Counter(
        static_cast<double>(p_per_iteration * p_state.iterations()), benchmark::Counter::kIsRate);
}

void run_raw_client(benchmark::State& p_state, const std::vector<std::string>& p_commands) {
    zel_service_sim sim;
    sim.set_latency_ms(static_cast<int>(p_state.range(0)));
    sim.start(0);
    const platform::socket_t sock = connect_raw_client(sim);
    if (sock == platform::INVALID_SOCKET_HANDLE) {
        p_state.SkipWithError("no greeting");
        return;
    }
    char buffer[4096];
    for (auto _ : p_state) {
        for (const std::string& command : p_commands) {
            if (!platform::socket_send_all(sock, command.data(), command.size()) ||
                !read_answer(sock, buffer, sizeof(buffer))) {
                p_state.SkipWithError("the exchange failed");
                break;
            }
        }
    }
    set_command_rate(p_state, p_commands.size());
    platform::socket_close(sock);
}
