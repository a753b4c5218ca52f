// A relay between the program and its PostgreSQL server, for the benchmarks:
// it listens on a Unix socket of its own (the program connects to it as to a
// server: host=<folder>), passes every byte on to the real server (a Unix
// socket or a TCP address) and back, counts the round trips on the wire (a
// message from the program after an answer from the server begins a new
// one), and can hold each direction's bytes for half a round trip to stand
// for a slow network when the kernel's netem cannot be used.
#pragma once

#include <QByteArray>
#include <QString>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <list>
#include <thread>

class WireRelay {
public:
    // Listens on `folder`/.s.PGSQL.5432; connects each client to the server's
    // socket `upstreamSocket`, or to 127.0.0.1:`upstreamPort` when it is empty.
    WireRelay(const QString& folder, const QString& upstreamSocket, int upstreamPort = 0)
        : upstreamSocket_(upstreamSocket), upstreamPort_(upstreamPort)
    {
        listener_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = (folder + QStringLiteral("/.s.PGSQL.5432")).toLocal8Bit();
        std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
        unlink(path.constData());
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 16) != 0) {
            std::perror("relay");
            std::exit(1);
        }
        if (pipe(stop_) != 0)
            std::exit(1);
        thread_ = std::thread([this] { loop(); });
    }
    ~WireRelay()
    {
        const char byte = 0;
        if (write(stop_[1], &byte, 1) != 1)
            std::perror("relay stop");
        thread_.join();
        close(listener_);
        close(stop_[0]);
        close(stop_[1]);
    }
    WireRelay(const WireRelay&) = delete;
    WireRelay& operator=(const WireRelay&) = delete;

    // The round trip the relay adds itself, in milliseconds (0: none).
    void setDelayMs(double roundTripMs) { oneWayUs_ = std::int64_t(roundTripMs * 500.0); }
    // Round trips counted since the start.
    long roundTrips() const { return roundTrips_.load(); }

private:
    using Clock = std::chrono::steady_clock;
    struct Chunk {
        Clock::time_point due;
        QByteArray bytes;
    };
    struct Pair {
        int client = -1;
        int server = -1;
        std::deque<Chunk> toServer, toClient;
        bool serverAnswered = true;  // the next message from the client opens a round trip
        bool closed = false;
    };

    int connectUpstream() const
    {
        if (!upstreamSocket_.isEmpty()) {
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            const QByteArray path = (upstreamSocket_ + QStringLiteral("/.s.PGSQL.5432")).toLocal8Bit();
            std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
            if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
                close(fd);
                return -1;
            }
            return fd;
        }
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(std::uint16_t(upstreamPort_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd);
            return -1;
        }
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return fd;
    }

    // Reads what `from` has into `queue`; false at its end.
    bool take(int from, std::deque<Chunk>& queue)
    {
        char buffer[65536];
        const ssize_t n = read(from, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        queue.push_back({Clock::now() + std::chrono::microseconds(oneWayUs_.load()), QByteArray(buffer, int(n))});
        return true;
    }

    // Writes the chunks that are due; returns the microseconds until the next one.
    static std::int64_t flush(int to, std::deque<Chunk>& queue, bool* failed)
    {
        const Clock::time_point now = Clock::now();
        while (!queue.empty() && queue.front().due <= now) {
            const QByteArray& bytes = queue.front().bytes;
            qsizetype done = 0;
            while (done < bytes.size()) {
                const ssize_t n = write(to, bytes.constData() + done, size_t(bytes.size() - done));
                if (n <= 0) {
                    *failed = true;
                    return -1;
                }
                done += n;
            }
            queue.pop_front();
        }
        if (queue.empty())
            return -1;
        return std::chrono::duration_cast<std::chrono::microseconds>(queue.front().due - now).count();
    }

    void loop()
    {
        std::list<Pair> pairs;
        for (;;) {
            std::vector<pollfd> fds{{stop_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
            std::int64_t waitUs = -1;
            for (Pair& p : pairs) {
                fds.push_back({p.client, POLLIN, 0});
                fds.push_back({p.server, POLLIN, 0});
                for (auto* queue : {&p.toServer, &p.toClient})
                    if (!queue->empty()) {
                        const std::int64_t us = std::max<std::int64_t>(
                            0, std::chrono::duration_cast<std::chrono::microseconds>(queue->front().due - Clock::now()).count());
                        waitUs = waitUs < 0 ? us : std::min(waitUs, us);
                    }
            }
            timespec timeout{time_t(waitUs / 1000000), long(waitUs % 1000000) * 1000};
            if (ppoll(fds.data(), fds.size(), waitUs < 0 ? nullptr : &timeout, nullptr) < 0)
                continue;
            if (fds[0].revents)
                break;
            if (fds[1].revents & POLLIN) {
                Pair p;
                p.client = accept(listener_, nullptr, nullptr);
                p.server = connectUpstream();
                if (p.client >= 0 && p.server >= 0)
                    pairs.push_back(std::move(p));
                else {
                    if (p.client >= 0)
                        close(p.client);
                    if (p.server >= 0)
                        close(p.server);
                }
            }
            size_t at = 2;
            for (Pair& p : pairs) {
                if (fds.size() > at && fds[at].revents) {
                    if (p.serverAnswered) {
                        ++roundTrips_;
                        p.serverAnswered = false;
                    }
                    if (!take(p.client, p.toServer))
                        p.closed = true;

                }
                if (fds.size() > at + 1 && fds[at + 1].revents) {
                    p.serverAnswered = true;
                    if (!take(p.server, p.toClient))
                        p.closed = true;
                }
                at += 2;
                bool failed = false;
                flush(p.server, p.toServer, &failed);
                flush(p.client, p.toClient, &failed);
                if (failed)
                    p.closed = true;
            }
            for (auto it = pairs.begin(); it != pairs.end();) {
                if (it->closed && it->toServer.empty() && it->toClient.empty()) {
                    close(it->client);
                    close(it->server);
                    it = pairs.erase(it);
                } else if (it->closed) {
                    // What is still queued goes out when due; then the pair closes.
                    bool failed = false;
                    flush(it->server, it->toServer, &failed);
                    flush(it->client, it->toClient, &failed);
                    if (failed) {
                        it->toServer.clear();
                        it->toClient.clear();
                    }
                    ++it;
                } else {
                    ++it;
                }
            }
        }
        for (Pair& p : pairs) {
            close(p.client);
            close(p.server);
        }
    }

    QString upstreamSocket_;
    int upstreamPort_;
    int listener_ = -1;
    int stop_[2] = {-1, -1};
    std::atomic<std::int64_t> oneWayUs_{0};
    std::atomic<long> roundTrips_{0};
    std::thread thread_;
};
