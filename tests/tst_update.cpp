// The update check's HTTP transfer, the download into the application
// directory, and the decisions of the check itself.
#include "DownloadFile.h"
#include "ScriptedHttpServer.h"
#include "THttpClient.h"
#include "TestCertificate.h"
#include "TestFiles.h"
#include "UpdateCheck.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <memory>

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using Reply = ScriptedHttpServer::Reply;

Q_DECLARE_METATYPE(Strings)
Q_DECLARE_METATYPE(std::string)

namespace {

std::string ok(const std::string &body, const std::string &headers = {})
{
    return ScriptedHttpServer::answer("200 OK", headers, body);
}

std::string redirect(const std::string &location, const std::string &status = "302 Found")
{
    return ScriptedHttpServer::answer(status, "Location: " + location + "\r\n", "moved");
}

// The request line's path of every request the server got.
Strings paths(const ScriptedHttpServer &server)
{
    Strings out;
    for (const std::string &r : server.requests()) {
        const std::size_t a = r.find(' ') + 1;
        out.push_back(r.substr(a, r.find(' ', a) - a));
    }
    return out;
}

// Sets SSL_CERT_FILE while it lives, so the system's store is this file.
struct TrustedStore {
    explicit TrustedStore(const fs::path &file) { ::setenv("SSL_CERT_FILE", file.c_str(), 1); }
    ~TrustedStore() { ::unsetenv("SSL_CERT_FILE"); }
};

// A name lookup that takes its time and says when it is over.
struct SlowLookup {
    std::shared_ptr<std::atomic<bool>> finished = std::make_shared<std::atomic<bool>>(false);
    THttpClient::Resolver resolver() const
    {
        return [finished = finished](const std::string &, unsigned short) -> THttpClient::Endpoints {
            std::this_thread::sleep_for(std::chrono::seconds(2));
            *finished = true;
            return {};
        };
    }
};

} // namespace

class TestUpdate : public QObject {
    Q_OBJECT

private slots:
    void requestBytes();
    void hostHeader_data();
    void hostHeader();
    void answers_data();
    void answers();
    void cookiesComeBack();
    void refusedConnection();
    void unresolvableName();
    void neverResolvingNames_data();
    void neverResolvingNames();
    void lookupDoesNotHoldTheCaller();
    void tricklingServerKeepsPumping();
    void stoppedTransferLeavesNoFile();
    void https_data();
    void https();
    void httpsToHttpRefused();
    void redirectResolution_data();
    void redirectResolution();
    void downloadReplacesOldFile();
    void failedDownloadRemovesOldFile();
    void uncreatableFileRaises();
    void versionNumbers_data();
    void versionNumbers();
    void versionText();
    void checkFlows_data();
    void checkFlows();
    void updaterMissingWarnsAfterConsent();
    void silentCheckSaysNothing();
    void stoppedCheckShowsNothing();
};

void TestUpdate::requestBytes()
{
    ScriptedHttpServer server([](const std::string &, int) { return Reply{ok("body")}; });
    THttpCookies cookies;
    THttpClient client(cookies, {});
    QCOMPARE(client.Get(server.url("/liveupdate/postwright/mainappupdate.inf")),
             std::optional<std::string>("body"));
    const std::string expected = "GET /liveupdate/postwright/mainappupdate.inf HTTP/1.1\r\n"
                                 "Content-Type: text/html\r\n"
                                 "Host: 127.0.0.1:" +
                                 std::to_string(server.port()) +
                                 "\r\n"
                                 "Accept: text/html, */*\r\n"
                                 "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                                 "\r\n";
    QCOMPARE(server.requests(), Strings{expected});
}

void TestUpdate::hostHeader_data()
{
    QTest::addColumn<std::string>("url");
    QTest::addColumn<std::string>("host");
    QTest::newRow("port 80 left out")
        << std::string("http://update.example/p") << std::string("update.example");
    QTest::newRow("other port named")
        << std::string("http://update.example:8080/p") << std::string("update.example:8080");
    QTest::newRow("https on 443 left out")
        << std::string("https://update.example/p") << std::string("update.example");
    QTest::newRow("https on 80 named")
        << std::string("https://update.example:80/p") << std::string("update.example:80");
}

void TestUpdate::hostHeader()
{
    QFETCH(std::string, url);
    QFETCH(std::string, host);
    const std::string request = THttpClient::RequestText(*ParseHttpUrl(url), {});
    QVERIFY2(request.find("\r\nHost: " + host + "\r\n") != std::string::npos, request.c_str());
}

void TestUpdate::answers_data()
{
    QTest::addColumn<Strings>("script"); // the answer to each request in turn; the last repeats
    QTest::addColumn<std::string>("start");
    QTest::addColumn<int>("outcome"); // 0 body, 1 no body (redirect limit), 2 failure
    QTest::addColumn<std::string>("body");
    QTest::addColumn<Strings>("requested");

    const std::string long16384 = "X-Long: " + std::string(16384 - 8, 'a');
    const Strings fifteen(15, "/again");
    Strings fifteenRequested{"/start"};
    fifteenRequested.insert(fifteenRequested.end(), 14, "/again");

    QTest::newRow("redirect chain, relative")
        << Strings{redirect("next/b"), redirect("../c?x=1", "301 Moved Permanently"), ok("done")}
        << std::string("/a/start") << 0 << std::string("done")
        << Strings{"/a/start", "/a/next/b", "/a/c?x=1"};
    QTest::newRow("fourteen redirects, then the body") <<
        [] {
            Strings s(14, redirect("/again"));
            s.push_back(ok("last"));
            return s;
        }() << std::string("/start") << 0 << std::string("last")
                                                       << fifteenRequested;
    QTest::newRow("fifteenth answer a redirect: no body, no error")
        << Strings{redirect("/again")} << std::string("/start") << 1 << std::string() << fifteenRequested;
    QTest::newRow("Location on a 200 is followed")
        << Strings{ok("not this", "Location: /final\r\n"), ok("final")} << std::string("/start") << 0
        << std::string("final") << Strings{"/start", "/final"};
    QTest::newRow("100 skipped") << Strings{"HTTP/1.1 100 Continue\r\n\r\n" + ok("after continue")}
                                 << std::string("/") << 0 << std::string("after continue") << Strings{"/"};
    QTest::newRow("chunked with extensions and trailers")
        << Strings{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nTrailer: X-Sum\r\n\r\n"
                   "4;name=value\r\nWiki\r\n5;a;b=\"q\"\r\npedia\r\n0\r\nX-Sum: 9\r\n\r\n"}
        << std::string("/") << 0 << std::string("Wikipedia") << Strings{"/"};
    QTest::newRow("read to the close")
        << Strings{"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n[APPLICATION]\r\nVersion=2\r\n"}
        << std::string("/") << 0 << std::string("[APPLICATION]\r\nVersion=2\r\n") << Strings{"/"};
    QTest::newRow("HTTP/1.0 read to the close")
        << Strings{"HTTP/1.0 200 OK\r\n\r\nold server"} << std::string("/") << 0 << std::string("old server")
        << Strings{"/"};
    QTest::newRow("204 has no body") << Strings{"HTTP/1.1 204 No Content\r\n\r\n"} << std::string("/") << 0
                                     << std::string() << Strings{"/"};
    QTest::newRow("header line of 16384 bytes") << Strings{ok("fits", long16384 + "\r\n")} << std::string("/")
                                                << 0 << std::string("fits") << Strings{"/"};
    QTest::newRow("header line of 16385 bytes") << Strings{ok("too long", long16384 + "b\r\n")}
                                                << std::string("/") << 2 << std::string() << Strings{"/"};
    QTest::newRow("header line of 16385 bytes, LF only")
        << Strings{"HTTP/1.1 200 OK\n" + long16384 + "b\nContent-Length: 1\n\nx"} << std::string("/") << 2
        << std::string() << Strings{"/"};
    QTest::newRow("status line of 16385 bytes")
        << Strings{"HTTP/1.1 200 " + std::string(16385 - 13, 'O') + "\r\nContent-Length: 1\r\n\r\nx"}
        << std::string("/") << 2 << std::string() << Strings{"/"};
    QTest::newRow("many header lines of 8 KiB")
        << Strings{ok("many",
                      [] {
                          std::string h;
                          for (int i = 0; i < 4; ++i)
                              h += "X-" + std::to_string(i) + ": " + std::string(8000, 'v') + "\r\n";
                          return h;
                      }())}
        << std::string("/") << 0 << std::string("many") << Strings{"/"};
    QTest::newRow("304 fails") << Strings{"HTTP/1.1 304 Not Modified\r\n\r\n"} << std::string("/") << 2
                               << std::string() << Strings{"/"};
    QTest::newRow("401 fails") << Strings{ScriptedHttpServer::answer(
                                      "401 Unauthorized", "WWW-Authenticate: Basic realm=\"u\"\r\n", "no")}
                               << std::string("/") << 2 << std::string() << Strings{"/"};
    QTest::newRow("407 fails") << Strings{ScriptedHttpServer::answer("407 Proxy Authentication Required", "",
                                                                     "no")}
                               << std::string("/") << 2 << std::string() << Strings{"/"};
    QTest::newRow("404 fails") << Strings{ScriptedHttpServer::answer("404 Not Found", "", "none")}
                               << std::string("/") << 2 << std::string() << Strings{"/"};
    QTest::newRow("101 fails") << Strings{"HTTP/1.1 101 Switching Protocols\r\n\r\n"} << std::string("/") << 2
                               << std::string() << Strings{"/"};
    QTest::newRow("no readable status")
        << Strings{"HELLO THERE\r\n\r\n"} << std::string("/") << 2 << std::string() << Strings{"/"};
    QTest::newRow("redirect without Location fails")
        << Strings{ScriptedHttpServer::answer("302 Found", "", "")} << std::string("/") << 2 << std::string()
        << Strings{"/"};
    QTest::newRow("body cut short fails") << Strings{"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nshort"}
                                          << std::string("/") << 2 << std::string() << Strings{"/"};
    QTest::newRow("body of 1 MiB") << Strings{ok(std::string(1024 * 1024, 'x'))} << std::string("/") << 0
                                   << std::string(1024 * 1024, 'x') << Strings{"/"};
    QTest::newRow("body over 1 MiB fails") << Strings{ok(std::string(1024 * 1024 + 1, 'x'))}
                                           << std::string("/") << 2 << std::string() << Strings{"/"};
    QTest::newRow("body over 1 MiB read to the close fails")
        << Strings{"HTTP/1.1 200 OK\r\n\r\n" + std::string(1024 * 1024 + 1, 'x')} << std::string("/") << 2
        << std::string() << Strings{"/"};
}

void TestUpdate::answers()
{
    QFETCH(Strings, script);
    QFETCH(std::string, start);
    QFETCH(int, outcome);
    QFETCH(std::string, body);
    QFETCH(Strings, requested);

    ScriptedHttpServer server([script](const std::string &, int i) {
        return Reply{script[std::min<std::size_t>(i, script.size() - 1)]};
    });
    THttpCookies cookies;
    THttpClient client(cookies, {});
    try {
        const std::optional<std::string> got = client.Get(server.url(start));
        QCOMPARE(outcome, got ? 0 : 1);
        if (got)
            QVERIFY(*got == body);
    } catch (const EHttpError &) {
        QCOMPARE(outcome, 2);
    }
    QCOMPARE(paths(server), requested);
}

void TestUpdate::cookiesComeBack()
{
    ScriptedHttpServer server([](const std::string &, int i) {
        return Reply{i == 0
                         ? ok("one", "Set-Cookie: session=abc; Path=/; HttpOnly\r\nSet-Cookie2: second=2\r\n")
                         : ok("two")};
    });
    THttpCookies cookies;
    {
        THttpClient first(cookies, {});
        QVERIFY(first.Get(server.url("/x")));
    }
    THttpClient second(cookies, {});
    QVERIFY(second.Get(server.url("/x")));
    const Strings requests = server.requests();
    QCOMPARE(requests.size(), std::size_t(2));
    QVERIFY(requests[0].find("Cookie:") == std::string::npos);
    // The cookie line is the last header line.
    QVERIFY2(requests[1].ends_with("\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                                   "Cookie: session=abc; second=2\r\n\r\n"),
             requests[1].c_str());
}

void TestUpdate::refusedConnection()
{
    unsigned short port;
    {
        boost::asio::io_context io;
        boost::asio::ip::tcp::acceptor closed(io, {boost::asio::ip::make_address("127.0.0.1"), 0});
        port = closed.local_endpoint().port();
    }
    THttpCookies cookies;
    THttpClient client(cookies, {});
    QVERIFY_THROWS_EXCEPTION(EHttpError, client.Get("http://127.0.0.1:" + std::to_string(port) + "/"));
}

void TestUpdate::unresolvableName()
{
    // The numeric resolver fails names without asking any name server.
    THttpCookies cookies;
    THttpClient client(cookies, {}, THttpClient::NumericResolver());
    QVERIFY_THROWS_EXCEPTION(EHttpError, client.Get("http://no-such-host.invalid/liveupdate/"));
}

void TestUpdate::neverResolvingNames_data()
{
    QTest::addColumn<std::string>("host");
    QTest::addColumn<bool>("never");
    QTest::newRow("built-in default") << std::string("update.postwright.example") << true;
    QTest::newRow("capitals, final dot") << std::string("UPDATE.EXAMPLE.") << true;
    QTest::newRow("invalid") << std::string("no-such-host.invalid") << true;
    QTest::newRow("example.com") << std::string("example.com") << false;
    QTest::newRow("example inside") << std::string("example.org") << false;
    QTest::newRow("address") << std::string("127.0.0.1") << false;
}

void TestUpdate::neverResolvingNames()
{
    QFETCH(std::string, host);
    QFETCH(bool, never);
    QCOMPARE(THttpClient::NeverResolves(host), never);
    if (never) {
        THttpCookies cookies;
        THttpClient client(cookies, {});
        QVERIFY_THROWS_EXCEPTION(EHttpError, client.Get("http://" + host + "/liveupdate/postwright/"));
    }
}

void TestUpdate::lookupDoesNotHoldTheCaller()
{
    SlowLookup lookup;
    int pumped = 0;
    THttpCookies cookies;
    THttpClient client(
        cookies, [&] { return ++pumped < 3; }, lookup.resolver());
    QVERIFY_THROWS_EXCEPTION(ETransferCancelled, client.Get("http://slow.test/"));
    QCOMPARE(pumped, 3);
    // The caller got control back while the lookup still ran.
    QVERIFY(!*lookup.finished);
}

void TestUpdate::tricklingServerKeepsPumping()
{
    const std::string answer = ok("0123456789");
    ScriptedHttpServer server([&](const std::string &, int) {
        return Reply{answer, std::chrono::milliseconds(10)};
    });
    int pumped = 0;
    THttpCookies cookies;
    THttpClient client(cookies, [&] { return ++pumped, true; });
    QCOMPARE(client.Get(server.url("/")), std::optional<std::string>("0123456789"));
    // Every byte arrives on its own, and each arrival lets the caller in.
    QVERIFY2(pumped >= int(answer.size()) / 2, std::to_string(pumped).c_str());
}

void TestUpdate::stoppedTransferLeavesNoFile()
{
    QTemporaryDir dir;
    const fs::path file = dirOf(dir) / "mainappupdate.inf";
    writeBytes(file, "[APPLICATION]\nVersion=1\n");
    ScriptedHttpServer server([](const std::string &, int) {
        return Reply{ok(std::string(200, 'x')), std::chrono::milliseconds(5)};
    });
    int pumped = 0;
    THttpCookies cookies;
    THttpClient client(cookies, [&] { return ++pumped < 20; });
    QVERIFY_THROWS_EXCEPTION(ETransferCancelled, DownloadFile(client, server.url("/f"), file));
    QCOMPARE(pumped, 20);
    QVERIFY(!fs::exists(file));
    QTRY_VERIFY(server.clientLeftEarly());
}

void TestUpdate::https_data()
{
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<std::string>("host"); // the name the client asks for, resolved to 127.0.0.1
    QTest::addColumn<bool>("succeeds");
    QTest::newRow("self-signed, not trusted") << false << std::string("127.0.0.1") << false;
    QTest::newRow("trusted, address matches") << true << std::string("127.0.0.1") << true;
    QTest::newRow("trusted, other host name") << true << std::string("update.test") << false;
}

void TestUpdate::https()
{
    QFETCH(bool, trusted);
    QFETCH(std::string, host);
    QFETCH(bool, succeeds);

    QTemporaryDir dir;
    TestCertificate certificate;
    const fs::path store = dirOf(dir) / "store.pem";
    certificate.writePem(store);
    std::optional<TrustedStore> trust;
    if (trusted)
        trust.emplace(store);
    else
        trust.emplace(dirOf(dir) / "empty.pem");
    boost::asio::ssl::context serverContext(boost::asio::ssl::context::tls_server);
    certificate.configure(serverContext);
    ScriptedHttpServer server([](const std::string &, int) { return Reply{ok("secret")}; }, &serverContext);

    THttpCookies cookies;
    THttpClient client(cookies, {}, [](const std::string &, unsigned short port) {
        return THttpClient::Endpoints{{boost::asio::ip::make_address("127.0.0.1"), port}};
    });
    const std::string url = "https://" + host + ":" + std::to_string(server.port()) + "/f";
    if (succeeds) {
        QCOMPARE(client.Get(url), std::optional<std::string>("secret"));
        QCOMPARE(paths(server), Strings{"/f"});
    } else {
        QVERIFY_THROWS_EXCEPTION(EHttpError, client.Get(url));
        // Nothing was asked over a connection that failed its check.
        QCOMPARE(server.requests(), Strings{});
    }
}

void TestUpdate::httpsToHttpRefused()
{
    QTemporaryDir dir;
    TestCertificate certificate;
    const fs::path store = dirOf(dir) / "store.pem";
    certificate.writePem(store);
    TrustedStore trust(store);
    ScriptedHttpServer plain(
        [](const std::string &, int) { return Reply{ok("[APPLICATION]\nVersion=9\n")}; });
    boost::asio::ssl::context serverContext(boost::asio::ssl::context::tls_server);
    certificate.configure(serverContext);
    const std::string target = plain.url("/inf");
    ScriptedHttpServer secure([&](const std::string &, int) { return Reply{redirect(target)}; },
                              &serverContext);

    THttpCookies cookies;
    THttpClient client(cookies, {});
    QVERIFY_THROWS_EXCEPTION(EHttpError, client.Get(secure.url("/inf")));
    QCOMPARE(paths(secure), Strings{"/inf"});
    QCOMPARE(plain.requests(), Strings{});
}

void TestUpdate::redirectResolution_data()
{
    QTest::addColumn<std::string>("base");
    QTest::addColumn<std::string>("reference");
    QTest::addColumn<std::string>("result"); // empty: cannot be followed
    QTest::newRow("absolute") << std::string("http://a.test/x/y") << std::string("http://b.test:81/z")
                              << std::string("http://b.test:81/z");
    QTest::newRow("scheme-relative") << std::string("https://a.test/x") << std::string("//c.test/p")
                                     << std::string("https://c.test/p");
    QTest::newRow("absolute path") << std::string("http://a.test:8080/x/y") << std::string("/z?q=1")
                                   << std::string("http://a.test:8080/z?q=1");
    QTest::newRow("relative path") << std::string("http://a.test/x/y") << std::string("z")
                                   << std::string("http://a.test/x/z");
    QTest::newRow("dot segments") << std::string("http://a.test/x/y/z") << std::string("../../w/./v")
                                  << std::string("http://a.test/w/v");
    QTest::newRow("above the root") << std::string("http://a.test/x") << std::string("../../w")
                                    << std::string("http://a.test/w");
    QTest::newRow("fragment dropped")
        << std::string("http://a.test/x") << std::string("/y#top") << std::string("http://a.test/y");
    QTest::newRow("other scheme") << std::string("http://a.test/x") << std::string("ftp://a.test/f")
                                  << std::string();
}

void TestUpdate::redirectResolution()
{
    QFETCH(std::string, base);
    QFETCH(std::string, reference);
    QFETCH(std::string, result);
    const std::optional<HttpUrl> url = ResolveHttpUrl(*ParseHttpUrl(base), reference);
    QCOMPARE(url ? url->text() : std::string(), result);
}

void TestUpdate::downloadReplacesOldFile()
{
    QTemporaryDir dir;
    const fs::path file = dirOf(dir) / "mainappupdate.inf";
    writeBytes(file, "old content that is longer than the new one");
    ScriptedHttpServer server([](const std::string &, int) { return Reply{ok("new")}; });
    THttpCookies cookies;
    THttpClient client(cookies, {});
    QVERIFY(DownloadFile(client, server.url("/f"), file));
    QCOMPARE(readBytes(file), std::string("new"));
}

void TestUpdate::failedDownloadRemovesOldFile()
{
    QTemporaryDir dir;
    const fs::path file = dirOf(dir) / "mainappupdate.inf";
    writeBytes(file, "[APPLICATION]\nVersion=5\n");
    ScriptedHttpServer server([](const std::string &, int) {
        return Reply{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n[APPLICATION]\nVersion=7\n"};
    });
    THttpCookies cookies;
    THttpClient client(cookies, {});
    QVERIFY(!DownloadFile(client, server.url("/f"), file));
    QVERIFY(!fs::exists(file));
}

void TestUpdate::uncreatableFileRaises()
{
    QTemporaryDir dir;
    THttpCookies cookies;
    THttpClient client(cookies, {});
    const fs::path file = dirOf(dir) / "missing folder" / "mainappupdate.inf";
    try {
        DownloadFile(client, "http://127.0.0.1:1/", file);
        QFAIL("no error raised");
    } catch (const EFileError &e) {
        QCOMPARE(e.file(), file);
        QVERIFY(!e.reason().empty());
    }
}

void TestUpdate::versionNumbers_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<char>("separator");
    QTest::addColumn<bool>("newer");
    QTest::addColumn<float>("value");
    QTest::newRow("1.01") << std::string("1.01") << '.' << false << 1.01f;
    QTest::newRow("1.02") << std::string("1.02") << '.' << true << 1.02f;
    QTest::newRow("1.010000001") << std::string("1.010000001") << '.' << false << 1.01f;
    QTest::newRow("1.0100001") << std::string("1.0100001") << '.' << true << 1.0100001f;
    QTest::newRow("2") << std::string("2") << '.' << true << 2.0f;
    QTest::newRow("empty") << std::string() << '.' << false << 0.0f;
    QTest::newRow("letters") << std::string("abc") << '.' << false << 0.0f;
    QTest::newRow("trailing letters") << std::string("1.5beta") << '.' << false << 0.0f;
    QTest::newRow("exponent") << std::string("2e0") << '.' << true << 2.0f;
    QTest::newRow("blanks around") << std::string(" 1.5 ") << '.' << true << 1.5f;
    QTest::newRow("inf is letters") << std::string("inf") << '.' << false << 0.0f;
    QTest::newRow("point under a comma locale") << std::string("1.02") << ',' << false << 0.0f;
    QTest::newRow("comma under a comma locale") << std::string("1,02") << ',' << true << 1.02f;
    QTest::newRow("comma under a point locale") << std::string("1,02") << '.' << false << 0.0f;
}

void TestUpdate::versionNumbers()
{
    QFETCH(std::string, text);
    QFETCH(char, separator);
    QFETCH(bool, newer);
    QFETCH(float, value);
    const float number = VersionNumber(text, separator);
    QCOMPARE(number, value);
    QCOMPARE(!(BuiltInVersion >= number), newer);
}

void TestUpdate::versionText()
{
    QCOMPARE(VersionText(BuiltInVersion, '.'), std::string("1.00999999046326"));
    QCOMPARE(VersionText(BuiltInVersion, ','), std::string("1,00999999046326"));
    QCOMPARE(VersionText(2.0f, '.'), std::string("2"));
}

namespace {

// A check over a folder whose download writes the given description (or fails
// when it is empty), recording every message box and updater start.
struct CheckRun {
    QTemporaryDir dir;
    std::vector<std::pair<std::string, std::pair<TMsgKind, TMsgButtons>>> boxes;
    std::vector<int> answers;
    std::vector<Strings> started;
    TUpdateCheck check;

    explicit CheckRun(const std::string &description, bool updater = true)
    {
        check.appDir = dirOf(dir);
        check.baseUrl = "http://update.test/liveupdate/postwright/";
        check.download = [description](const std::string &source, const fs::path &file) {
            if (source != "http://update.test/liveupdate/postwright/mainappupdate.inf" || description.empty())
                return false;
            writeBytes(file, description);
            return true;
        };
        check.showMessage = [this](const std::string &text, TMsgKind kind, TMsgButtons buttons) {
            boxes.push_back({text, {kind, buttons}});
            if (answers.empty())
                return 2;
            const int a = answers.front();
            answers.erase(answers.begin());
            return a;
        };
        check.startUpdater = [this](const fs::path &program, const Strings &arguments) {
            Strings call{program.string()};
            call.insert(call.end(), arguments.begin(), arguments.end());
            started.push_back(call);
        };
        if (updater)
            writeBytes(check.appDir / UpdaterFileName, "#!/bin/sh\n");
    }
    Strings texts() const
    {
        Strings t;
        for (const auto &b : boxes)
            t.push_back(b.first);
        return t;
    }
};

const TMsgButtons OkCancel = TMsgButton::OK | TMsgButton::Cancel;

} // namespace

void TestUpdate::checkFlows_data()
{
    QTest::addColumn<std::string>("description");
    QTest::addColumn<std::vector<int>>("answers");
    QTest::addColumn<Strings>("texts");
    QTest::addColumn<int>("outcome");
    const std::string newer = "[APPLICATION]\r\nName=Postwright\r\nVersion=2\r\n";
    const std::string offer = UpdateTexts::newVersion("2");
    const std::string none(UpdateTexts::NoUpdate);
    const std::string close(UpdateTexts::CloseToUpdate);
    QTest::newRow("download failed") << std::string() << std::vector<int>{} << Strings{none}
                                     << int(TUpdateOutcome::NoUpdate);
    QTest::newRow("same version") << std::string("[APPLICATION]\nVersion=1.01\n") << std::vector<int>{}
                                  << Strings{none} << int(TUpdateOutcome::NoUpdate);
    QTest::newRow("no Version key") << std::string("[APPLICATION]\nName=x\n") << std::vector<int>{}
                                    << Strings{none} << int(TUpdateOutcome::NoUpdate);
    QTest::newRow("Cancel to the offer")
        << newer << std::vector<int>{2} << Strings{offer} << int(TUpdateOutcome::Declined);
    QTest::newRow("Cancel to closing")
        << newer << std::vector<int>{1, 2} << Strings{offer, close} << int(TUpdateOutcome::Declined);
    QTest::newRow("OK twice") << newer << std::vector<int>{1, 1} << Strings{offer, close}
                              << int(TUpdateOutcome::UpdaterStarted);
    QTest::newRow("version text shown as read")
        << std::string("[APPLICATION]\nVersion=  1.50  \n") << std::vector<int>{2}
        << Strings{UpdateTexts::newVersion("1.50")} << int(TUpdateOutcome::Declined);
}

void TestUpdate::checkFlows()
{
    QFETCH(std::string, description);
    QFETCH(std::vector<int>, answers);
    QFETCH(Strings, texts);
    QFETCH(int, outcome);
    CheckRun run(description);
    run.answers = answers;
    QCOMPARE(int(CheckForUpdates(run.check, false)), outcome);
    QCOMPARE(run.texts(), texts);
    for (const auto &box : run.boxes) {
        QCOMPARE(box.second.first, TMsgKind::Information);
        QCOMPARE(box.second.second,
                 box.first == UpdateTexts::NoUpdate ? TMsgButtons(TMsgButton::OK) : OkCancel);
    }
    if (outcome == int(TUpdateOutcome::UpdaterStarted))
        QCOMPARE(run.started, (std::vector<Strings>{{(run.check.appDir / "Updater").string(),
                                                     "http://update.test/liveupdate/postwright/",
                                                     "1.00999999046326", "A"}}));
    else
        QVERIFY(run.started.empty());
    // Its two lines are parted by LF then CR.
    QCOMPARE(std::string(UpdateTexts::CloseToUpdate),
             std::string("To update your software the application will close "
                         "to\x0a\x0dreplace some files. Do you want to "
                         "update now?"));
}

void TestUpdate::updaterMissingWarnsAfterConsent()
{
    CheckRun run("[APPLICATION]\nVersion=1.02\n", false);
    run.answers = {1, 1};
    QCOMPARE(CheckForUpdates(run.check, true), TUpdateOutcome::UpdaterMissing);
    QCOMPARE(run.texts(),
             (Strings{UpdateTexts::newVersion("1.02"),
                      "The updater module is missing. Please reinstall again the current version!"}));
    QCOMPARE(run.boxes[1].second.first, TMsgKind::Warning);
    QCOMPARE(run.boxes[1].second.second, TMsgButtons(TMsgButton::OK));
    QVERIFY(run.started.empty());
}

void TestUpdate::silentCheckSaysNothing()
{
    for (const std::string &description : {std::string(), std::string("[APPLICATION]\nVersion=1\n")}) {
        CheckRun run(description);
        QCOMPARE(CheckForUpdates(run.check, true), TUpdateOutcome::NoUpdate);
        QVERIFY(run.boxes.empty());
    }
}

void TestUpdate::stoppedCheckShowsNothing()
{
    CheckRun run("");
    run.check.download = [](const std::string &, const fs::path &) -> bool { throw ETransferCancelled(); };
    QCOMPARE(CheckForUpdates(run.check, false), TUpdateOutcome::Stopped);
    QVERIFY(run.boxes.empty());
}

QTEST_APPLESS_MAIN(TestUpdate)
#include "tst_update.moc"
