// Link and e-mail markup and the e-mail address scanner.
#include "Errors.h"
#include "ExtractEmails.h"
#include "FindByte.h"
#include "Markup.h"

#include <QTemporaryDir>
#include <QTest>

#include <re2/re2.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <set>

namespace {

QByteArray bytes(std::string_view s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}
std::string_view view(const QByteArray &b)
{
    return std::string_view(b.constData(), size_t(b.size()));
}

const TFormat tags{"tags", "<", "|", ">", "m:"};
const TFormat bare{"bare", "", "", "", ""};
const TFormat ubb{"ubb", "[url=", "]", "[/url]", "mailto:"};
const TFormat html{"html", "<a href=\"", "\">", "</a>", "mailto:"};
const TFormat markdown{"markdown", "[", "](", ")", "mailto:"};

// The list the tables mark up with: templates with an empty Name are never
// selected, so index 0 is "tags", 1 "bare", 2 "ubb" and 3 "markdown".
void fillFormats(TFormats &formats)
{
    const TFormat unnamed{"", "X", "X", "X", "X"};
    for (const TFormat &f : {unnamed, tags, unnamed, bare, ubb, markdown})
        formats.append(f.Name, std::make_unique<TFormat>(f));
}

// The address pattern, searched by RE2 in Latin-1 with leftmost-longest matches:
// the reference the scanner is held to.
const RE2 &addressPattern()
{
    static const RE2 re = [] {
        RE2::Options o;
        o.set_encoding(RE2::Options::EncodingLatin1);
        o.set_longest_match(true);
        o.set_log_errors(false);
        return RE2(R"([_a-zA-Z\d\-\.]+@[_a-zA-Z\d\-]+(\.[_a-zA-Z\d\-]+)+)", o);
    }();
    return re;
}

std::vector<UUtils::EmailMatch> re2Matches(std::string_view text)
{
    std::vector<UUtils::EmailMatch> out;
    const re2::StringPiece input(text.data(), text.size());
    re2::StringPiece m;
    size_t pos = 0;
    while (pos <= text.size() && addressPattern().Match(input, pos, text.size(), RE2::UNANCHORED, &m, 1)) {
        const size_t offset = size_t(m.data() - text.data());
        out.push_back({offset, m.size()});
        pos = offset + m.size();
    }
    return out;
}

// Where the web pass cuts next in the small-letter copy l: the first
// "http://", or the first "https://" where that comes before it. A text without
// "https://" is cut at each "http://" alone.
size_t firstWebScheme(const std::string &l)
{
    const size_t http = l.find("http://");
    const size_t secure = l.find("https://");
    return secure == std::string::npos ? http : std::min(http, secure);
}

// The markup spelled out step by step the plain way: copying and cutting the
// front of the text for each web address, and for each address found after the
// web pass replacing all its occurrences in the whole text. It is quadratic and
// wraps repeated addresses again and again, but where every address stands once
// it gives the result MarkupText must give.
std::string spelledOutWebPass(std::string s, const TFormat &f)
{
    auto trim = [](std::string t) {
        while (!t.empty() && static_cast<unsigned char>(t.back()) <= 32)
            t.pop_back();
        while (!t.empty() && static_cast<unsigned char>(t.front()) <= 32)
            t.erase(0, 1);
        return t;
    };
    std::string l = s;
    for (char &c : l)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    std::string r;
    for (size_t p; (p = firstWebScheme(l)) != std::string::npos;) {
        r += s.substr(0, p);
        s.erase(0, p);
        l.erase(0, p);
        size_t e = l.find(' ');
        if (e == std::string::npos)
            e = l.find(',');
        if (e == std::string::npos)
            e = l.size();
        const std::string u = trim(s.substr(0, e));
        r += f.LinkOpen + u + f.LinkMiddle + u + f.LinkEnd;
        s.erase(0, e);
        l.erase(0, e);
    }
    return r + s;
}

// With firstOfEach, an address found several times is replaced only in its
// first round.
std::string spelledOutEmailStep(std::string r, const TFormat &f, bool firstOfEach)
{
    std::vector<std::string> found;
    for (const auto &m : re2Matches(r))
        found.push_back(r.substr(m.offset, m.length));
    std::set<std::string> done;
    for (const std::string &a : found) {
        if (firstOfEach && !done.insert(a).second)
            continue;
        const std::string link = f.LinkOpen + f.Email + a + f.LinkMiddle + a + f.LinkEnd;
        std::string next;
        size_t from = 0;
        for (size_t at; (at = r.find(a, from)) != std::string::npos; from = at + a.size())
            next += r.substr(from, at - from) + link;
        next += r.substr(from);
        r = std::move(next);
    }
    return r;
}

size_t occurrences(const std::string &text, const std::string &what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The markup as the rules spell it, with each address found after the web
// pass wrapped once where it stands: the web pass, then the matches of the
// reference engine in its result, replaced from left to right.
std::string wrappedOnceReference(const std::string &text, const TFormat &f)
{
    const std::string r = spelledOutWebPass(text, f);
    std::string expected;
    size_t copied = 0;
    for (const auto &m : re2Matches(r)) {
        const std::string a = r.substr(m.offset, m.length);
        expected +=
            r.substr(copied, m.offset - copied) + f.LinkOpen + f.Email + a + f.LinkMiddle + a + f.LinkEnd;
        copied = m.offset + m.length;
    }
    return expected + r.substr(copied);
}

std::string randomText(std::mt19937 &rng, std::string_view alphabet, size_t length)
{
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::string s(length, ' ');
    for (char &c : s)
        c = alphabet[pick(rng)];
    return s;
}

// A message made of words, separators, web addresses (the scheme in any case,
// some with an e-mail address in the query) and e-mail addresses, most of them
// different from each other.
std::string randomMessage(std::mt19937 &rng)
{
    static const char *const separators[] = {" ", " ", ", ", ",", "\r\n", "\t", ". ", "\r\n ", " @ ", "\xe9"};
    auto n = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto word = [&] { return randomText(rng, "abcdefghij", size_t(n(1, 6))); };
    auto address = [&] {
        std::string a =
            randomText(rng, "abc.-_19", size_t(n(1, 5))) + std::to_string(n(0, 99999)) + "@" + word();
        for (int i = n(1, 3); i > 0; --i)
            a += "." + word();
        return a;
    };
    std::string s;
    for (int i = n(0, 12); i > 0; --i) {
        switch (n(0, 5)) {
        case 0:
        case 1:
            s += word();
            break;
        case 2:
            s += address();
            break;
        case 3: {
            std::string scheme = "http://";
            for (char &c : scheme)
                if (n(0, 3) == 0)
                    c = char(std::toupper(static_cast<unsigned char>(c)));
            s += scheme + word() + ".example/";
            if (n(0, 1))
                s += "?to=" + address();
            break;
        }
        case 4: {
            std::string scheme = "https://";
            for (char &c : scheme)
                if (n(0, 3) == 0)
                    c = char(std::toupper(static_cast<unsigned char>(c)));
            s += scheme + word();
            if (n(0, 2) == 0)
                s += "/?to=" + address();
            break;
        }
        default:
            s += word() + "@" + word();
        }
        s += separators[n(0, int(std::size(separators)) - 1)];
    }
    return s;
}

// Pieces joined with nothing between them, so that addresses run into web
// schemes and into the at signs, dots and colons around them.
std::string gluedMessage(std::mt19937 &rng)
{
    static const char *const pieces[] = {"a",       "b.c",      "x_1-", "@",      ".",  "a@b.cd",
                                         "http://", "HTTPS://", "s:",   "ttp://", ":",  "//",
                                         " ",       ",",        "\r\n", "\xe9",   "q.", "@q.r"};
    auto n = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::string s;
    for (int i = n(0, 30); i > 0; --i)
        s += pieces[n(0, int(std::size(pieces)) - 1)];
    return s;
}

} // namespace

class TestMarkup : public QObject {
    Q_OBJECT

private slots:
    void init();

    void markupText_data();
    void markupText();
    void repeatedAddressGrowsLinearly();

    void wrap_data();
    void wrap();

    void missingTemplate_data();
    void missingTemplate();

    void extractEmails_data();
    void extractEmails();
    void findEmailsGivesPlaces();

    void scannerAgreesWithRe2_data();
    void scannerAgreesWithRe2();
    void agreesWithStepByStepMarkupForSingleAddresses();
    void eachAddressWrappedOnce_data();
    void eachAddressWrappedOnce();
    void gluedAndLongTextsWrappedOnce_data();
    void gluedAndLongTextsWrappedOnce();

    void copyAndScanInEveryWidth_data();
    void copyAndScanInEveryWidth();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TFormats> m_formats;
};

void TestMarkup::init()
{
    m_formats = std::make_unique<TFormats>(std::filesystem::path(m_dir.path().toStdString()));
    fillFormats(*m_formats);
}

void TestMarkup::markupText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("marked");

    const QByteArray everything("see http://a.example/x, HTTP://b mail b@c.de\r\n\t\x01\xff, x@y.zz. ");
    QTest::newRow("text: byte for byte") << everything << -1 << everything;
    QTest::newRow("text: NUL bytes kept")
        << QByteArray("a\0b http://x", 12) << -1 << QByteArray("a\0b http://x", 12);
    QTest::newRow("empty") << QByteArray() << 0 << QByteArray();
    QTest::newRow("empty, text") << QByteArray() << -1 << QByteArray();
    for (int k : {0, 1, 2, 3}) {
        const QByteArray plain(
            "Plain words, nothing: to link.\r\nuser@localhost; ftp://files.example/ https:/x");
        QTest::addRow("nothing to link, template %d", k) << plain << k << plain;
    }

    // Web addresses.
    QTest::newRow("link") << QByteArray("go http://a.example/p now") << 0
                          << QByteArray("go <http://a.example/p|http://a.example/p> now");
    QTest::newRow("inside a word") << QByteArray("xhttp://y z") << 0 << QByteArray("x<http://y|http://y> z");
    QTest::newRow("https") << QByteArray("go https://a.example/ now") << 0
                           << QByteArray("go <https://a.example/|https://a.example/> now");
    QTest::newRow("https, capitals in the scheme")
        << QByteArray("go HTTPS://A.Example/ or hTtPs://b") << 0
        << QByteArray("go <HTTPS://A.Example/|HTTPS://A.Example/> or <hTtPs://b|hTtPs://b>");
    QTest::newRow("https inside a word")
        << QByteArray("xhttps://y z") << 0 << QByteArray("x<https://y|https://y> z");
    QTest::newRow("https scheme alone at the end")
        << QByteArray("see https://") << 0 << QByteArray("see <https://|https://>");
    QTest::newRow("https, then http")
        << QByteArray("https://a http://b") << 0 << QByteArray("<https://a|https://a> <http://b|http://b>");
    QTest::newRow("http, then https, joined by a comma")
        << QByteArray("at http://x,https://y") << 0
        << QByteArray("at <http://x|http://x>,<https://y|https://y>");
    QTest::newRow("https, comma before a space belongs to it")
        << QByteArray("at https://x.example/, then") << 0
        << QByteArray("at <https://x.example/,|https://x.example/,> then");
    QTest::newRow("https, space on a later line") << QByteArray("https://x\r\nnext line") << 0
                                                  << QByteArray("<https://x\r\nnext|https://x\r\nnext> line");
    QTest::newRow("s before http is not the scheme")
        << QByteArray("xs http://a") << 0 << QByteArray("xs <http://a|http://a>");
    QTest::newRow("letters between http and ://")
        << QByteArray("httpss://a httpx://b") << 0 << QByteArray("httpss://a httpx://b");
    QTest::newRow("http:// inside an https address")
        << QByteArray("https://a/?u=http://b c") << 0
        << QByteArray("<https://a/?u=http://b|https://a/?u=http://b> c");
    QTest::newRow("https:// inside an http address")
        << QByteArray("http://a/?u=https://b c") << 0
        << QByteArray("<http://a/?u=https://b|http://a/?u=https://b> c");
    QTest::newRow("capitals in the scheme") << QByteArray("go HtTP://A.Example/ now") << 0
                                            << QByteArray("go <HtTP://A.Example/|HtTP://A.Example/> now");
    QTest::newRow("scheme alone at the end")
        << QByteArray("see http://") << 0 << QByteArray("see <http://|http://>");
    QTest::newRow("two links") << QByteArray("http://a http://b") << 0
                               << QByteArray("<http://a|http://a> <http://b|http://b>");
    QTest::newRow("comma before a space belongs to it")
        << QByteArray("at http://x.example/, then") << 0
        << QByteArray("at <http://x.example/,|http://x.example/,> then");
    QTest::newRow("joined by a comma, no space after")
        << QByteArray("at http://x,http://y") << 0
        << QByteArray("at <http://x|http://x>,<http://y|http://y>");
    QTest::newRow("joined by a comma, space later")
        << QByteArray("http://x,http://y and") << 0
        << QByteArray("<http://x,http://y|http://x,http://y> and");
    QTest::newRow("comma ends it, text after")
        << QByteArray("http://x,tail,more") << 0 << QByteArray("<http://x|http://x>,tail,more");
    QTest::newRow("space on a later line")
        << QByteArray("http://x\r\nnext line") << 0 << QByteArray("<http://x\r\nnext|http://x\r\nnext> line");
    QTest::newRow("tab inside") << QByteArray("http://x\tmore text") << 0
                                << QByteArray("<http://x\tmore|http://x\tmore> text");
    QTest::newRow("line break, then a space")
        << QByteArray("http://x\r\n next") << 0 << QByteArray("<http://x|http://x> next");
    QTest::newRow("line break at the end")
        << QByteArray("http://x\r\n") << 0 << QByteArray("<http://x|http://x>");
    QTest::newRow("comma after a line break")
        << QByteArray("http://x\r\n,y") << 0 << QByteArray("<http://x|http://x>,y");

    // E-mail addresses.
    QTest::newRow("address") << QByteArray("write a.b@c.example now") << 0
                             << QByteArray("write <m:a.b@c.example|a.b@c.example> now");
    QTest::newRow("dot after an address") << QByteArray("write to a.b@c.example.") << 0
                                          << QByteArray("write to <m:a.b@c.example|a.b@c.example>.");
    QTest::newRow("no dot after the at sign")
        << QByteArray("user@localhost here") << 0 << QByteArray("user@localhost here");
    QTest::newRow("8-bit bytes end an address") << QByteArray("caf\xe9"
                                                              "a@b.ex\xe9mple")
                                                << 0 << QByteArray("caf\xe9<m:a@b.ex|a@b.ex>\xe9mple");
    QTest::newRow("two different addresses")
        << QByteArray("a@b.example and c@d.example") << 0
        << QByteArray("<m:a@b.example|a@b.example> and <m:c@d.example|c@d.example>");
    QTest::newRow("address in a web link")
        << QByteArray("http://x.example/?to=a@b.example now") << 0
        << QByteArray("<http://x.example/?to=<m:a@b.example|a@b.example>|"
                      "http://x.example/?to=<m:a@b.example|a@b.example>> now");
    QTest::newRow("repeated address: each once")
        << QByteArray("a@b.example, a@b.example") << 0
        << QByteArray("<m:a@b.example|a@b.example>, <m:a@b.example|a@b.example>");
    QTest::newRow("tail of another address")
        << QByteArray("xa@b.example a@b.example") << 0
        << QByteArray("<m:xa@b.example|xa@b.example> <m:a@b.example|a@b.example>");

    // Templates.
    QTest::newRow("empty fields") << QByteArray("http://x y@z.example") << 1
                                  << QByteArray("http://xhttp://x y@z.exampley@z.example");
    QTest::newRow("markdown: web link")
        << QByteArray("see https://a.example/p, or http://b") << 3
        << QByteArray("see [https://a.example/p,](https://a.example/p,) or [http://b](http://b)");
    QTest::newRow("markdown: e-mail link")
        << QByteArray("write (a.b@c.example) [x@y.zz]") << 3
        << QByteArray("write ([mailto:a.b@c.example](a.b@c.example)) [[mailto:x@y.zz](x@y.zz)]");
    QTest::newRow("markdown: address in a web link")
        << QByteArray("https://x.example/?to=a@b.example now") << 3
        << QByteArray("[https://x.example/?to=[mailto:a@b.example](a@b.example)]("
                      "https://x.example/?to=[mailto:a@b.example](a@b.example)) now");
    QTest::newRow("unnamed templates skipped")
        << QByteArray("http://x a@b.cd") << 2
        << QByteArray("[url=http://x]http://x[/url] [url=mailto:a@b.cd]a@b.cd[/url]");
}

void TestMarkup::markupText()
{
    QFETCH(QByteArray, text);
    QFETCH(int, index);
    QFETCH(QByteArray, marked);
    QCOMPARE(bytes(MarkupText(view(text), index, *m_formats)), marked);
}

void TestMarkup::repeatedAddressGrowsLinearly()
{
    // A pasted list with thirty copies of one address: thirty links, no more.
    std::string text, expected;
    for (int i = 0; i < 30; ++i) {
        text += "a@b.example\r\n";
        expected += "<m:a@b.example|a@b.example>\r\n";
    }
    QCOMPARE(bytes(MarkupText(text, 0, *m_formats)), bytes(expected));
}

void TestMarkup::wrap_data()
{
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<QByteArray>("email");

    QTest::newRow("text trims") << QByteArray(" \t\r\nhttp://x \x01") << -1 << QByteArray("http://x")
                                << QByteArray("http://x");
    QTest::newRow("NUL trimmed") << QByteArray("\0a@b.c\0", 7) << -1 << QByteArray("a@b.c")
                                 << QByteArray("a@b.c");
    QTest::newRow("byte 127 stays") << QByteArray("\x7f"
                                                  "a \x7f")
                                    << -1
                                    << QByteArray("\x7f"
                                                  "a \x7f")
                                    << QByteArray("\x7f"
                                                  "a \x7f");
    QTest::newRow("all blank") << QByteArray(" \r\n ") << 0 << QByteArray("<|>") << QByteArray("<m:|>");
    QTest::newRow("tags") << QByteArray(" a@b.c\r\n") << 0 << QByteArray("<a@b.c|a@b.c>")
                          << QByteArray("<m:a@b.c|a@b.c>");
    QTest::newRow("empty fields") << QByteArray("u ") << 1 << QByteArray("uu") << QByteArray("uu");
    QTest::newRow("third named") << QByteArray("u") << 2 << QByteArray("[url=u]u[/url]")
                                 << QByteArray("[url=mailto:u]u[/url]");
}

void TestMarkup::wrap()
{
    QFETCH(QByteArray, address);
    QFETCH(int, index);
    QFETCH(QByteArray, url);
    QFETCH(QByteArray, email);
    QCOMPARE(bytes(WrapURL(view(address), index, *m_formats)), url);
    QCOMPARE(bytes(WrapEmail(view(address), index, *m_formats)), email);
}

void TestMarkup::missingTemplate_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("emptyList");
    QTest::newRow("past the named templates") << 4 << false;
    QTest::newRow("below text") << -2 << false;
    QTest::newRow("no templates at all") << 0 << true;
}

void TestMarkup::missingTemplate()
{
    // The chooser can offer entries the list does not hold when the list failed
    // to load; plain text in place of the chosen markup would be a wrong result.
    QFETCH(int, index);
    QFETCH(bool, emptyList);
    if (emptyList)
        m_formats->ClearAll();
    try {
        MarkupText("no links here", index, *m_formats);
        QFAIL("an index without a template was taken");
    } catch (const EError &e) {
        const std::string what = e.what();
        QVERIFY2(what.find("template index " + std::to_string(index)) != std::string::npos, e.what());
    }
    QVERIFY_THROWS_EXCEPTION(EError, WrapURL("http://x", index, *m_formats));
    QVERIFY_THROWS_EXCEPTION(EError, WrapEmail("a@b.cd", index, *m_formats));
}

void TestMarkup::extractEmails_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("found");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("none") << QByteArray("user@localhost, @a.b, a@.b.c, a@b..c") << QByteArray();
    QTest::newRow("in order, duplicates kept")
        << QByteArray("x@y.zz, a@b.cd x@y.zz") << QByteArray("x@y.zz\r\na@b.cd\r\nx@y.zz\r\n");
    QTest::newRow("dots at the end") << QByteArray("a@b.c.d..") << QByteArray("a@b.c.d\r\n");
    QTest::newRow("double dot ends the domain") << QByteArray("a@b.c..d") << QByteArray("a@b.c\r\n");
    QTest::newRow("next name starts at the dot")
        << QByteArray("a@b.c.d.@x.y") << QByteArray("a@b.c.d\r\n.@x.y\r\n");
    QTest::newRow("name after a failed at sign") << QByteArray("a@b@c.d") << QByteArray("b@c.d\r\n");
    QTest::newRow("at sign right after a match") << QByteArray("a@b.c@d.e") << QByteArray("a@b.c\r\n");
    QTest::newRow("dots and signs in the name")
        << QByteArray("..-_a@b_c.d-e") << QByteArray("..-_a@b_c.d-e\r\n");
    QTest::newRow("8-bit bytes") << QByteArray("\xe9"
                                               "a@b.c\xe9"
                                               "d")
                                 << QByteArray("a@b.c\r\n");
    QTest::newRow("line breaks split") << QByteArray("a@b.c\r\nd@e.f") << QByteArray("a@b.c\r\nd@e.f\r\n");
}

void TestMarkup::extractEmails()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, found);
    QCOMPARE(bytes(UUtils::ExtractEmails(view(text))), found);
}

void TestMarkup::findEmailsGivesPlaces()
{
    const std::string text = "to a@b.cc, x.y@z.de.";
    const std::vector<UUtils::EmailMatch> expected{{3, 6}, {11, 8}};
    QCOMPARE(UUtils::FindEmails(text), expected);
    // A search from inside an address finds only the part from there on.
    QCOMPARE(UUtils::FindEmail(text, 12).value(), (UUtils::EmailMatch{12, 7}));
    QVERIFY(!UUtils::FindEmail(text, 19).has_value());
    QVERIFY(!UUtils::FindEmail(text, text.size()).has_value());
}

void TestMarkup::scannerAgreesWithRe2_data()
{
    QTest::addColumn<QByteArray>("alphabet");
    QTest::addColumn<int>("maxLength");
    QTest::newRow("name bytes and blanks") << QByteArray("a.@-_ ") << 40;
    QTest::newRow("dense at signs") << QByteArray("a.@@") << 30;
    QTest::newRow("dots") << QByteArray("a..@") << 30;
    QTest::newRow("every class") << QByteArray("aZ9_-.@ ,\r\n\t\xe9\x80") << 80;
    QTest::newRow("long runs") << QByteArray("ab.@") << 2000;
}

void TestMarkup::scannerAgreesWithRe2()
{
    QFETCH(QByteArray, alphabet);
    QFETCH(int, maxLength);
    QVERIFY(addressPattern().ok());
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        std::mt19937 rng(seed);
        const size_t length = std::uniform_int_distribution<size_t>(0, size_t(maxLength))(rng);
        const std::string text = randomText(rng, view(alphabet), length);
        const auto expected = re2Matches(text);
        QVERIFY2(UUtils::FindEmails(text) == expected, text.c_str());
    }
    // Messages shaped like real ones.
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        std::mt19937 rng(seed);
        const std::string text = randomMessage(rng);
        QVERIFY2(UUtils::FindEmails(text) == re2Matches(text), text.c_str());
    }
}

void TestMarkup::agreesWithStepByStepMarkupForSingleAddresses()
{
    TFormats formats(std::filesystem::path(m_dir.path().toStdString()));
    formats.append("html", std::make_unique<TFormat>(html));
    int singles = 0, inLinks = 0;
    for (unsigned seed = 1; seed <= 20000; ++seed) {
        std::mt19937 rng(seed);
        const std::string text = randomMessage(rng);
        const std::string r = spelledOutWebPass(text, html);
        std::map<std::string, size_t> matched;
        for (const auto &m : re2Matches(r))
            ++matched[r.substr(m.offset, m.length)];
        // Every address must stand in the text exactly where it was found: no
        // address may be a part of another one.
        const bool apart = std::all_of(matched.begin(), matched.end(),
                                       [&](const auto &a) { return occurrences(r, a.first) == a.second; });
        if (!apart)
            continue;
        const bool single =
            std::all_of(matched.begin(), matched.end(), [](const auto &a) { return a.second == 1; });
        const std::string marked = MarkupText(text, 0, formats);
        if (single) {
            // Each address once: the same bytes as replacing every occurrence.
            ++singles;
            QVERIFY2(marked == spelledOutEmailStep(r, html, false), text.c_str());
        } else {
            // An address found more than once, mostly the two copies in a web
            // link: each copy wrapped once, as the first round of replacing gives.
            ++inLinks;
            QVERIFY2(marked == spelledOutEmailStep(r, html, true), text.c_str());
        }
    }
    // The generator must give both kinds of messages in numbers.
    QVERIFY2(singles > 5000, qPrintable(QString::number(singles)));
    QVERIFY2(inLinks > 500, qPrintable(QString::number(inLinks)));
}

void TestMarkup::eachAddressWrappedOnce_data()
{
    QTest::addColumn<QByteArray>("linkOpen");
    QTest::addColumn<QByteArray>("linkMiddle");
    QTest::addColumn<QByteArray>("linkEnd");
    QTest::addColumn<QByteArray>("email");
    QTest::newRow("html") << QByteArray("<a href=\"") << QByteArray("\">") << QByteArray("</a>")
                          << QByteArray("mailto:");
    QTest::newRow("bulletin board") << QByteArray("[url=") << QByteArray("]") << QByteArray("[/url]")
                                    << QByteArray("mailto:");
    QTest::newRow("empty pieces") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("markdown") << QByteArray("[") << QByteArray("](") << QByteArray(")")
                              << QByteArray("mailto:");
    // Pieces that join an address with the text or the address around them.
    QTest::newRow("letters at the edges")
        << QByteArray("a<") << QByteArray(">b.") << QByteArray(".c") << QByteArray("m");
    QTest::newRow("dots only") << QByteArray(".") << QByteArray(".") << QByteArray(".") << QByteArray(".");
    // Pieces that hold an address, or an at sign, of their own.
    QTest::newRow("address in the pieces") << QByteArray("<x@y.zz ") << QByteArray(" @")
                                           << QByteArray("@q.r>") << QByteArray("me@here.example:");
}

namespace {

// The template of the current row of the wrapped-once tables.
TFormat fetchedFormat()
{
    QFETCH(QByteArray, linkOpen);
    QFETCH(QByteArray, linkMiddle);
    QFETCH(QByteArray, linkEnd);
    QFETCH(QByteArray, email);
    return TFormat{"t", linkOpen.toStdString(), linkMiddle.toStdString(), linkEnd.toStdString(),
                   email.toStdString()};
}

// The first of 5000 generated texts whose markup differs from the literal
// rules' result, if any.
std::optional<std::string> firstMismatch(const TFormats &formats, const TFormat &f,
                                         std::string (*generate)(std::mt19937 &))
{
    for (unsigned seed = 1; seed <= 5000; ++seed) {
        std::mt19937 rng(seed);
        const std::string text = generate(rng);
        if (MarkupText(text, 0, formats) != wrappedOnceReference(text, f))
            return text;
    }
    return std::nullopt;
}

} // namespace

void TestMarkup::eachAddressWrappedOnce()
{
    const TFormat f = fetchedFormat();
    TFormats formats(std::filesystem::path(m_dir.path().toStdString()));
    formats.append(f.Name, std::make_unique<TFormat>(f));
    const std::optional<std::string> bad = firstMismatch(formats, f, randomMessage);
    QVERIFY2(!bad, bad.value_or(std::string()).c_str());
}

void TestMarkup::gluedAndLongTextsWrappedOnce_data()
{
    eachAddressWrappedOnce_data();
}

void TestMarkup::gluedAndLongTextsWrappedOnce()
{
    const TFormat f = fetchedFormat();
    TFormats formats(std::filesystem::path(m_dir.path().toStdString()));
    formats.append(f.Name, std::make_unique<TFormat>(f));
    const std::optional<std::string> bad = firstMismatch(formats, f, gluedMessage);
    QVERIFY2(!bad, bad.value_or(std::string()).c_str());
    // Long texts are read in long runs, and their results outgrow the room
    // made for them at first, once or more.
    std::mt19937 rng(7);
    std::string messages, addresses, plainThenLinks;
    while (messages.size() < 150000)
        messages += randomMessage(rng);
    for (int i = 0; i < 8000; ++i)
        addresses += "name.n" + std::to_string(i) + "@mail.example.com, ";
    for (int i = 0; i < 20000; ++i)
        plainThenLinks += "abcdefghi ";
    plainThenLinks += "http://x.example/?to=a@b.example a@b.example";
    for (const std::string *text : {&messages, &addresses, &plainThenLinks}) {
        const std::string marked = MarkupText(*text, 0, formats);
        QVERIFY2(marked == wrappedOnceReference(*text, f), text->substr(0, 80).c_str());
    }
}

void TestMarkup::copyAndScanInEveryWidth_data()
{
    QTest::addColumn<int>("length");
    // Around each width the scans step in: 16 and 64 bytes, 32 for the wide
    // registers, and the last block that ends with the text.
    for (int length : {0, 1, 15, 16, 17, 31, 32, 33, 63, 64, 65, 95, 127, 128, 129, 200})
        QTest::addRow("%d bytes", length) << length;
}

// Each way of copying up to the first mark stops at that mark, has copied
// everything in front of it and writes nothing beyond the room it was given,
// wherever the mark stands and whichever of the two it is.
void TestMarkup::copyAndScanInEveryWidth()
{
    QFETCH(int, length);
    const std::size_t n = std::size_t(length);
    using Copy = std::size_t (*)(const char *, std::size_t, char *, char, char);
    std::vector<std::pair<const char *, Copy>> copies = {{"16-byte", Markup::copyUntilEither},
                                                         {"fastest", Markup::copyUntilEitherFast}};
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx2"))
        copies.push_back({"32-byte", Markup::copyUntilEitherAvx2});
    if (__builtin_cpu_supports("avx512bw"))
        copies.push_back({"64-byte", Markup::copyUntilEitherAvx512});
#endif
    // A guard byte on each side of the room shows a write outside it.
    constexpr char guard = '#';
    for (std::size_t mark = 0; mark <= n; ++mark) {
        for (const char markByte : {':', '@'}) {
            std::string from(n, 'x');
            for (std::size_t i = 0; i < n; ++i)
                from[i] = char('a' + i % 26);
            if (mark < n)
                from[mark] = markByte;
            // A second mark behind the first must not be the one found.
            if (mark + 3 < n)
                from[mark + 3] = markByte == ':' ? '@' : ':';
            for (const auto &[name, copy] : copies) {
                std::string room(n + 2, guard);
                const std::size_t found = copy(from.data(), n, room.data() + 1, ':', '@');
                const QByteArray where = QByteArray(name) + " scan, mark " + QByteArray(1, markByte) +
                                         " at " + QByteArray::number(qulonglong(mark));
                QVERIFY2(found == mark, where.constData());
                QVERIFY2(room.front() == guard && room.back() == guard, where.constData());
                QVERIFY2(room.compare(1, found, from, 0, found) == 0, where.constData());
            }
        }
    }
}

QTEST_APPLESS_MAIN(TestMarkup)
#include "tst_markup.moc"
