#include "THttpClient.h"

#include "UUtils.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#ifndef POSTWRIGHT_NO_TLS
#include <boost/asio/ssl.hpp>
#endif
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#ifdef _WIN32
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <sys/socket.h>
#endif

namespace asio = boost::asio;
namespace http = boost::beast::http;
using boost::system::error_code;
using Clock = std::chrono::steady_clock;

struct THttpClient::Answer {
    int status = 0;
    std::optional<std::string> location;
    std::string body;
};

namespace {

// A bound on all header lines of one answer together, far above anything a
// real server sends, so that endless short lines cannot grow memory either.
constexpr std::size_t MaxHeaderSize = 1024 * 1024;

// One slice-driven operation: start it, then run the event loop one step at a
// time, calling the pump after every step, until it completes. Stopping closes
// the connection, which completes the operation at once; the operation's
// handler has always run before this returns, so nothing it refers to is left
// behind.
class Slicer {
public:
    Slicer(asio::io_context &io, const THttpClient::Pump &pump) : m_io(io), m_pump(pump) {}

    // closer aborts the operation; deadline (if any) fails it with reason.
    template <class Start, class Closer>
    error_code run(Start &&start, Closer &&closer, std::chrono::milliseconds step,
                   std::optional<Clock::time_point> deadline, const char *timeoutReason)
    {
        bool done = false;
        error_code result;
        start([&done, &result](error_code ec, auto &&...) {
            done = true;
            result = ec;
        });
        m_io.restart();
        while (!done) {
            m_io.run_one_for(step);
            bool goOn = true;
            try {
                goOn = !m_pump || m_pump();
            } catch (...) {
                stop(done, closer);
                throw;
            }
            if (!goOn) {
                stop(done, closer);
                throw ETransferCancelled();
            }
            if (!done && deadline && Clock::now() >= *deadline) {
                stop(done, closer);
                throw EHttpError(timeoutReason);
            }
        }
        return result;
    }

private:
    template <class Closer> void stop(bool &done, Closer &closer)
    {
        closer();
        m_io.restart();
        while (!done && m_io.run_one() > 0) {
        }
    }

    asio::io_context &m_io;
    const THttpClient::Pump &m_pump;
};

std::string describe(const error_code &ec)
{
    return ec.message();
}

// The shared state of one name lookup. The lookup thread holds it too, so a
// lookup that is given up on may finish whenever it likes.
struct Lookup {
    std::mutex mutex;
    std::condition_variable ready;
    bool done = false;
    THttpClient::Endpoints endpoints;
    std::string error;
};

THttpClient::Endpoints lookUp(const std::string &host, unsigned short port, int flags)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    addrinfo *list = nullptr;
    const int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
    if (rc != 0)
        throw EHttpError("The host name " + host + " could not be resolved: " + gai_strerror(rc));
    THttpClient::Endpoints endpoints;
    for (addrinfo *a = list; a; a = a->ai_next) {
        asio::ip::tcp::endpoint e;
        if (a->ai_addrlen <= e.capacity()) {
            std::memcpy(e.data(), a->ai_addr, a->ai_addrlen);
            e.resize(a->ai_addrlen);
            endpoints.push_back(e);
        }
    }
    freeaddrinfo(list);
    return endpoints;
}

} // namespace

THttpClient::THttpClient(THttpCookies &cookies, Pump pump, Resolver resolver, Timing timing)
    : m_cookies(cookies), m_pump(std::move(pump)), m_resolver(std::move(resolver)), m_timing(timing)
{
}

THttpClient::Resolver THttpClient::SystemResolver()
{
    return [](const std::string &host, unsigned short port) {
        if (NeverResolves(host))
            throw EHttpError("The host name " + host + " lies in a domain that never resolves.");
        return lookUp(host, port, AI_ADDRCONFIG);
    };
}

bool THttpClient::NeverResolves(std::string_view host)
{
    while (!host.empty() && host.back() == '.')
        host.remove_suffix(1);
    const std::size_t dot = host.rfind('.');
    const std::string_view last = dot == std::string_view::npos ? host : host.substr(dot + 1);
    return UUtils::EqualsIgnoringAsciiCase(last, "example") || UUtils::EqualsIgnoringAsciiCase(last, "invalid");
}

THttpClient::Resolver THttpClient::NumericResolver()
{
    return [](const std::string &host, unsigned short port) { return lookUp(host, port, AI_NUMERICHOST); };
}

std::string THttpClient::RequestText(const HttpUrl &url, const std::string &cookieHeader)
{
    std::string request = "GET " + url.target + " HTTP/1.1\r\n";
    request += "Content-Type: text/html\r\n";
    request += "Host: " + url.hostHeader() + "\r\n";
    request += "Accept: text/html, */*\r\n";
    request += "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";
    if (!cookieHeader.empty())
        request += "Cookie: " + cookieHeader + "\r\n";
    request += "\r\n";
    return request;
}

std::optional<std::string> THttpClient::Get(const std::string &address)
{
    std::optional<HttpUrl> url = ParseHttpUrl(address);
    if (!url)
        throw EHttpError("Not an http or https address: " + address);
    for (int request = 1;; ++request) {
        Answer answer = exchange(*url);
        const bool redirect = (answer.status >= 300 && answer.status <= 399 && answer.status != 304) ||
                              answer.location.has_value();
        if (redirect) {
            if (request == MaxRequests)
                return std::nullopt;
            if (!answer.location)
                throw EHttpError("The server answered " + std::to_string(answer.status) +
                                 " without saying where to go: " + url->text());
            std::optional<HttpUrl> next = ResolveHttpUrl(*url, *answer.location);
            if (!next)
                throw EHttpError("The server redirected to an address that cannot be fetched: " +
                                 *answer.location);
            // What came over a checked connection must not continue over one
            // that anybody on the way can read and change.
            if (url->secure() && !next->secure())
                throw EHttpError("Refused a redirect from https to http: " + next->text());
            url = std::move(next);
            continue;
        }
        if (answer.status >= 200 && answer.status <= 299)
            return std::move(answer.body);
        throw EHttpError("The server answered " + std::to_string(answer.status) + ": " + url->text());
    }
}

THttpClient::Answer THttpClient::exchange(const HttpUrl &url)
{
#ifdef POSTWRIGHT_NO_TLS
    // A build without a TLS library cannot check a secure server, and a
    // secure address is never fetched unchecked.
    if (url.secure())
        throw EHttpError("This build of the program cannot fetch https addresses: " + url.text());
#endif
    asio::io_context io;
    Slicer slicer(io, m_pump);
    const Clock::time_point connectDeadline = Clock::now() + m_timing.connectLimit;

    // Name lookup on its own thread, waited for in steps.
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, resolver = m_resolver, host = url.host, port = url.port] {
        Endpoints endpoints;
        std::string error;
        try {
            endpoints = resolver(host, port);
            if (endpoints.empty())
                error = "The host name " + host + " could not be resolved.";
        } catch (const std::exception &e) {
            error = e.what();
        } catch (...) {
            error = "The host name " + host + " could not be resolved.";
        }
        std::lock_guard lock(lookup->mutex);
        lookup->endpoints = std::move(endpoints);
        lookup->error = std::move(error);
        lookup->done = true;
        lookup->ready.notify_all();
    }).detach();
    for (;;) {
        {
            std::unique_lock lock(lookup->mutex);
            if (lookup->ready.wait_for(lock, m_timing.connectStep, [&] { return lookup->done; }))
                break;
        }
        if (m_pump && !m_pump())
            throw ETransferCancelled();
        if (Clock::now() >= connectDeadline)
            throw EHttpError("No answer while looking up " + url.host + ".");
    }
    if (!lookup->error.empty())
        throw EHttpError(lookup->error);
    const Endpoints endpoints = lookup->endpoints;

#ifdef POSTWRIGHT_NO_TLS
    asio::ip::tcp::socket socket(io);
#else
    asio::ssl::context tlsContext(asio::ssl::context::tls_client);
    asio::ssl::stream<asio::ip::tcp::socket> tls(io, tlsContext);
    asio::ip::tcp::socket &socket = tls.next_layer();
#endif
    auto close = [&socket] {
        error_code ignored;
        socket.close(ignored);
    };

    error_code ec =
        slicer.run([&](auto handler) { asio::async_connect(socket, endpoints, std::move(handler)); }, close,
                   m_timing.connectStep, connectDeadline, "The connection timed out.");
    if (ec)
        throw EHttpError("Could not connect to " + url.hostHeader() + ": " + describe(ec));

    const auto slice = m_timing.dataSlice;
#ifndef POSTWRIGHT_NO_TLS
    if (url.secure()) {
        tlsContext.set_default_verify_paths();
        tls.set_verify_mode(asio::ssl::verify_peer);
        tls.set_verify_callback(asio::ssl::host_name_verification(url.host));
        // The server picks its certificate by the name it is asked for; an
        // address is not a name and is not sent.
        error_code notAnAddress;
        asio::ip::make_address(url.host, notAnAddress);
        if (notAnAddress && !SSL_set_tlsext_host_name(tls.native_handle(), url.host.c_str()))
            throw EHttpError("Could not name the host to the server: " + url.host);
        ec = slicer.run(
            [&](auto handler) { tls.async_handshake(asio::ssl::stream_base::client, std::move(handler)); },
            close, slice, std::nullopt, "");
        if (ec)
            throw EHttpError("The secure connection to " + url.host + " failed: " + describe(ec));
    }
#endif

    // Plain and secure connections differ only in the stream read and written.
    auto transfer = [&](auto &stream) {
        const std::string request = RequestText(url, m_cookies.headerFor(url.host));
        error_code ec = slicer.run(
            [&](auto handler) { asio::async_write(stream, asio::buffer(request), std::move(handler)); },
            close, slice, std::nullopt, "");
        if (ec)
            throw EHttpError("Could not send the request to " + url.hostHeader() + ": " + describe(ec));

        boost::beast::flat_buffer buffer;
        for (;;) {
            // The status and header lines, up to the empty line, each checked
            // for its length as it arrives.
            std::size_t scanned = 0, lineStart = 0, headerEnd = 0;
            while (headerEnd == 0) {
                const auto data = buffer.data();
                const char *bytes = static_cast<const char *>(data.data());
                for (; scanned < data.size(); ++scanned) {
                    if (bytes[scanned] != '\n')
                        continue;
                    std::size_t length = scanned - lineStart;
                    if (length > 0 && bytes[scanned - 1] == '\r')
                        --length;
                    if (length > MaxLineLength)
                        throw EHttpError("The server sent a header line longer than 16384 bytes.");
                    lineStart = scanned + 1;
                    if (length == 0) {
                        headerEnd = scanned + 1;
                        break;
                    }
                }
                if (headerEnd != 0)
                    break;
                if (data.size() - lineStart > MaxLineLength + 1)
                    throw EHttpError("The server sent a header line longer than 16384 bytes.");
                if (data.size() > MaxHeaderSize)
                    throw EHttpError("The server sent too many header lines.");
                std::size_t got = 0;
                ec = slicer.run(
                    [&](auto handler) {
                        stream.async_read_some(
                            buffer.prepare(4096),
                            [&got, handler = std::move(handler)](error_code e, std::size_t n) mutable {
                                got = n;
                                handler(e, n);
                            });
                    },
                    close, slice, std::nullopt, "");
                buffer.commit(got);
                if (ec)
                    throw EHttpError("The answer from " + url.hostHeader() + " broke off: " + describe(ec));
            }

            http::response_parser<http::string_body> parser;
            parser.header_limit(static_cast<std::uint32_t>(MaxHeaderSize + 2));
            parser.body_limit(MaxBodySize);
            const std::size_t used = parser.put(asio::buffer(buffer.data().data(), headerEnd), ec);
            if (ec || !parser.is_header_done())
                throw EHttpError("The server's answer cannot be read: " +
                                 (ec ? describe(ec) : std::string("no status")));
            buffer.consume(used);
            const int status = static_cast<int>(parser.get().result_int());
            if (status == 100)
                continue;

            while (!parser.is_done()) {
                ec = slicer.run(
                    [&](auto handler) { http::async_read_some(stream, buffer, parser, std::move(handler)); },
                    close, slice, std::nullopt, "");
                if (ec)
                    throw EHttpError("The answer from " + url.hostHeader() + " broke off: " + describe(ec));
            }

            auto &message = parser.get();
            Answer answer;
            answer.status = status;
            for (const auto &field : message) {
                const std::string_view name(field.name_string().data(), field.name_string().size());
                const std::string_view value(field.value().data(), field.value().size());
                if (UUtils::EqualsIgnoringAsciiCase(name, "Set-Cookie") || UUtils::EqualsIgnoringAsciiCase(name, "Set-Cookie2"))
                    m_cookies.store(url.host, value);
                else if (UUtils::EqualsIgnoringAsciiCase(name, "Location") && !answer.location)
                    answer.location = std::string(value);
            }
            answer.body = std::move(message.body());
            return answer;
        }
    };

#ifdef POSTWRIGHT_NO_TLS
    Answer answer = transfer(socket);
#else
    Answer answer = url.secure() ? transfer(tls) : transfer(socket);
#endif
    close();
    return answer;
}
