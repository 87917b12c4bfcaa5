#include "support/test_http_server.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace marlovex::testing_support {
namespace {

constexpr int pollMilliseconds = 50;
constexpr auto requestTimeout = std::chrono::seconds(2);
constexpr auto longestHold = std::chrono::seconds(10);
constexpr std::size_t largestRequest = 64 * 1024;

// Waits for `events` on `descriptor` in short slices, so a stopping server is noticed; false
// when `deadline` or the stop came first.
bool waitFor(int descriptor, short events, std::chrono::steady_clock::time_point deadline,
             const std::atomic<bool>& stopping) {
    while (!stopping && std::chrono::steady_clock::now() < deadline) {
        pollfd entry{descriptor, events, 0};
        const int ready = ::poll(&entry, 1, pollMilliseconds);
        if (ready > 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
    return false;
}

// The value of the header `name`, given in lower case and matched in any letter case; empty when
// the request has no such header.
std::string headerValue(const std::string& request, const std::string& name) {
    std::string folded(request.size(), ' ');
    std::transform(request.begin(), request.end(), folded.begin(),
                   [](unsigned char letter) { return static_cast<char>(std::tolower(letter)); });
    const auto start = folded.find("\r\n" + name + ":");
    if (start == std::string::npos) {
        return "";
    }
    const auto value = request.find_first_not_of(' ', start + name.size() + 3);
    return request.substr(value, request.find("\r\n", value) - value);
}

} // namespace

CannedResponse CannedResponse::ok(std::string body, std::string contentType) {
    CannedResponse response;
    response.headers.emplace_back("Content-Type", std::move(contentType));
    response.body = std::move(body);
    return response;
}

CannedResponse CannedResponse::redirect(std::string location, int status) {
    CannedResponse response;
    response.status = status;
    response.headers.emplace_back("Location", std::move(location));
    return response;
}

TestHttpServer::TestHttpServer() {
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 16) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (m_listener >= 0) {
            ::close(m_listener);
        }
        throw std::runtime_error("the test HTTP server cannot listen on 127.0.0.1");
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

TestHttpServer::~TestHttpServer() {
    m_stopping = true;
    m_thread.join();
    ::close(m_listener);
}

std::string TestHttpServer::url(const std::string& target) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + target;
}

void TestHttpServer::respond(const std::string& path, CannedResponse response) {
    const std::lock_guard lock(m_mutex);
    m_responses[path] = std::move(response);
}

std::vector<RecordedRequest> TestHttpServer::requests() const {
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

void TestHttpServer::serve() {
    while (!m_stopping) {
        pollfd entry{m_listener, POLLIN, 0};
        if (::poll(&entry, 1, pollMilliseconds) <= 0) {
            continue;
        }
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            handle(connection);
            ::close(connection);
        }
    }
}

void TestHttpServer::handle(int connection) {
    std::string request;
    const auto deadline = std::chrono::steady_clock::now() + requestTimeout;
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < largestRequest) {
        if (!waitFor(connection, POLLIN, deadline, m_stopping)) {
            return;
        }
        char buffer[4096];
        const auto count = ::recv(connection, buffer, sizeof buffer, 0);
        if (count <= 0) {
            return;
        }
        request.append(buffer, static_cast<std::size_t>(count));
    }
    const auto firstSpace = request.find(' ');
    const auto secondSpace = request.find(' ', firstSpace + 1);
    if (firstSpace == std::string::npos || secondSpace == std::string::npos) {
        return;
    }
    const auto target = request.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    CannedResponse response;
    {
        const std::lock_guard lock(m_mutex);
        m_requests.push_back({target, headerValue(request, "user-agent")});
        const auto found = m_responses.find(target.substr(0, target.find('?')));
        if (found == m_responses.end()) {
            response = CannedResponse::ok("nicht gefunden");
            response.status = 404;
        } else {
            response = found->second;
        }
    }
    if (response.neverAnswer) {
        // Until the client closes (the socket turns readable at its end) or the hold is over.
        waitFor(connection, POLLIN, std::chrono::steady_clock::now() + longestHold, m_stopping);
        return;
    }
    if (response.delay.count() > 0 &&
        waitFor(connection, POLLIN, std::chrono::steady_clock::now() + response.delay, m_stopping)) {
        return;
    }
    // Clients read the status code alone; one reason phrase serves every code.
    std::string answer = "HTTP/1.1 " + std::to_string(response.status) + " Status\r\n";
    for (const auto& [name, value] : response.headers) {
        answer += name + ": " + value + "\r\n";
    }
    answer += "Content-Length: " + std::to_string(response.body.size()) + "\r\nConnection: close\r\n\r\n";
    answer += response.body;
    std::size_t sent = 0;
    const auto sendDeadline = std::chrono::steady_clock::now() + requestTimeout;
    while (sent < answer.size()) {
        if (!waitFor(connection, POLLOUT, sendDeadline, m_stopping)) {
            return;
        }
        const auto count = ::send(connection, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) {
            return;
        }
        sent += static_cast<std::size_t>(count);
    }
}

} // namespace marlovex::testing_support
