// The update check's transfer under Windows, against a server of the test's
// own on 127.0.0.1: plain HTTP answers of every framing, redirects, failures,
// the downloaded file byte for byte, and https refused by a build without TLS.
#include "Check.h"
#include "Scratch.h"
#include "DownloadFile.h"
#include "HttpCookies.h"
#include "THttpClient.h"
#include "UpdateCheck.h"

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
    {"/chunked",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n"},
    {"/to-close", "HTTP/1.0 200 OK\r\n\r\nread to the end"},
    {"/redirect", "HTTP/1.1 302 Found\r\nLocation: /length\r\nContent-Length: 0\r\n\r\n"},
    {"/missing", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"},
    {"/update/mainappupdate.inf",
     "HTTP/1.1 200 OK\r\nContent-Length: 43\r\n\r\n[APPLICATION]\r\nName=Postwright\r\nVersion=2\r\n"},
    {"/bytes", "HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\na\nb\r\n\0c\xff"s},
};

// Serves kAnswers on 127.0.0.1 until the process ends; gives the port.
unsigned short startServer()
{
    static asio::io_context io;
    static asio::ip::tcp::acceptor acceptor(io,
                                            asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
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

// The test's server without asking the system's resolver, which its own
// check below covers.
THttpClient::Endpoints loopback(const std::string &, unsigned short port)
{
    return {asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), port)};
}

// The transfer's result, or the text of the error it raised.
std::string fetch(const std::string &address)
{
    THttpCookies cookies;
    THttpClient client(
        cookies, [] { return true; }, loopback);
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

    // The system's resolver, for numeric addresses only.
    const THttpClient::Endpoints resolved = THttpClient::NumericResolver()("127.0.0.1", 8080);
    check.that("a numeric address resolves to itself",
               resolved.size() == 1 &&
                   resolved[0] == asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 8080));
    bool refused = false;
    try {
        THttpClient::NumericResolver()("localhost", 80);
    } catch (const EHttpError &) {
        refused = true;
    }
    check.that("a name is not looked up by the numeric resolver", refused);

    // The downloaded file holds the answer's bytes exactly: no line end is
    // turned into another on the way to the disk.
    const fs::path file = scratchPath(L"mainappupdate-", L".inf");
    THttpCookies cookies;
    THttpClient client(
        cookies, [] { return true; }, loopback);
    check.that("download succeeds", DownloadFile(client, base + "/bytes", file));
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    in.close();
    check.equal("downloaded bytes", bytes.str(), "a\nb\r\n\0c\xff"s);
    check.that("a failed download leaves no file",
               !DownloadFile(client, base + "/missing", file) && !fs::exists(file));

    // The whole update check over the transfer: the description fetched into
    // the application directory, the newer version offered, and Updater.exe
    // beside the program started with the base address, the version and "A".
    const fs::path appDir = scratchPath(L"postwright-update-");
    fs::create_directories(appDir);
    fs::path started;
    std::vector<std::string> arguments;
    TUpdateCheck update;
    update.appDir = appDir;
    update.baseUrl = base + "/update/";
    update.download = [&](const std::string &source, const fs::path &target) {
        return DownloadFile(client, source, target);
    };
    update.showMessage = [](const std::string &, TMsgKind, TMsgButtons) { return 1; };
    update.startUpdater = [&](const fs::path &program, const std::vector<std::string> &args) {
        started = program;
        arguments = args;
    };
    check.that("without Updater.exe the update cannot start",
               CheckForUpdates(update, true) == TUpdateOutcome::UpdaterMissing && started.empty());
    std::ofstream(appDir / "Updater.exe", std::ios::binary) << "MZ";
    check.that("with Updater.exe the update starts",
               CheckForUpdates(update, true) == TUpdateOutcome::UpdaterStarted);
    check.that("the updater started is Updater.exe beside the program", started == appDir / "Updater.exe");
    check.equal("the updater's arguments",
                arguments.size() == 3 ? arguments[0] + " " + arguments[1] + " " + arguments[2] : "(not 3)",
                base + "/update/ 1.00999999046326 A");
    std::error_code ec;
    fs::remove_all(appDir, ec);
    return check.finish();
}
