// GPS1:'s bytes from gpsd, for a bench where gpsd already owns the receiver
// (its hotplug takes USB receivers as they are plugged in). The client
// connects, checks gpsd's banner, asks for the receiver's sentences
// (?WATCH={"enable":true,"nmea":true}) and hands them on, whole lines, as
// they come. When gpsd goes away (or is not there yet) it tries again,
// waiting longer after each try; only a session that delivered sentences
// starts the waits afresh, so a gpsd that greets and closes is not hammered.
// Its report hears of changes only (gpsd missing or gone, gpsd delivering
// again), never of each try.
//
// Its thread is a host thread: when bytes come is up to gpsd and the
// receiver, not to the unit's clock.
#pragma once

#include <netdb.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "gpsd_address.h"
#include "gpsd_session.h"
#include "host/unit/unique_fd.h"

namespace host::gps1 {

struct GpsdTiming {
    std::chrono::milliseconds connect{3000};   // to make the connection
    std::chrono::milliseconds greeting{3000};  // for gpsd's banner
    std::chrono::milliseconds firstRetry{250};
    std::chrono::milliseconds lastRetry{4000};  // the longest wait between tries
    // gpsd is quiet while its receiver is unplugged, so silence proves
    // nothing; the host's own TCP probes do: a host that has vanished stops
    // answering them (idle + interval x count, about 25 s).
    std::chrono::seconds keepIdle{10};
    std::chrono::seconds keepInterval{5};
    int keepCount = 3;
};

// The wait before try n + 1 after n failures in a row (n from 0): the
// first retry doubling up to the longest.
std::chrono::milliseconds GpsdRetryDelay(int failures, const GpsdTiming& timing);

struct GpsdLookup;

class GpsdClient {
  public:
    using Sink = std::function<void(std::string_view)>;
    using Report = std::function<void(const std::string&)>;
    // Looks a host and port up as getaddrinfo does (and is, unless a test
    // gives another).
    using Resolver = std::function<int(const std::string& host, const std::string& port,
                                       const addrinfo& hints, addrinfo** found)>;

    // Starts at once and returns when the first try has been made (at most
    // the connect and greeting times), so that a missing gpsd is reported
    // before anything else runs.
    GpsdClient(GpsdAddress address, Sink sink, Report report, GpsdTiming timing = {},
               Resolver resolver = {});
    ~GpsdClient();
    GpsdClient(const GpsdClient&) = delete;
    GpsdClient& operator=(const GpsdClient&) = delete;

    // Connections that got as far as asking for sentences.
    [[nodiscard]] int Sessions() const { return sessions_.load(); }

  private:
    // Lost: a session (the watch asked for) ended; Failed: no session.
    enum class End { Stopped, Failed, Lost };

    void Run();
    // *delivered: the session passed sentences on (the waits start afresh).
    End Attempt(std::string* why, bool* troubled, bool* delivered);
    End Serve(unit::UniqueFd fd, std::string* why, bool* troubled, bool* delivered);
    // The addresses of the host, or null with why; stopped when the client
    // is going away first.
    std::shared_ptr<GpsdLookup> Resolve(std::string* why, bool* stopped);
    unit::UniqueFd Connect(std::string* why, bool* stopped);
    // Waits for events on fd (or only for the stop when fd < 0): 1 ready,
    // 0 timed out, -1 stopped.
    int WaitFd(int fd, short events, std::chrono::milliseconds timeout);
    void FirstTryDone();

    const GpsdAddress address_;
    const Sink sink_;
    const Report report_;
    const GpsdTiming timing_;
    const Resolver resolver_;
    unit::UniqueFd wake_;  // eventfd: the client is going away
    std::atomic<int> sessions_{0};

    std::mutex mutex_;
    std::condition_variable firstTry_;
    bool firstTryDone_ = false;

    std::thread thread_;  // last
};

}  // namespace host::gps1
