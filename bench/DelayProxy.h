#pragma once
// A TCP relay on the loopback device that holds every chunk of data for a
// fixed time in each direction: a server "further away" without netem. Data
// keeps its order and several chunks can be on their way at once, as on a
// real network with latency. It also counts the round trips it relays: how
// often a client spoke again after the server had answered.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class DelayProxy {
public:
    using Clock = std::chrono::steady_clock;

    // Relays connections on a free port to 127.0.0.1:`targetPort`, each way
    // after `oneWay`.
    DelayProxy(int targetPort, std::chrono::microseconds oneWay) : m_target(targetPort), m_delay(oneWay)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(0);
        socklen_t length = sizeof address;
        if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || ::listen(m_listener, 8) != 0
            || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_acceptor = std::thread([this] { acceptLoop(); });
    }
    ~DelayProxy()
    {
        m_stop = true;
        // The acceptor alone adds relays: once it has ended, the list stands.
        if (m_acceptor.joinable())
            m_acceptor.join();
        for (std::thread& thread : m_threads)
            thread.join();
        for (const int socket : m_sockets)
            ::close(socket);
        if (m_listener >= 0)
            ::close(m_listener);
    }
    DelayProxy(const DelayProxy&) = delete;
    DelayProxy& operator=(const DelayProxy&) = delete;

    // The port to connect to; 0 when the relay could not listen.
    int port() const { return m_port; }
    // Requests so far: data from a client after an answer from its server (or
    // the first data of a connection), however many chunks each came in.
    long roundTrips() const { return m_roundTrips; }

private:
    struct Chunk {
        Clock::time_point due;
        std::vector<char> bytes;
    };
    struct Queue {
        std::mutex mutex;
        std::condition_variable ready;
        std::deque<Chunk> chunks;
    };

    static sockaddr_in Loopback(int port)
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }

    // True when `socket` has data within a tenth of a second.
    static bool Readable(int socket)
    {
        pollfd watched{socket, POLLIN, 0};
        return ::poll(&watched, 1, 100) > 0;
    }

    void acceptLoop()
    {
        while (!m_stop) {
            if (!Readable(m_listener))
                continue;
            const int client = ::accept(m_listener, nullptr, nullptr);
            const int server = ::socket(AF_INET, SOCK_STREAM, 0);
            const sockaddr_in address = Loopback(m_target);
            if (client < 0 || server < 0
                || ::connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
                for (const int socket : {client, server})
                    if (socket >= 0)
                        ::close(socket);
                continue;
            }
            const int on = 1;
            for (const int socket : {client, server}) {
                ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                m_sockets.push_back(socket);
            }
            // True while the server has answered since the client last spoke.
            auto answered = std::make_shared<std::atomic<bool>>(true);
            relay(client, server, [this, answered] {
                if (answered->exchange(false))
                    ++m_roundTrips;
            });
            relay(server, client, [answered] { *answered = true; });
        }
    }

    // Reads from `from` and, one delay later, writes to `to`; `arrived` is
    // called for each chunk before it is passed on.
    template <class Arrived>
    void relay(int from, int to, Arrived arrived)
    {
        auto queue = std::make_shared<Queue>();
        m_threads.emplace_back([this, from, to, queue, arrived] {
            std::vector<char> buffer(65536);
            while (!m_stop) {
                if (!Readable(from))
                    continue;
                const ssize_t read = ::recv(from, buffer.data(), buffer.size(), 0);
                if (read <= 0)
                    break;
                arrived();
                const std::lock_guard lock(queue->mutex);
                queue->chunks.push_back({Clock::now() + m_delay, {buffer.begin(), buffer.begin() + read}});
                queue->ready.notify_one();
            }
            ::shutdown(to, SHUT_WR);
        });
        m_threads.emplace_back([this, to, queue] {
            while (!m_stop) {
                std::unique_lock lock(queue->mutex);
                if (!queue->ready.wait_for(lock, std::chrono::milliseconds(100),
                                           [&] { return !queue->chunks.empty(); }))
                    continue;
                Chunk chunk = std::move(queue->chunks.front());
                queue->chunks.pop_front();
                lock.unlock();
                std::this_thread::sleep_until(chunk.due);
                for (std::size_t sent = 0; sent < chunk.bytes.size();) {
                    const ssize_t written = ::send(to, chunk.bytes.data() + sent, chunk.bytes.size() - sent, MSG_NOSIGNAL);
                    if (written <= 0)
                        return;
                    sent += std::size_t(written);
                }
            }
        });
    }

    int m_target;
    std::chrono::microseconds m_delay;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_roundTrips{0};
    std::vector<int> m_sockets;
    std::thread m_acceptor;
    std::vector<std::thread> m_threads;  // two per direction of each connection
};
