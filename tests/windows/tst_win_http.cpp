// The update check's transfer under Windows, against a server of the test's
// own on 127.0.0.1: plain HTTP answers of every framing, redirects, failures,
// the downloaded file byte for byte, and https refused by a build without TLS.
#include "Check.h"
#include "DownloadFile.h"
#include "HttpCookies.h"
#include "THttpClient.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/streambuf.hpp>
#include <boost/asio/write.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include <windows.h>

namespace asio = boost::asio;
namespace fs = std::filesystem;

namespace {

using namespace std::string_literals;

// Each path's whole answer, sent as it stands before the connection closes.
const std::map<std::string, std::string> kAnswers = {
    {"/length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"},
    {"/chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n"},
    {"/to-close", "HTTP/1.0 200 OK\r\n\r\nread to the end"},
    {"/redirect", "HTTP/1.1 302 Found\r\nLocation: /length\r\nContent-Length: 0\r\n\r\n"},
    {"/missing", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"},
    {"/bytes", "HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\na\nb\r\n\0c\xff"s},
};

// Serves kAnswers on 127.0.0.1 until the process ends; gives the port.
unsigned short startServer()
{
    static asio::io_context io;
    static asio::ip::tcp::acceptor acceptor(io, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
    std::thread([] {
        for (;;) {
            asio::ip::tcp::socket socket(io);
            boost::system::error_code ec;
            acceptor.accept(socket, ec);
            if (ec)
                return;
            asio::streambuf request;
            asio::read_until(socket, request, "\r\n\r\n", ec);
            std::istream in(&request);
            std::string method, target;
            in >> method >> target;
            const auto answer = kAnswers.find(target);
            const std::string bytes = answer != kAnswers.end() ? answer->second : kAnswers.at("/missing");
            asio::write(socket, asio::buffer(bytes), ec);
            socket.shutdown(asio::ip::tcp::socket::shutdown_both, ec);
        }
    }).detach();
    return acceptor.local_endpoint().port();
}

// The transfer's result, or the text of the error it raised.
std::string fetch(const std::string &address)
{
    THttpCookies cookies;
    THttpClient client(cookies, [] { return true; }, THttpClient::NumericResolver());
    try {
        return client.Get(address).value_or("(redirected too often)");
    } catch (const EHttpError &e) {
        return std::string("error: ") + e.what();
    }
}

} // namespace

int main()
{
    Check check("tst_win_http");
    const std::string base = "http://127.0.0.1:" + std::to_string(startServer());

    struct Case {
        const char *name;
        std::string address;
        std::string expected;
    };
    const Case cases[] = {
        {"body of a given length", base + "/length", "hello"},
        {"chunked body", base + "/chunked", "hello world"},
        {"body read to the close", base + "/to-close", "read to the end"},
        {"redirect followed", base + "/redirect", "hello"},
        {"error status", base + "/missing", "error: The server answered 404: " + base + "/missing"},
        {"https refused without TLS", "https://127.0.0.1:9/",
         "error: This build of the program cannot fetch https addresses: https://127.0.0.1:9/"},
    };
    for (const Case &c : cases)
        check.equal(c.name, fetch(c.address), c.expected);

    // The downloaded file holds the answer's bytes exactly: no line end is
    // turned into another on the way to the disk.
    wchar_t tempDir[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, tempDir);
    const fs::path file = fs::path(tempDir) / (L"mainappupdate-" + std::to_wstring(GetCurrentProcessId()) + L".inf");
    THttpCookies cookies;
    THttpClient client(cookies, [] { return true; }, THttpClient::NumericResolver());
    check.that("download succeeds", DownloadFile(client, base + "/bytes", file));
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    in.close();
    check.equal("downloaded bytes", bytes.str(), "a\nb\r\n\0c\xff"s);
    check.that("a failed download leaves no file", !DownloadFile(client, base + "/missing", file) && !fs::exists(file));
    return check.finish();
}
