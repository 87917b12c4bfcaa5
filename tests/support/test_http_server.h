// A small HTTP/1.1 server on 127.0.0.1 for the tests and benchmarks of Lorquin's quote sources:
// it answers each path with a canned response (status, headers, body, a delay, a redirect, or
// no answer at all) and records what it was asked.
//
// It listens on a free port chosen by the system, serves one connection at a time on a thread of
// its own and closes every connection after its answer. Every wait is bounded: a client gets
// two seconds to send its request, a never-answering path holds the connection for at most ten
// seconds, and the destructor stops the thread within a tenth of a second.
//
// Thread-safe: responses may be set and requests read while the server runs.
#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace marlovex::testing_support {

struct CannedResponse {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::chrono::milliseconds delay{0};
    // Holds the connection open without a byte of answer, until the client gives up.
    bool neverAnswer = false;

    static CannedResponse ok(std::string body, std::string contentType = "text/plain; charset=utf-8");
    static CannedResponse redirect(std::string location, int status = 302);
};

struct RecordedRequest {
    // The request target as sent: path and query.
    std::string target;
    std::string userAgent;
};

class TestHttpServer {
public:
    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by `target`.
    std::string url(const std::string& target) const;

    // Answers requests for `path` (the target without its query) with `response`. Unknown paths
    // get 404.
    void respond(const std::string& path, CannedResponse response);
    std::vector<RecordedRequest> requests() const;

private:
    void serve();
    void handle(int connection);

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::map<std::string, CannedResponse> m_responses;
    std::vector<RecordedRequest> m_requests;
    std::thread m_thread;
};

} // namespace marlovex::testing_support
