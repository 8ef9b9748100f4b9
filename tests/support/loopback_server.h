// A small HTTP server on port 80 of a loopback address, run on a thread of the test process, that
// answers each connection in one chosen way and records the bytes of every request it receives.
// Only ever binds a 127.x address or ::1. Stops (and closes every socket) when destroyed.
#ifndef PRODLE_TESTS_SUPPORT_LOOPBACK_SERVER_H
#define PRODLE_TESTS_SUPPORT_LOOPBACK_SERVER_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

enum class ServerBehaviour {
    Reply,              // a short HTTP reply, then close
    ReplyInPieces,      // a longer reply in three pieces with pauses between them, then close
    Silent,             // read the request and never answer; the connection stays open
    CloseAtOnce,        // read the request and close without sending anything
    SendFiveMegabytes,  // a 5 MB reply, then close
    Reset,              // read the request and reset the connection (abortive close)
    ReplyThenReset,     // a short reply, a pause, then a reset instead of an orderly close
    Trickle,            // the reply one byte every 200 ms, for at most kTrickleBytes bytes, then close
    Garbage,            // binary garbage (no HTTP, every byte value), then close
};

class LoopbackServer {
public:
    static constexpr size_t kFiveMegabytes = 5u * 1024u * 1024u;
    static const char kReply[];
    static constexpr size_t kTrickleBytes = 6;
    static constexpr unsigned kTrickleIntervalMs = 200;
    static constexpr size_t kGarbageBytes = 4096;

    explicit LoopbackServer(ServerBehaviour behaviour, const char* address = "127.0.0.1");
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Whether the server got its address (another test run may hold port 80 for a while).
    bool Listening() const { return listening_; }
    // The request bytes of every connection, in the order the connections came.
    std::vector<std::string> Requests() const;
    // The number of requests received, kept also when their bytes are not.
    size_t RequestCount() const { return requestCount_; }
    // Keep only the count from now on, so that a long run's memory figures are the program's alone.
    void CountRequestsOnly() { countOnly_ = true; }
    // Connections the server has answered as its behaviour says and closed.
    size_t Finished() const { return finished_; }
    // Silent connections whose client closed its end.
    size_t ClientsGone() const { return clientsGone_; }
    // Silent connections the server still holds open.
    size_t OpenClients() const { return openClients_; }
    // Ends the silence once: every connection held open gets the short reply and is closed.
    void AnswerSilentClients() { answerSilent_ = true; }

private:
    using Socket = uintptr_t;
    void Serve();
    void Answer(Socket client);
    std::string ReadRequest(Socket client);
    bool SendAll(Socket client, const char* data, size_t size);
    bool PauseUnlessStopping(unsigned milliseconds);
    void WatchSilentClients();
    static void Abort(Socket client);

    const ServerBehaviour behaviour_;
    Socket listener_;
    bool listening_ = false;
    std::string bigReply_;
    std::vector<Socket> silent_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::atomic<size_t> requestCount_{0};
    std::atomic<bool> countOnly_{false};
    std::atomic<size_t> finished_{0};
    std::atomic<size_t> clientsGone_{0};
    std::atomic<size_t> openClients_{0};
    std::atomic<bool> answerSilent_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

#endif
