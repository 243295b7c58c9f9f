#pragma once

#include "Errors.h"
#include "HttpCookies.h"
#include "HttpUrl.h"

#include <boost/asio/ip/tcp.hpp>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A transfer that failed: no name, no connection, a broken or refused answer.
class EHttpError : public EError {
public:
    using EError::EError;
};

// The caller asked the transfer to stop (its window is closing).
class ETransferCancelled : public EError {
public:
    ETransferCancelled() : EError("The transfer was stopped.") {}
};

struct THttpTiming {
    // From the start of the lookup until the connection (and, for https,
    // nothing more) stands.
    std::chrono::milliseconds connectLimit{120'000};
    std::chrono::milliseconds connectStep{125};
    // Once connected nothing limits the wait for data.
    std::chrono::milliseconds dataSlice{250};
};

// An HTTP GET client that never blocks its caller for long: it works in short
// slices on the calling thread and calls the caller back after each one, so a
// window can handle its waiting events in the middle of a transfer. Name
// lookup runs on a thread of its own, which is left behind if the caller stops
// waiting, so a name server that never answers holds nothing up.
class THttpClient {
public:
    // Called after every slice; returning false stops the transfer, which then
    // raises ETransferCancelled.
    using Pump = std::function<bool()>;
    using Endpoints = std::vector<boost::asio::ip::tcp::endpoint>;
    // Looks a host up, blocking; an empty result or an exception means the name
    // did not resolve. It runs on a thread of its own.
    using Resolver = std::function<Endpoints(const std::string &host, unsigned short port)>;

    using Timing = THttpTiming;

    static constexpr int MaxRequests = 15;
    static constexpr std::size_t MaxLineLength = 16384;
    // The answers this client fetches are a few lines long; a larger body is a
    // server that means harm, or a mistake, and fails the transfer.
    static constexpr std::size_t MaxBodySize = 1024 * 1024;

    THttpClient(THttpCookies &cookies, Pump pump, Resolver resolver = SystemResolver(), Timing timing = {});

    // Fetches address, following redirects. Returns the final answer's body,
    // or nullopt when the last allowed request was answered by a redirect
    // again. Raises EHttpError on failure, ETransferCancelled when stopped.
    std::optional<std::string> Get(const std::string &address);

    // The exact bytes of the request for url.
    static std::string RequestText(const HttpUrl &url, const std::string &cookieHeader);

    // The system's resolver (getaddrinfo). Names that can never resolve on any
    // network (below "example" and "invalid") fail without a query, so a build
    // that keeps the placeholder addresses sends nothing anywhere.
    static Resolver SystemResolver();
    static bool NeverResolves(std::string_view host);
    // Resolves numeric addresses only and fails every name without asking any
    // name server: for runs that must not reach the network.
    static Resolver NumericResolver();

private:
    struct Answer;
    Answer exchange(const HttpUrl &url);

    THttpCookies &m_cookies;
    Pump m_pump;
    Resolver m_resolver;
    Timing m_timing;
};
