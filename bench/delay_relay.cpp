// A TCP relay on the loopback interface that holds every chunk for a while in each direction, like a slow office
// link: search_bench puts it between sshfs and a loopback sshd.
//
//   delay_relay LISTEN_PORT TARGET_PORT DELAY_US
//
// Listens on 127.0.0.1:LISTEN_PORT; each connection is joined to 127.0.0.1:TARGET_PORT. A chunk read from either
// side is written to the other DELAY_US microseconds after it arrived, so the delay adds to each round trip without
// limiting how much is in flight. Runs until it is killed.

#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Chunk {
    Clock::time_point due;
    std::string bytes;
};

// One direction: a reader that stamps each chunk as it comes and a writer that sends it when it is due.
void relay(int from, int to, std::chrono::microseconds delay) {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Chunk> chunks;
    bool ended = false;
    std::thread writer([&] {
        std::unique_lock lock(mutex);
        for (;;) {
            arrived.wait(lock, [&] { return ended || !chunks.empty(); });
            if (chunks.empty())
                break;
            Chunk chunk = std::move(chunks.front());
            chunks.pop_front();
            lock.unlock();
            std::this_thread::sleep_until(chunk.due);
            for (std::size_t done = 0; done < chunk.bytes.size();) {
                const ssize_t n = ::send(to, chunk.bytes.data() + done, chunk.bytes.size() - done, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                done += static_cast<std::size_t>(n);
            }
            lock.lock();
        }
        ::shutdown(to, SHUT_WR);
    });
    char buffer[65536];
    for (ssize_t n; (n = ::recv(from, buffer, sizeof buffer, 0)) > 0;) {
        const std::lock_guard lock(mutex);
        chunks.push_back({Clock::now() + delay, std::string(buffer, static_cast<std::size_t>(n))});
        arrived.notify_one();
    }
    {
        const std::lock_guard lock(mutex);
        ended = true;
    }
    arrived.notify_one();
    writer.join();
}

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

void noDelay(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: delay_relay LISTEN_PORT TARGET_PORT DELAY_US\n");
        return 2;
    }
    const int listenPort = std::atoi(argv[1]), targetPort = std::atoi(argv[2]);
    const std::chrono::microseconds delay(std::atol(argv[3]));
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = loopback(listenPort);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 16) != 0) {
        std::perror("delay_relay");
        return 1;
    }
    for (;;) {
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in target = loopback(targetPort);
        if (::connect(server, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
            ::close(client);
            ::close(server);
            continue;
        }
        noDelay(client);
        noDelay(server);
        std::thread([client, server, delay] {
            std::thread back([&] { relay(server, client, delay); });
            relay(client, server, delay);
            back.join();
            ::close(client);
            ::close(server);
        }).detach();
    }
}
