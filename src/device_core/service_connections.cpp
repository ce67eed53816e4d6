#include "device_core/service_connections.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "basic_type/command_line.h"
#include "basic_type/service_address.h"
#include "platform/interrupt.h"
#include "platform/program.h"
#include "zel_service_cmd/zel_service_cmd.h"

namespace {

const std::chrono::milliseconds G_tick_every(100);

}  // namespace

// An extra link, and what became of it.
struct service_connections::extra_t {
    socket_handle m_link;
    bool m_greeted = false;
    bool m_given_up = false;
};

// What the links working side by side share, under m_mutex.
struct service_connections::shared_t {
    const connection_job_t* m_job = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_left;  // a link left the run
    std::deque<std::size_t> m_pending;
    std::size_t m_working = 0;  // links still taking devices
    // Per device: worked on again after a lost connection. Each element is touched only by
    // the link working on that device (char, not the packed bool).
    std::vector<char> m_again;
};

bool connection_was_lost(const socket_handle& p_link, command_end_t p_end) {
    return (p_end == COMMAND_NO_ANSWER || p_end == COMMAND_NOT_SENT) && !p_link.is_open() &&
           !platform::interrupted();
}

service_connections::service_connections(socket_handle& p_first, std::size_t p_count)
    : m_first(p_first) {
    for (std::size_t k = 1; k < p_count; ++k) {
        m_extra.push_back(std::unique_ptr<extra_t>(new extra_t()));
        m_extra.back()->m_link.keep_quiet();
        m_extra.back()->m_link.require_greeting();
    }
}

service_connections::~service_connections() {}

socket_handle& service_connections::link(std::size_t p_link) {
    return p_link == 0 ? m_first : m_extra[p_link - 1]->m_link;
}

bool service_connections::side_by_side(std::size_t p_jobs) const {
    if (p_jobs < 2) {
        return false;
    }
    for (const std::unique_ptr<extra_t>& extra : m_extra) {
        if (!extra->m_given_up) {
            return true;
        }
    }
    return false;
}

std::size_t service_connections::accepted() const {
    std::size_t accepted = m_first.ever_reached() ? 1 : 0;
    for (const std::unique_ptr<extra_t>& extra : m_extra) {
        accepted += extra->m_greeted ? 1 : 0;
    }
    return accepted;
}

void service_connections::run_in_order(std::size_t p_jobs, const connection_job_t& p_job) {
    for (std::size_t job = 0; job < p_jobs; ++job) {
        if (p_job(m_first, job) == JOB_CONNECTION_LOST) {
            p_job(m_first, job);  // once more: its first command opens the link again
        }
    }
}

void service_connections::run(std::size_t p_jobs, const connection_job_t& p_job,
                              const connections_tick_t& p_tick) {
    // The first link is open before an extra one connects: a service of one client at a time
    // then serves it, and the extra ones wait unanswered until they are given up.
    if (!side_by_side(p_jobs) || !m_first.checkinit_ZELService_connection()) {
        run_in_order(p_jobs, p_job);
        return;
    }
    shared_t shared;
    shared.m_job = &p_job;
    shared.m_again.assign(p_jobs, 0);
    for (std::size_t job = 0; job < p_jobs; ++job) {
        shared.m_pending.push_back(job);
    }
    std::vector<std::size_t> working = {0};
    for (std::size_t k = 1; k <= m_extra.size(); ++k) {
        if (!m_extra[k - 1]->m_given_up) {
            m_extra[k - 1]->m_link.set_service_port(m_first.service_port());
            working.push_back(k);
        }
    }
    // Counted before any starts: a link may leave the run at once.
    shared.m_working = working.size();
    std::vector<std::thread> threads;
    for (const std::size_t k : working) {
        threads.emplace_back(&service_connections::work, this, k, std::ref(shared));
    }
    {
        std::unique_lock<std::mutex> lock(shared.m_mutex);
        while (shared.m_working > 0) {
            shared.m_left.wait_for(lock, G_tick_every);
            if (p_tick && shared.m_working > 0) {
                const std::size_t working = shared.m_working;
                lock.unlock();
                p_tick(working);
                lock.lock();
            }
        }
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    // Devices a link gave back when no other was left to take them: the first link tries.
    for (const std::size_t job : shared.m_pending) {
        if (p_job(m_first, job) == JOB_CONNECTION_LOST && shared.m_again[job] == 0) {
            p_job(m_first, job);
        }
    }
}

void service_connections::leave(shared_t& p_shared, const std::size_t* p_given_back) {
    std::lock_guard<std::mutex> lock(p_shared.m_mutex);
    if (p_given_back != nullptr) {
        p_shared.m_pending.push_front(*p_given_back);
    }
    --p_shared.m_working;
    p_shared.m_left.notify_all();
}

void service_connections::work(std::size_t p_link, shared_t& p_shared) {
    socket_handle& link = this->link(p_link);
    extra_t* const extra = p_link == 0 ? nullptr : m_extra[p_link - 1].get();
    // An extra link is opened before it takes a device: one the service does not take
    // (refused, or not greeted within the greeting wait: a service of one client at a time)
    // takes none.
    if (extra != nullptr && !extra->m_greeted) {
        if (!link.checkinit_ZELService_connection()) {
            extra->m_given_up = true;
            leave(p_shared, nullptr);
            return;
        }
        extra->m_greeted = true;
    }
    for (;;) {
        std::size_t job = 0;
        {
            std::lock_guard<std::mutex> lock(p_shared.m_mutex);
            if (p_shared.m_pending.empty()) {
                break;
            }
            job = p_shared.m_pending.front();
            p_shared.m_pending.pop_front();
        }
        if ((*p_shared.m_job)(link, job) == JOB_ENDED || p_shared.m_again[job] != 0) {
            continue;  // a device lost twice keeps what its second try found
        }
        p_shared.m_again[job] = 1;
        if (!link.checkinit_ZELService_connection()) {
            // Not opened again: the device goes to the other links, and this one leaves
            // (an extra one for good).
            if (extra != nullptr) {
                extra->m_given_up = true;
            }
            leave(p_shared, &job);
            return;
        }
        (*p_shared.m_job)(link, job);
    }
    leave(p_shared, nullptr);
}

bool use_chosen_links(const std::string& p_program, const std::string& p_port,
                      const std::string& p_count, bool p_json, socket_handle& p_link,
                      std::size_t& p_connections) {
    p_link.keep_quiet();
    console_message_t refusal;
    std::string variable;
    const bool is_set = platform::environment_value(zel_connections_variable, variable);
    if (!choose_service_connections(p_count.empty() ? nullptr : &p_count,
                                    is_set ? &variable : nullptr, p_connections, refusal)) {
        tell_usage_error(p_program + ": " + refusal + "\r\n", p_json);
        return false;
    }
    return use_chosen_service_port(p_program, p_port.empty() ? nullptr : &p_port, p_link, p_json);
}
