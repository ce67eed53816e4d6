// Reads of devices that do not depend on each other, over several connections to the service
// at once when the operator asks for them: the program's own link, and extra links opened the
// first time there is more than one device to work on. Each device's work stays wholly on one
// connection, where one command is sent at a time, as on any link. Writes never come here:
// they stay on the program's own link, one device at a time.
#ifndef SRC_DEVICE_CORE_SERVICE_CONNECTIONS_H_
#define SRC_DEVICE_CORE_SERVICE_CONNECTIONS_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zel_socket_handler/zel_socket_handler.h"

// How one device's work on its connection ended: done, whatever the device answered, or cut
// short because the connection was lost under it (the service closed it while a command
// waited for its answer, or it could not be opened again).
enum connection_job_end_t { JOB_ENDED, JOB_CONNECTION_LOST };

// The work of device p_job (0 to the count asked, minus 1) on p_link. It may run on any
// thread, at the same time as the work of other devices on other links: it touches nothing
// but its own results and what it only reads.
typedef std::function<connection_job_end_t(socket_handle& p_link, std::size_t p_job)>
    connection_job_t;

// True when a command that ended as p_end lost its connection: it went out, or tried to,
// and the link is closed now. A Ctrl-C loses nothing: the command was not sent.
bool connection_was_lost(const socket_handle& p_link, command_end_t p_end);

// Told, on the calling thread, how many links are taking devices now.
typedef std::function<void(std::size_t p_links)> connections_tick_t;

class service_connections {
  public:
    // p_first is the program's link, used as it is (a missing greeting does not fail it);
    // p_count (1 to zel_connections_max) the connections the operator allows.
    service_connections(socket_handle& p_first, std::size_t p_count);
    ~service_connections();
    service_connections(const service_connections&) = delete;
    service_connections& operator=(const service_connections&) = delete;

    socket_handle& first() { return m_first; }

    // True when p_jobs devices are worked on side by side: more than one device, and more
    // than one connection allowed that the service has not refused.
    bool side_by_side(std::size_t p_jobs) const;

    // Runs the work of devices 0 to p_jobs - 1 and returns when each has ended. Side by side,
    // each connection takes the next device not begun; p_tick is called on the calling
    // thread about every 100 ms meanwhile. Otherwise the devices are
    // worked on in order on the first link, on the calling thread. A device whose connection
    // was lost is worked on again, once: on the same link opened again, or, when that fails,
    // on another connection (an extra one is then given up for good).
    void run(std::size_t p_jobs, const connection_job_t& p_job,
             const connections_tick_t& p_tick = connections_tick_t());

    // The connections the service took: 0 before the first link was opened, then 1 and each
    // extra one that it greeted.
    std::size_t accepted() const;

  private:
    struct extra_t;
    struct shared_t;
    // One link's part of a run side by side, on its own thread.
    void work(std::size_t p_link, shared_t& p_shared);
    // A link leaves the run, giving back the device it could not work on, if any.
    static void leave(shared_t& p_shared, const std::size_t* p_given_back);
    void run_in_order(std::size_t p_jobs, const connection_job_t& p_job);
    socket_handle& link(std::size_t p_link);

    socket_handle& m_first;
    std::vector<std::unique_ptr<extra_t>> m_extra;
};

// The service and the connections the operator chose for a program that reads the venue:
// p_count (the text given to --connections; empty when none) wins over
// ZEL_SERVICE_CONNECTIONS, which wins over 1, and p_port (--port) sets p_link's port. The
// count is checked first and both before the port is said, so a usage error comes alone:
// false after the one that starts with p_program's name (for a script, p_json, also as the
// JSON error object). p_link keeps quiet: each failure is told with its device.
bool use_chosen_links(const std::string& p_program, const std::string& p_port,
                      const std::string& p_count, bool p_json, socket_handle& p_link,
                      std::size_t& p_connections);

#endif  // SRC_DEVICE_CORE_SERVICE_CONNECTIONS_H_
