// The profile (INI) reader.
#include "Errors.h"
#include "TIniFile.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

class TestIniFile : public QObject {
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void longValuesAreCut_data();
    void longValuesAreCut();
    void readsFileFromDisk();
    void missingFileReadsAsDefault();
    void unreadableFileRaises();
};

void TestIniFile::rules_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");

    // Lines
    QTest::newRow("CR LF") << QByteArray("[S]\r\nA=1\r\nB=2\r\n") << QByteArray("S") << QByteArray("B")
                           << QByteArray("2");
    QTest::newRow("LF") << QByteArray("[S]\nA=1\nB=2") << QByteArray("S") << QByteArray("B")
                        << QByteArray("2");
    QTest::newRow("lone CR") << QByteArray("[S]\rA=1\rB=2\r") << QByteArray("S") << QByteArray("A")
                             << QByteArray("1");
    QTest::newRow("CR CR LF is two line ends")
        << QByteArray("[S]\r\r\nA=1") << QByteArray("S") << QByteArray("A") << QByteArray("1");
    QTest::newRow("last line without end")
        << QByteArray("[S]\nA=last") << QByteArray("S") << QByteArray("A") << QByteArray("last");
    QTest::newRow("byte-order mark skipped")
        << QByteArray("\xEF\xBB\xBF[S]\nA=1") << QByteArray("S") << QByteArray("A") << QByteArray("1");
    QTest::newRow("byte-order mark only at the start") << QByteArray("[S]\n\xEF\xBB\xBF"
                                                                     "A=1")
                                                       << QByteArray("S")
                                                       << QByteArray("\xEF\xBB\xBF"
                                                                     "A")
                                                       << QByteArray("1");

    // Trimming
    QTest::newRow("blanks around key and value")
        << QByteArray("[S]\n \t Key \x0b= \f value \t\n") << QByteArray("S") << QByteArray("Key")
        << QByteArray("value");
    QTest::newRow("blanks inside value kept")
        << QByteArray("[S]\nKey=a  b\tc") << QByteArray("S") << QByteArray("Key") << QByteArray("a  b\tc");
    QTest::newRow("blanks around section name")
        << QByteArray("  [ \tSettings  ]  \nK=v") << QByteArray("Settings") << QByteArray("K")
        << QByteArray("v");
    QTest::newRow("byte 8 is no blank")
        << QByteArray("[S]\nK=\x08v\x08") << QByteArray("S") << QByteArray("K") << QByteArray("\x08v\x08");

    // Sections
    QTest::newRow("header to last bracket")
        << QByteArray("[a]b] rest\nK=v") << QByteArray("a]b") << QByteArray("K") << QByteArray("v");
    QTest::newRow("text after the last bracket is dropped")
        << QByteArray("[S] ; note\nK=v") << QByteArray("S") << QByteArray("K") << QByteArray("v");
    QTest::newRow("bracket without close is a key line")
        << QByteArray("[S]\n[x=1") << QByteArray("S") << QByteArray("[x") << QByteArray("1");
    QTest::newRow("empty section name")
        << QByteArray("[]\nK=v") << QByteArray("") << QByteArray("K") << QByteArray("v");
    QTest::newRow("lines before first header belong nowhere")
        << QByteArray("K=v\n[S]\nO=1") << QByteArray("S") << QByteArray("K") << QByteArray("default");
    QTest::newRow("lines before first header not in empty section")
        << QByteArray("K=v\n[]\n") << QByteArray("") << QByteArray("K") << QByteArray("default");
    QTest::newRow("key of another section not found")
        << QByteArray("[A]\nK=a\n[B]\nL=b") << QByteArray("B") << QByteArray("K") << QByteArray("default");
    QTest::newRow("section case") << QByteArray("[SeTTings]\nK=v") << QByteArray("sEttINGS")
                                  << QByteArray("K") << QByteArray("v");
    QTest::newRow("only first of two sections searched")
        << QByteArray("[S]\nA=1\n[T]\n[s]\nB=2") << QByteArray("S") << QByteArray("B")
        << QByteArray("default");
    QTest::newRow("first section of the name found")
        << QByteArray("[S]\nA=1\n[s]\nA=2") << QByteArray("S") << QByteArray("A") << QByteArray("1");
    QTest::newRow("case folding is ASCII only")
        << QByteArray("[\xC4]\nK=v") << QByteArray("\xE4") << QByteArray("K") << QByteArray("default");

    // Keys and values
    QTest::newRow("key to first equals")
        << QByteArray("[S]\nK=a=b") << QByteArray("S") << QByteArray("K") << QByteArray("a=b");
    QTest::newRow("key case") << QByteArray("[S]\nBannerPath1=x") << QByteArray("S")
                              << QByteArray("bannerpath1") << QByteArray("x");
    QTest::newRow("first matching key counts")
        << QByteArray("[S]\nk=1\nK=2") << QByteArray("S") << QByteArray("K") << QByteArray("1");
    QTest::newRow("comment after value is value")
        << QByteArray("[S]\nK=v ; note") << QByteArray("S") << QByteArray("K") << QByteArray("v ; note");
    QTest::newRow("semicolon line is an ordinary key")
        << QByteArray("[S]\n;K=v") << QByteArray("S") << QByteArray(";K") << QByteArray("v");
    QTest::newRow("line without equals holds no key")
        << QByteArray("[S]\nK\nK=v") << QByteArray("S") << QByteArray("K") << QByteArray("v");
    QTest::newRow("line without equals is no key")
        << QByteArray("[S]\nKey") << QByteArray("S") << QByteArray("Key") << QByteArray("default");
    QTest::newRow("empty value is found")
        << QByteArray("[S]\nK=") << QByteArray("S") << QByteArray("K") << QByteArray("");
    QTest::newRow("blank key") << QByteArray("[S]\n = v") << QByteArray("S") << QByteArray("")
                               << QByteArray("v");
    QTest::newRow("key with inner blanks")
        << QByteArray("[S]\nA B = v") << QByteArray("S") << QByteArray("A B") << QByteArray("v");

    // Quotes
    QTest::newRow("double quotes") << QByteArray("[S]\nK=\" a \"") << QByteArray("S") << QByteArray("K")
                                   << QByteArray(" a ");
    QTest::newRow("single quotes") << QByteArray("[S]\nK='a'") << QByteArray("S") << QByteArray("K")
                                   << QByteArray("a");
    QTest::newRow("quotes after trimming")
        << QByteArray("[S]\nK=  \"a\"  ") << QByteArray("S") << QByteArray("K") << QByteArray("a");
    QTest::newRow("only one pair") << QByteArray("[S]\nK=\"\"a\"\"") << QByteArray("S") << QByteArray("K")
                                   << QByteArray("\"a\"");
    QTest::newRow("mixed quotes kept")
        << QByteArray("[S]\nK=\"a'") << QByteArray("S") << QByteArray("K") << QByteArray("\"a'");
    QTest::newRow("quote at one end kept")
        << QByteArray("[S]\nK=\"a") << QByteArray("S") << QByteArray("K") << QByteArray("\"a");
    QTest::newRow("lone quote kept") << QByteArray("[S]\nK=\"") << QByteArray("S") << QByteArray("K")
                                     << QByteArray("\"");
    QTest::newRow("empty quotes") << QByteArray("[S]\nK=''") << QByteArray("S") << QByteArray("K")
                                  << QByteArray("");
    QTest::newRow("quotes inside kept")
        << QByteArray("[S]\nK=a \"b\" c") << QByteArray("S") << QByteArray("K") << QByteArray("a \"b\" c");

    // Missing things and raw bytes
    QTest::newRow("empty text") << QByteArray("") << QByteArray("S") << QByteArray("K")
                                << QByteArray("default");
    QTest::newRow("missing section") << QByteArray("[S]\nK=v") << QByteArray("T") << QByteArray("K")
                                     << QByteArray("default");
    QTest::newRow("missing key") << QByteArray("[S]\nK=v") << QByteArray("S") << QByteArray("L")
                                 << QByteArray("default");
    QTest::newRow("bytes as they stand") << QByteArray("[S]\nK=\xE9\x80\xFF") << QByteArray("S")
                                         << QByteArray("K") << QByteArray("\xE9\x80\xFF");
    QTest::newRow("byte 0 inside a value")
        << QByteArray("[S]\nK=a\0b\nL=c", 13) << QByteArray("S") << QByteArray("K") << QByteArray("a\0b", 3);
    QTest::newRow("byte 0 ends no line")
        << QByteArray("[S]\nK=a\0b\nL=c", 13) << QByteArray("S") << QByteArray("L") << QByteArray("c");
}

void TestIniFile::rules()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);

    TIniFile ini = TIniFile::fromText(std::string_view(text.constData(), text.size()));
    std::string got = ini.ReadString(std::string_view(section.constData(), section.size()),
                                     std::string_view(key.constData(), key.size()), "default");
    QCOMPARE(QByteArray(got.data(), static_cast<qsizetype>(got.size())), expected);
}

void TestIniFile::longValuesAreCut_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("expected");

    QByteArray v2047(2047, 'x');
    QByteArray v2048 = QByteArray(2047, 'y') + 'z';
    QTest::newRow("2047 kept") << ("K=" + v2047) << v2047;
    QTest::newRow("2048 cut") << ("K=" + v2048) << QByteArray(2047, 'y');
    QTest::newRow("5000 cut") << ("K=" + QByteArray(5000, 'a')) << QByteArray(2047, 'a');
    QTest::newRow("quotes removed before the cut")
        << ("K=\"" + QByteArray(2047, 'q') + "\"") << QByteArray(2047, 'q');
    QTest::newRow("trimmed before the cut") << ("K=" + v2047 + "    ") << v2047;
}

void TestIniFile::longValuesAreCut()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, expected);
    QByteArray text = "[S]\n" + line + "\nNext=1\n";
    TIniFile ini = TIniFile::fromText(std::string_view(text.constData(), text.size()));
    QCOMPARE(QByteArray::fromStdString(ini.ReadString("S", "K", "")), expected);
    QCOMPARE(ini.ReadString("S", "Next", ""), std::string("1"));
}

void TestIniFile::readsFileFromDisk()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    fs::path file = dirOf(dir) / "dbconfig.dat";
    writeBytes(file, "\xEF\xBB\xBF; branding\r\n[Settings]\r\nAppName = My Poster \r\nAfiliateID='42'\r\n");
    TIniFile ini(file);
    QCOMPARE(ini.ReadString("settings", "appname", ""), std::string("My Poster"));
    QCOMPARE(ini.ReadString("Settings", "AfiliateID", ""), std::string("42"));
    QCOMPARE(ini.ReadString("Settings", "IconPath", "none"), std::string("none"));

    // The file is read once: changing it afterwards changes nothing.
    writeBytes(file, "[Settings]\nAppName=Other\n");
    QCOMPARE(ini.ReadString("Settings", "AppName", ""), std::string("My Poster"));
}

void TestIniFile::missingFileReadsAsDefault()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TIniFile ini(dirOf(dir) / "absent.inf");
    QCOMPARE(ini.ReadString("APPLICATION", "Version", "dflt"), std::string("dflt"));
    TIniFile underFile(dirOf(dir) / "absent.inf" / "deeper.inf");
    QCOMPARE(underFile.ReadString("APPLICATION", "Version", ""), std::string(""));
}

void TestIniFile::unreadableFileRaises()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A folder in the file's place cannot be read as a file.
    fs::path file = dirOf(dir) / "dbconfig.dat";
    fs::create_directory(file);
    try {
        TIniFile ini(file);
        QFAIL("a folder was read as a profile");
    } catch (const EFileError &e) {
        QCOMPARE(e.file(), file);
        QVERIFY(!e.reason().empty());
    }
}

QTEST_APPLESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
