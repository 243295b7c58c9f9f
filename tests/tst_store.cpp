// Records, lists and their caret-separated data files.
#include "TestFiles.h"
#include "TestConfig.h"
#include "UForums.h"
#include "UUtils.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

Q_DECLARE_METATYPE(Strings)

namespace {




// Names of everything in dir, to prove no temporary file stayed behind.
Strings entriesOf(const fs::path &dir)
{
    Strings names;
    for (const auto &e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::unique_ptr<TForum> forum(std::string url, std::string user = {}, std::string password = {})
{
    return std::make_unique<TForum>(TForum{std::move(url), std::move(user), std::move(password)});
}

mode_t modeOf(const fs::path &file)
{
    struct stat st {};
    stat(file.c_str(), &st);
    return st.st_mode & 07777;
}

} // namespace

class TestStore : public QObject {
    Q_OBJECT

private slots:
    void splitByChar_data();
    void splitByChar();

    void listPositions();
    void clearAll();

    void forumsRoundTrip();
    void messagesRoundTrip();
    void formatsRoundTrip();
    void writtenBytes();
    void loadAppends();

    void readingRules_data();
    void readingRules();
    void messageEscapesScanOnce();

    void unreadableFileIsNeverOverwritten();
    void listThatNeverReadItsFileKeepsIt();
    void unwritableDirectory();
    void writeFailingPartWayKeepsOldFile();
    void forumsFileIsPrivate_data();
    void forumsFileIsPrivate();
    void rewriteKeepsPermissions();

    void everyByteSurvives();
    void escapedRecordBytes_data();
    void escapedRecordBytes();
    void saveWritesThroughLinks_data();
    void saveWritesThroughLinks();
    void temporaryFileFailureNamesIt();
    void leftoverTemporariesAreRemoved();
};

void TestStore::splitByChar_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Strings>("fields");
    QTest::newRow("trailing caret") << QByteArray("a^b^") << Strings{"a", "b"};
    QTest::newRow("no trailing caret") << QByteArray("a^b") << Strings{"a", "b"};
    QTest::newRow("empty first") << QByteArray("^b^") << Strings{"", "b"};
    QTest::newRow("empty middle") << QByteArray("a^^c^") << Strings{"a", "", "c"};
    QTest::newRow("caret alone") << QByteArray("^") << Strings{""};
    QTest::newRow("space after caret") << QByteArray("a^b^ ") << Strings{"a", "b", " "};
    QTest::newRow("empty line") << QByteArray("") << Strings{};
}

void TestStore::splitByChar()
{
    QFETCH(QByteArray, line);
    QFETCH(Strings, fields);
    Strings out{"left over"};
    UUtils::SplitByChar('^', std::string_view(line.constData(), line.size()), out);
    QCOMPARE(out, fields);
}

void TestStore::listPositions()
{
    QTemporaryDir dir;
    TForums list(dirOf(dir));
    list.append("a", forum("a"));
    list.append("a", forum("a"));
    list.insert(0, "first", forum("first"));
    list.insert(3, "last", forum("last"));
    QCOMPARE(list.count(), 4);
    QCOMPARE(list.record(0).URL, std::string("first"));
    QCOMPARE(list.record(3).URL, std::string("last"));

    // The entry text is the first field as it was when the entry was added.
    list.record(1).URL = "changed";
    QCOMPARE(list.entryText(1), std::string("a"));

    // Two equal entries are two entries: removing one keeps the other.
    list.remove(1);
    QCOMPARE(list.count(), 3);
    QCOMPARE(list.record(1).URL, std::string("a"));

    // Positions outside the list are refused and change nothing.
    QVERIFY_THROWS_EXCEPTION(EListError, list.record(3));
    QVERIFY_THROWS_EXCEPTION(EListError, list.record(-1));
    QVERIFY_THROWS_EXCEPTION(EListError, list.remove(3));
    QVERIFY_THROWS_EXCEPTION(EListError, list.insert(5, "x", forum("x")));
    QVERIFY_THROWS_EXCEPTION(EListError, list.insert(-1, "x", forum("x")));
    QCOMPARE(list.count(), 3);
    QCOMPARE(list.record(2).URL, std::string("last"));
}

void TestStore::clearAll()
{
    QTemporaryDir dir;
    TFormats formats(dirOf(dir));
    formats.ClearAll();
    QCOMPARE(formats.count(), 0);
    formats.append("html", std::make_unique<TFormat>(TFormat{"html", "<a>", "", "", ""}));
    formats.append("", std::make_unique<TFormat>());
    formats.ClearAll();
    QCOMPARE(formats.count(), 0);
}

void TestStore::forumsRoundTrip()
{
    QTemporaryDir dir;
    {
        TForums list(dirOf(dir));
        list.LoadAll();
        list.append("http://a.example/", forum("http://a.example/", " spaced user ", "p w "));
        list.append("", forum(""));
        list.append("http://b.example/", forum("http://b.example/", "", "secret"));
        list.SaveAll();
    }
    TForums again(dirOf(dir));
    again.LoadAll();
    QCOMPARE(again.count(), 3);
    QCOMPARE(again.record(0).Username, std::string(" spaced user "));
    QCOMPARE(again.record(0).Password, std::string("p w "));
    QCOMPARE(again.record(1).URL, std::string(""));
    QCOMPARE(again.record(2).Username, std::string(""));
    QCOMPARE(again.record(2).Password, std::string("secret"));
    QCOMPARE(again.entryText(2), std::string("http://b.example/"));
}

void TestStore::messagesRoundTrip()
{
    QTemporaryDir dir;
    const std::vector<TFMessage> messages = {
        {"Two lines", "first\r\nsecond\r\n"},
        {"lone LF", "a\nb"},
        {"lone CR", "a\rb"},
        {"  spaces  ", " body "},
        {"", ""},
        {"\xe9t\xe9 8-bit", "caf\xe9"},
    };
    {
        TFMessages list(dirOf(dir));
        list.LoadAll();
        for (const auto &m : messages)
            list.append(m.Subject, std::make_unique<TFMessage>(m));
        list.SaveAll();
    }
    // Every message takes one line of the file.
    std::string bytes = readBytes(dirOf(dir) / "Messages.dat");
    QCOMPARE(std::count(bytes.begin(), bytes.end(), '\n'), 1 + long(messages.size()));

    TFMessages again(dirOf(dir));
    again.LoadAll();
    QCOMPARE(again.count(), int(messages.size()));
    for (int i = 0; i < again.count(); ++i) {
        QCOMPARE(again.record(i).Subject, messages[i].Subject);
        QCOMPARE(again.record(i).Body, messages[i].Body);
    }
}

void TestStore::formatsRoundTrip()
{
    QTemporaryDir dir;
    {
        TFormats list(dirOf(dir));
        list.LoadAll();
        list.append("html", std::make_unique<TFormat>(TFormat{"html", "<a href=\"", "\">", "</a>", "mailto:"}));
        list.append("", std::make_unique<TFormat>());
        list.append("wiki", std::make_unique<TFormat>(TFormat{"wiki", "[", " ", "]", "mailto:"}));
        list.SaveAll();
    }
    QCOMPARE(readBytes(dirOf(dir) / "Formats.dat"),
             std::string("Name^LinkOpen^LinkMiddle^LinkEnd^Email^\r\n"
                         "html^<a href=\"^\">^</a>^mailto:^\r\n"
                         "^^^^^\r\n"
                         "wiki^[^ ^]^mailto:^\r\n"));
    TFormats again(dirOf(dir));
    again.LoadAll();
    QCOMPARE(again.count(), 3);
    QCOMPARE(again.record(1).Name, std::string());
    QCOMPARE(again.record(2).LinkMiddle, std::string(" "));
    QCOMPARE(again.record(2).Email, std::string("mailto:"));
}

void TestStore::writtenBytes()
{
    QTemporaryDir dir;
    TForums forums(dirOf(dir));
    forums.LoadAll();
    forums.SaveAll();
    QCOMPARE(readBytes(dirOf(dir) / "Forums.dat"), std::string("URL^Username^Password^\r\n"));

    // A file with LF-only lines comes back with CR LF everywhere after a save.
    fs::copy_file(fs::path(POSTWRIGHT_TEST_DATA) / "forums_lf.dat", dirOf(dir) / "Forums.dat",
                  fs::copy_options::overwrite_existing);
    TForums lf(dirOf(dir));
    lf.LoadAll();
    lf.SaveAll();
    QCOMPARE(readBytes(dirOf(dir) / "Forums.dat"),
             std::string("URL^Username^Password^\r\n"
                         "http://a.example/^ann^pw1^\r\n"
                         "http://b.example/^bob^^\r\n"));

    TFMessages messages(dirOf(dir));
    messages.LoadAll();
    messages.append("s", std::make_unique<TFMessage>(TFMessage{"s\r\n", "a\r\nb\nc\r"}));
    messages.SaveAll();
    QCOMPARE(readBytes(dirOf(dir) / "Messages.dat"),
             std::string("Subject^Body^\r\ns%#%&#&^a%#%&#&b&#&c%#%^\r\n"));
}

void TestStore::loadAppends()
{
    QTemporaryDir dir;
    fs::copy_file(fs::path(POSTWRIGHT_TEST_DATA) / "forums_lf.dat", dirOf(dir) / "Forums.dat");
    TForums list(dirOf(dir));
    list.append("kept", forum("kept"));
    list.LoadAll();
    QCOMPARE(list.count(), 3);
    QCOMPARE(list.record(0).URL, std::string("kept"));
    QCOMPARE(list.record(2).Username, std::string("bob"));
}

void TestStore::readingRules_data()
{
    // Each file is read as Formats.dat; the rows list the Name and Email fields.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Strings>("names");
    QTest::addColumn<Strings>("emails");

    static const char withZero[] = "H\r\nx^^^^m^\r\ny\0^^^^n^\r\nz^\r\n";
    QTest::newRow("empty file") << QByteArray() << Strings{} << Strings{};
    QTest::newRow("header only") << QByteArray("Name^LinkOpen^LinkMiddle^LinkEnd^Email^\r\n") << Strings{}
                                 << Strings{};
    QTest::newRow("header without line end") << QByteArray("Name^") << Strings{} << Strings{};
    QTest::newRow("header is not compared") << QByteArray("html^a^b^c^d^\r\nubb^a^b^c^e^\r\n")
                                            << Strings{"ubb"} << Strings{"e"};
    QTest::newRow("lone CR line ends") << QByteArray("H\rx^^^^m1^\ry^^^^m2^\r")
                                       << Strings{"x", "y"} << Strings{"m1", "m2"};
    QTest::newRow("last line without line end") << QByteArray("H\r\nx^^^^m^") << Strings{"x"}
                                                << Strings{"m"};
    QTest::newRow("byte 0 ends the text") << QByteArray(withZero, sizeof withZero - 1)
                                          << Strings{"x", "y"} << Strings{"m", ""};
    QTest::newRow("missing fields are empty") << QByteArray("H\r\nonly\r\n") << Strings{"only"}
                                              << Strings{""};
    QTest::newRow("caret alone is an empty record") << QByteArray("H\r\n^\r\n") << Strings{""}
                                                    << Strings{""};
    QTest::newRow("trailing blanks are kept") << QByteArray("H\r\n x ^^^^ m \r\n")
                                              << Strings{" x "} << Strings{" m "};
    QFile mixed(POSTWRIGHT_TEST_DATA "/formats_mixed.dat");
    mixed.open(QIODevice::ReadOnly);
    QTest::newRow("fixture: blank lines, surplus fields, no last line end")
        << mixed.readAll() << Strings{"html", "", "ubb", "wiki", "last"}
        << Strings{"mailto:", "", "", "mailto:", ""};
}

void TestStore::readingRules()
{
    QFETCH(QByteArray, content);
    QFETCH(Strings, names);
    QFETCH(Strings, emails);
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Formats.dat", std::string_view(content.constData(), content.size()));
    TFormats list(dirOf(dir));
    list.LoadAll();
    Strings gotNames, gotEmails;
    for (int i = 0; i < list.count(); ++i) {
        gotNames.push_back(list.record(i).Name);
        gotEmails.push_back(list.record(i).Email);
        QCOMPARE(list.entryText(i), list.record(i).Name);
    }
    QCOMPARE(gotNames, names);
    QCOMPARE(gotEmails, emails);
}

void TestStore::messageEscapesScanOnce()
{
    QTemporaryDir dir;
    fs::copy_file(fs::path(POSTWRIGHT_TEST_DATA) / "messages_nul.dat", dirOf(dir) / "Messages.dat");
    TFMessages nul(dirOf(dir));
    nul.LoadAll();
    QCOMPARE(nul.count(), 2);
    QCOMPARE(nul.record(0).Body, std::string("Line one\r\nLine two"));
    QCOMPARE(nul.record(1).Subject, std::string("after zero"));
    QCOMPARE(nul.record(1).Body, std::string());

    fs::remove(dirOf(dir) / "Messages.dat");
    fs::copy_file(fs::path(POSTWRIGHT_TEST_DATA) / "messages_cr.dat", dirOf(dir) / "Messages.dat");
    TFMessages cr(dirOf(dir));
    cr.LoadAll();
    QCOMPARE(cr.count(), 2);
    QCOMPARE(cr.record(0).Body, std::string("cr\rlines"));
    QCOMPARE(cr.record(1).Body, std::string("x\ny"));

    // Overlapping escapes: each replacement scans once and never looks at what it put in.
    writeBytes(dirOf(dir) / "Messages.dat", "H\r\n%%#%#%^&#%#%&^\r\n");
    TFMessages overlap(dirOf(dir));
    overlap.LoadAll();
    QCOMPARE(overlap.record(0).Subject, std::string("%\r#%"));
    QCOMPARE(overlap.record(0).Body, std::string("&#\r&"));
}

void TestStore::unreadableFileIsNeverOverwritten()
{
    QTemporaryDir dir;
    // A directory standing where the file should be cannot be read, also by root.
    fs::create_directory(dirOf(dir) / "Forums.dat");
    fs::create_directory(dirOf(dir) / "Forums.dat" / "keep");
    TForums list(dirOf(dir));
    try {
        list.LoadAll();
        QFAIL("LoadAll read a directory");
    } catch (const EFileError &e) {
        QVERIFY(std::string(e.what()).find("Forums.dat") != std::string::npos);
        QVERIFY(!e.reason().empty());
    }
    QCOMPARE(list.count(), 0);

    list.insert(0, "new", forum("new"));
    QVERIFY_THROWS_EXCEPTION(EFileError, list.SaveAll());
    QVERIFY(fs::is_directory(dirOf(dir) / "Forums.dat" / "keep"));
    QCOMPARE(entriesOf(dirOf(dir)), Strings{"Forums.dat"});
}

void TestStore::listThatNeverReadItsFileKeepsIt()
{
    QTemporaryDir dir;
    const std::string before = "URL^Username^Password^\r\nhttp://x/^u^p^\r\n";
    writeBytes(dirOf(dir) / "Forums.dat", before);
    TForums list(dirOf(dir));
    list.append("y", forum("y"));
    QVERIFY_THROWS_EXCEPTION(EFileError, list.SaveAll());
    QCOMPARE(readBytes(dirOf(dir) / "Forums.dat"), before);
}

void TestStore::unwritableDirectory()
{
    QTemporaryDir dir;
    // The list's directory is a regular file: nothing can be created below it.
    writeBytes(dirOf(dir) / "plain", "x");
    TFMessages list(dirOf(dir) / "plain");
    list.LoadAll();
    QCOMPARE(list.count(), 0);
    list.append("s", std::make_unique<TFMessage>(TFMessage{"s", "b"}));
    try {
        list.SaveAll();
        QFAIL("SaveAll wrote below a regular file");
    } catch (const EFileError &e) {
        QVERIFY(std::string(e.what()).find("plain/Messages.dat") != std::string::npos);
        QCOMPARE(e.reason(), std::string(std::strerror(ENOTDIR)));
    }
    QCOMPARE(list.count(), 1);
    QCOMPARE(readBytes(dirOf(dir) / "plain"), std::string("x"));
}

void TestStore::writeFailingPartWayKeepsOldFile()
{
    QTemporaryDir dir;
    TForums list(dirOf(dir));
    list.LoadAll();
    list.append("http://old/", forum("http://old/", "u", "p"));
    list.SaveAll();
    const std::string before = readBytes(dirOf(dir) / "Forums.dat");
    for (int i = 0; i < 2000; ++i)
        list.append("http://new/", forum("http://new/" + std::to_string(i), "user", "password"));

    // A file-size limit makes the write fail half-way, for root as for anyone.
    pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            list.SaveAll();
            _exit(1);
        } catch (const EFileError &e) {
            _exit(e.reason() == std::strerror(EFBIG) ? 0 : 2);
        } catch (...) {
            _exit(3);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(readBytes(dirOf(dir) / "Forums.dat"), before);
    QCOMPARE(entriesOf(dirOf(dir)), Strings{"Forums.dat"});
}

void TestStore::forumsFileIsPrivate_data()
{
    // -1: no file before the first save.
    QTest::addColumn<int>("before");
    QTest::newRow("new file") << -1;
    QTest::newRow("0644") << 0644;
    QTest::newRow("0666") << 0666;
    QTest::newRow("0600") << 0600;
}

void TestStore::forumsFileIsPrivate()
{
    QFETCH(int, before);
    QTemporaryDir dir;
    const fs::path file = dirOf(dir) / "Forums.dat";
    if (before >= 0) {
        writeBytes(file, "URL^Username^Password^\r\nhttp://x/^u^pw^\r\n");
        fs::permissions(file, fs::perms(before));
    }
    TForums forums(dirOf(dir));
    forums.LoadAll();
    forums.SaveAll();
    QCOMPARE(modeOf(file), mode_t(0600));
    QCOMPARE(forums.count(), before >= 0 ? 1 : 0);
}

void TestStore::rewriteKeepsPermissions()
{
    QTemporaryDir dir;
    TFMessages messages(dirOf(dir));
    messages.LoadAll();
    messages.SaveAll();
    fs::permissions(dirOf(dir) / "Messages.dat", fs::perms(0640));
    messages.append("s", std::make_unique<TFMessage>(TFMessage{"s", ""}));
    messages.SaveAll();
    QCOMPARE(modeOf(dirOf(dir) / "Messages.dat"), mode_t(0640));
    QCOMPARE(messages.count(), 1);
}

namespace {

// Saves the records in a list of their kind, loads them into a new list and
// compares every field.
template <class List, class Record>
void checkRoundTrip(const fs::path &dir, const std::vector<Record> &records)
{
    using Traits = RecordTraits<Record>;
    fs::remove(dir / std::string(Traits::fileName));
    {
        List list(dir);
        list.LoadAll();
        for (const Record &r : records)
            list.append(r.*Traits::fields[0], std::make_unique<Record>(r));
        list.SaveAll();
    }
    List again(dir);
    again.LoadAll();
    QCOMPARE(again.count(), int(records.size()));
    for (int i = 0; i < again.count(); ++i)
        for (auto member : Traits::fields)
            if (again.record(i).*member != records[std::size_t(i)].*member)
                QFAIL(qPrintable(QStringLiteral("record %1: field \"%2\" read back as \"%3\"")
                                     .arg(i)
                                     .arg(QByteArray::fromStdString(records[std::size_t(i)].*member).toPercentEncoding())
                                     .arg(QByteArray::fromStdString(again.record(i).*member).toPercentEncoding())));
}

// Every byte from 1 to 255 alone, between other text and doubled, in each
// field in turn, the other fields holding ordinary text; then every byte at
// once, and texts that look like the files' own escapes, in every field.
template <class Record>
std::vector<Record> generatedRecords()
{
    using Traits = RecordTraits<Record>;
    std::vector<std::string> samples;
    for (int b = 1; b <= 255; ++b) {
        const std::string c(1, char(b));
        samples.insert(samples.end(), {c, "a" + c + "b", c + c, " " + c});
    }
    std::string all;
    for (int b = 1; b <= 255; ++b)
        all += char(b);
    samples.insert(samples.end(), {all, "%", "%25", "%5E", "%5e", "%0D%0A", "%escaped", "%#%", "&#&",
                                   "&#\n", "%#\r", "\r#%", "%#%&#&", "%%#%#%", "^", "^^", "a^", "%\r\n^"});
    std::vector<Record> records;
    for (std::size_t k = 0; k < Traits::fields.size(); ++k)
        for (const std::string &sample : samples) {
            Record r;
            for (std::size_t other = 0; other < Traits::fields.size(); ++other)
                r.*Traits::fields[other] = "f" + std::to_string(other);
            r.*Traits::fields[k] = sample;
            records.push_back(r);
        }
    Record everywhere;
    for (auto member : Traits::fields)
        everywhere.*member = all;
    records.push_back(everywhere);
    return records;
}

} // namespace

void TestStore::everyByteSurvives()
{
    QTemporaryDir dir;
    checkRoundTrip<TForums>(dirOf(dir), generatedRecords<TForum>());
    checkRoundTrip<TFMessages>(dirOf(dir), generatedRecords<TFMessage>());
    checkRoundTrip<TFormats>(dirOf(dir), generatedRecords<TFormat>());
}

void TestStore::escapedRecordBytes_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Strings>("fields");
    QTest::addColumn<QByteArray>("line");

    // Fields the plain format carries are written as they always were, "%"
    // and text like the marker included, so older files keep their meaning.
    QTest::newRow("plain forum") << "Forums.dat" << Strings{"http://x/?a=%41&b", "%escaped", "100%"}
                                 << QByteArray("http://x/?a=%41&b^%escaped^100%^");
    QTest::newRow("plain message") << "Messages.dat" << Strings{"50% & more", "a\r\nb"}
                                   << QByteArray("50% & more^a%#%&#&b^");
    // A record the plain format would misread is escaped as a whole and marked.
    QTest::newRow("caret in a password") << "Forums.dat" << Strings{"http://x/", "u", "se^cret"}
                                         << QByteArray("http://x/^u^se%5Ecret^%escaped^");
    QTest::newRow("line break in a template") << "Formats.dat" << Strings{"t", "<a\r\n", "%", "", ""}
                                              << QByteArray("t^<a%0D%0A^%25^^^%escaped^");
    QTest::newRow("message with its own escape text") << "Messages.dat" << Strings{"%#%", "x\r\ny"}
                                                      << QByteArray("%25#%25^x%0D%0Ay^%escaped^");
}

void TestStore::escapedRecordBytes()
{
    QFETCH(QString, file);
    QFETCH(Strings, fields);
    QFETCH(QByteArray, line);
    QTemporaryDir dir;
    std::string header;
    if (file == "Forums.dat") {
        TForums list(dirOf(dir));
        list.append(fields[0], std::make_unique<TForum>(TForum{fields[0], fields[1], fields[2]}));
        list.SaveAll();
        header = "URL^Username^Password^";
    } else if (file == "Messages.dat") {
        TFMessages list(dirOf(dir));
        list.append(fields[0], std::make_unique<TFMessage>(TFMessage{fields[0], fields[1]}));
        list.SaveAll();
        header = "Subject^Body^";
    } else {
        TFormats list(dirOf(dir));
        list.append(fields[0],
                    std::make_unique<TFormat>(TFormat{fields[0], fields[1], fields[2], fields[3], fields[4]}));
        list.SaveAll();
        header = "Name^LinkOpen^LinkMiddle^LinkEnd^Email^";
    }
    QCOMPARE(readBytes(dirOf(dir) / file.toStdString()), header + "\r\n" + line.toStdString() + "\r\n");
}

void TestStore::saveWritesThroughLinks_data()
{
    QTest::addColumn<bool>("relative");
    QTest::addColumn<bool>("targetExists");
    QTest::newRow("relative link") << true << true;
    QTest::newRow("absolute link") << false << true;
    QTest::newRow("link to a file not made yet") << true << false;
}

void TestStore::saveWritesThroughLinks()
{
    QFETCH(bool, relative);
    QFETCH(bool, targetExists);
    QTemporaryDir root;
    const fs::path app = dirOf(root) / "app";
    const fs::path elsewhere = dirOf(root) / "synced";
    fs::create_directories(app);
    fs::create_directories(elsewhere);
    const fs::path target = elsewhere / "forums-real.dat";
    if (targetExists) {
        writeBytes(target, "URL^Username^Password^\r\nhttp://old/^u^p^\r\n");
        fs::permissions(target, fs::perms(0644));
    }
    fs::create_symlink(relative ? fs::path("../synced/forums-real.dat") : target, app / "Forums.dat");

    TForums forums(app);
    forums.LoadAll();
    QCOMPARE(forums.count(), targetExists ? 1 : 0);
    forums.insert(0, "http://new/", forum("http://new/", "n", "pw"));
    forums.SaveAll();

    QVERIFY(fs::is_symlink(app / "Forums.dat"));
    const std::string expected = std::string("URL^Username^Password^\r\nhttp://new/^n^pw^\r\n") +
                                 (targetExists ? "http://old/^u^p^\r\n" : "");
    QCOMPARE(readBytes(target), expected);
    QCOMPARE(modeOf(target), mode_t(0600));
    QCOMPARE(entriesOf(app), Strings{"Forums.dat"});
    QCOMPARE(entriesOf(elsewhere), Strings{"forums-real.dat"});
}

void TestStore::temporaryFileFailureNamesIt()
{
    QTemporaryDir dir;
    // A link that leads in a circle has no file to write beside.
    fs::create_symlink("Forums.dat", dirOf(dir) / "Forums.dat");
    TForums loop(dirOf(dir));
    QVERIFY_THROWS_EXCEPTION(EFileError, loop.LoadAll());

    // The list's directory is a regular file: no temporary file can be made in it.
    writeBytes(dirOf(dir) / "plain", "x");
    TForums forums(dirOf(dir) / "plain");
    forums.LoadAll();
    try {
        forums.SaveAll();
        QFAIL("SaveAll wrote below a regular file");
    } catch (const EFileError &e) {
        QCOMPARE(std::string(e.what()), "Cannot create a temporary file beside \"" +
                                            (dirOf(dir) / "plain" / "Forums.dat").string() +
                                            "\": " + std::strerror(ENOTDIR));
    }
}

void TestStore::leftoverTemporariesAreRemoved()
{
    QTemporaryDir dir;
    const Strings left = {".Forums.dat.Ab3xZ9.tmp", ".Messages.dat.k2j4h6g8.tmp", ".Formats.dat.000000.tmp"};
    const Strings kept = {".Forums.dat.ab.tmp",      ".Forums.dat.Ab3xZ9.bak", "Forums.dat",
                          ".Other.dat.Ab3xZ9.tmp",   ".Forums.dat.Ab3-Z9.tmp", ".Forums.dat.abcdefghi.tmp"};
    for (const auto &name : left)
        writeBytes(dirOf(dir) / name, "URL^Username^Password^\r\nhttp://x/^u^secret^\r\n");
    for (const auto &name : kept)
        writeBytes(dirOf(dir) / name, "x");
    // A directory of such a name is no file that a save left.
    fs::create_directory(dirOf(dir) / ".Formats.dat.dir123.tmp");

    RemoveLeftoverSaves(dirOf(dir));
    Strings expected = kept;
    expected.push_back(".Formats.dat.dir123.tmp");
    std::sort(expected.begin(), expected.end());
    QCOMPARE(entriesOf(dirOf(dir)), expected);
}

QTEST_APPLESS_MAIN(TestStore)
#include "tst_store.moc"
