#pragma once

// An HTTP server on 127.0.0.1 for the update tests. It runs on a thread of its
// own, so it answers while the client under test holds the test's thread. A
// script gives the answer to each request; the server records every request's
// bytes exactly as they arrived.
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/streambuf.hpp>
#include <boost/asio/write.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class ScriptedHttpServer {
public:
    struct Reply {
        std::string bytes;
        // When set, the bytes go out one at a time with this pause before each.
        std::chrono::milliseconds perByte{0};
        // Keep the connection open without answering until the server stops.
        bool hold = false;
    };
    // Gets the request's path and its number (0 for the first request).
    using Script = std::function<Reply(const std::string &path, int index)>;

    // tls, when given, makes this an https server with that context.
    explicit ScriptedHttpServer(Script script, boost::asio::ssl::context *tls = nullptr)
        : m_script(std::move(script)), m_tls(tls),
          m_acceptor(m_io, {boost::asio::ip::make_address("127.0.0.1"), 0})
    {
        m_port = m_acceptor.local_endpoint().port();
        m_thread = std::thread([this] { serve(); });
    }

    ~ScriptedHttpServer()
    {
        m_stop = true;
        // Wakes the blocking accept.
        boost::system::error_code ignored;
        boost::asio::io_context io;
        boost::asio::ip::tcp::socket wake(io);
        wake.connect({boost::asio::ip::make_address("127.0.0.1"), m_port}, ignored);
        m_thread.join();
    }

    unsigned short port() const { return m_port; }
    std::string url(const std::string &path) const
    {
        return std::string(m_tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_port) + path;
    }

    std::vector<std::string> requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    // Whether the client closed a connection before its answer was all sent.
    bool clientLeftEarly() const { return m_leftEarly; }

    static std::string answer(const std::string &statusLine, const std::string &headers,
                              const std::string &body, bool withLength = true)
    {
        std::string out = "HTTP/1.1 " + statusLine + "\r\n" + headers;
        if (withLength)
            out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
        return out + "\r\n" + body;
    }

private:
    template <class Stream> void talk(Stream &stream)
    {
        boost::system::error_code ec;
        boost::asio::streambuf in;
        const std::size_t n = boost::asio::read_until(stream, in, "\r\n\r\n", ec);
        if (ec)
            return;
        const std::string request(boost::asio::buffers_begin(in.data()),
                                  boost::asio::buffers_begin(in.data()) + n);
        int index;
        {
            std::lock_guard lock(m_mutex);
            index = int(m_requests.size());
            m_requests.push_back(request);
        }
        const std::size_t sp1 = request.find(' ');
        const std::size_t sp2 = request.find(' ', sp1 + 1);
        const Reply reply = m_script(request.substr(sp1 + 1, sp2 - sp1 - 1), index);
        if (reply.hold) {
            while (!m_stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return;
        }
        if (reply.perByte.count() == 0) {
            boost::asio::write(stream, boost::asio::buffer(reply.bytes), ec);
            return;
        }
        // Each byte has its own time on one schedule from the first: pauses
        // measured one after another would add up every late wake-up of this
        // thread on a busy machine, and the server would trickle slower than
        // it says.
        auto due = std::chrono::steady_clock::now();
        for (char c : reply.bytes) {
            due += reply.perByte;
            while (!m_stop && std::chrono::steady_clock::now() < due)
                std::this_thread::sleep_until(
                    std::min(due, std::chrono::steady_clock::now() + std::chrono::milliseconds(5)));
            if (m_stop || boost::asio::write(stream, boost::asio::buffer(&c, 1), ec) != 1 || ec) {
                m_leftEarly = !m_stop;
                return;
            }
        }
    }

    void serve()
    {
        while (!m_stop) {
            boost::asio::ip::tcp::socket socket(m_io);
            boost::system::error_code ec;
            m_acceptor.accept(socket, ec);
            if (ec || m_stop)
                return;
            // A trickled byte leaves at once rather than waiting for the last one's ACK.
            socket.set_option(boost::asio::ip::tcp::no_delay(true), ec);
            if (m_tls) {
                boost::asio::ssl::stream<boost::asio::ip::tcp::socket &> stream(socket, *m_tls);
                stream.handshake(boost::asio::ssl::stream_base::server, ec);
                if (!ec) {
                    talk(stream);
                    stream.shutdown(ec);
                }
            } else {
                talk(socket);
                socket.shutdown(boost::asio::ip::tcp::socket::shutdown_send, ec);
                // Lets the client read everything before the socket goes.
                char drain[256];
                while (!ec && !m_stop)
                    socket.read_some(boost::asio::buffer(drain), ec);
            }
            socket.close(ec);
        }
    }

    Script m_script;
    boost::asio::ssl::context *m_tls;
    boost::asio::io_context m_io;
    boost::asio::ip::tcp::acceptor m_acceptor;
    unsigned short m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_leftEarly{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
};
