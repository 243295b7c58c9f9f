// Message boxes without a window: the button table, the default and cancel
// buttons, titles, and where everything stands.
#include "Errors.h"
#include "MessageBoxLayout.h"

#include <QList>
#include <QTest>

Q_DECLARE_METATYPE(TMsgKind)
Q_DECLARE_METATYPE(TBoxRect)

namespace {

TMsgButtons bits(int b) { return TMsgButtons::fromBits(std::uint16_t(b)); }

constexpr int Yes = 1 << 0, No = 1 << 1, OK = 1 << 2, Cancel = 1 << 3, Abort = 1 << 4, Retry = 1 << 5,
              Ignore = 1 << 6, All = 1 << 7, NoToAll = 1 << 8, YesToAll = 1 << 9, Help = 1 << 10;

QString name(std::optional<TMsgButton> b)
{
    return b ? QString::fromLatin1(ButtonName(*b).data(), qsizetype(ButtonName(*b).size())) : QStringLiteral("-");
}

} // namespace

// Shown when a comparison of places fails.
char *toString(const TBoxRect &r)
{
    return QTest::toString(QStringLiteral("%1, %2, %3 x %4").arg(r.left).arg(r.top).arg(r.width).arg(r.height));
}

class TestMessageBox : public QObject {
    Q_OBJECT

private slots:
    void buttonTable_data();
    void buttonTable();
    void buttonsStandInBitOrder();
    void unknownBitsAreNoButtons();
    void defaultAndCancelButtons_data();
    void defaultAndCancelButtons();
    void titles_data();
    void titles();
    void applicationTitle_data();
    void applicationTitle();
    void geometry_data();
    void geometry();
    void tallTextScrolls_data();
    void tallTextScrolls();
    void shownAsTyped_data();
    void shownAsTyped();
    void buttonSizeAndLabelPlace();
};

void TestMessageBox::buttonTable_data()
{
    QTest::addColumn<int>("bit");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("result"); // 0: the button does not close the box

    QTest::newRow("Yes") << Yes << "Yes" << "&Yes" << 6;
    QTest::newRow("No") << No << "No" << "&No" << 7;
    QTest::newRow("OK") << OK << "OK" << "OK" << 1;
    QTest::newRow("Cancel") << Cancel << "Cancel" << "Cancel" << 2;
    QTest::newRow("Abort") << Abort << "Abort" << "&Abort" << 3;
    QTest::newRow("Retry") << Retry << "Retry" << "&Retry" << 4;
    QTest::newRow("Ignore") << Ignore << "Ignore" << "&Ignore" << 5;
    QTest::newRow("All") << All << "All" << "&All" << 8;
    QTest::newRow("NoToAll") << NoToAll << "NoToAll" << "N&oToAll" << 9;
    QTest::newRow("YesToAll") << YesToAll << "YesToAll" << "&YesToAll" << 10;
    QTest::newRow("Help") << Help << "Help" << "&Help" << 0;
}

void TestMessageBox::buttonTable()
{
    QFETCH(int, bit);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(int, result);

    const TMsgButton b = TMsgButton(bit);
    QCOMPARE(QString::fromStdString(std::string(ButtonName(b))), name);
    QCOMPARE(QString::fromStdString(std::string(ButtonCaption(b))), caption);
    QCOMPARE(ButtonResult(b).value_or(0), result);
    QCOMPARE(ButtonResult(b).has_value(), result != 0);
}

void TestMessageBox::buttonsStandInBitOrder()
{
    // Written in another order than they stand.
    const TMsgButtons set = TMsgButton::Help | TMsgButton::Cancel | TMsgButton::Yes | TMsgButton::NoToAll;
    const std::vector<TMsgButton> expected = {TMsgButton::Yes, TMsgButton::Cancel, TMsgButton::NoToAll,
                                              TMsgButton::Help};
    QVERIFY(MessageBoxButtonOrder(set) == expected);
    QCOMPARE(MessageBoxButtonOrder(bits(0x7FF)).size(), std::size_t(11));
    QVERIFY(MessageBoxButtonOrder({}).empty());
}

void TestMessageBox::unknownBitsAreNoButtons()
{
    QVERIFY(MessageBoxButtonOrder(bits(0xF800)).empty());
    QVERIFY(MessageBoxButtonOrder(bits(0xF800 | OK)) == std::vector<TMsgButton>{TMsgButton::OK});
    QVERIFY_THROWS_EXCEPTION(EError, ButtonCaption(TMsgButton(0x0800)));
}

void TestMessageBox::defaultAndCancelButtons_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QString>("enter");
    QTest::addColumn<QString>("esc");

    QTest::newRow("OK") << OK << "OK" << "OK";
    QTest::newRow("OK Cancel") << (OK | Cancel) << "OK" << "Cancel";
    QTest::newRow("Yes No") << (Yes | No) << "Yes" << "No";
    QTest::newRow("Yes No Cancel") << (Yes | No | Cancel) << "Yes" << "Cancel";
    QTest::newRow("Retry Cancel") << (Retry | Cancel) << "Retry" << "Cancel";
    QTest::newRow("Abort Retry Ignore") << (Abort | Retry | Ignore) << "Retry" << "-";
    QTest::newRow("Yes OK No") << (Yes | OK | No) << "OK" << "No";
    QTest::newRow("Retry Yes") << (Retry | Yes) << "Yes" << "-";
    QTest::newRow("Help alone") << Help << "-" << "-";
    QTest::newRow("none") << 0 << "-" << "-";
}

void TestMessageBox::defaultAndCancelButtons()
{
    QFETCH(int, buttons);
    QFETCH(QString, enter);
    QFETCH(QString, esc);
    QCOMPARE(name(DefaultButton(bits(buttons))), enter);
    QCOMPARE(name(CancelButton(bits(buttons))), esc);
}

void TestMessageBox::titles_data()
{
    QTest::addColumn<TMsgKind>("kind");
    QTest::addColumn<QString>("title");
    QTest::newRow("warning") << TMsgKind::Warning << "Warning";
    QTest::newRow("error") << TMsgKind::Error << "Error";
    QTest::newRow("information") << TMsgKind::Information << "Information";
    QTest::newRow("confirmation") << TMsgKind::Confirmation << "Confirm";
    QTest::newRow("custom") << TMsgKind::Custom << "Postwright";
}

void TestMessageBox::titles()
{
    QFETCH(TMsgKind, kind);
    QFETCH(QString, title);
    QCOMPARE(QString::fromStdString(MessageBoxTitle(kind, "Postwright")), title);
}

void TestMessageBox::applicationTitle_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("plain") << "/usr/bin/postwright" << "postwright";
    QTest::newRow("capitals") << "/opt/PostWright.EXE" << "Postwright";
    QTest::newRow("last extension only") << "/a/MY.APP.bin" << "My.app";
    QTest::newRow("no folder") << "PW2GO" << "Pw2go";
    QTest::newRow("folder with a dot") << "/x.Y/Tool" << "Tool";
    QTest::newRow("small first letter stays") << "/p/aBC" << "abc";
    QTest::newRow("empty") << "" << "";
}

void TestMessageBox::applicationTitle()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(QString::fromStdString(ApplicationTitle(path.toStdString())), title);
}

// Every number below is worked out by hand: W = 70n + 10(n - 1); label at
// 50, 15; icon top max(10, 15 + h/2 - 16); client height = button height +
// label height + 50; client width max(50 + label width, W) + 40 held between
// the frame's minimum and the work area; buttons from (client width - W) / 2,
// 80 apart, at client height - button height - 10.
void TestMessageBox::geometry_data()
{
    QTest::addColumn<int>("labelWidth");
    QTest::addColumn<int>("labelHeight");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("buttonHeight");
    QTest::addColumn<int>("frameMinWidth");
    QTest::addColumn<int>("workAreaWidth");
    QTest::addColumn<int>("rowWidth");
    QTest::addColumn<int>("iconTop");
    QTest::addColumn<int>("clientWidth");
    QTest::addColumn<int>("clientHeight");
    QTest::addColumn<QList<int>>("lefts");
    QTest::addColumn<int>("buttonTop");

    // 150 + 40 = 190; (190 - 70) / 2 = 60; 25 + 17 + 50 = 92; 92 - 35 = 57;
    // 15 + 8 - 16 = 7 -> 10.
    QTest::newRow("one button") << 100 << 17 << OK << 25 << 120 << 1024 //
                                << 70 << 10 << 190 << 92 << QList<int>{60} << 57;
    // max(80, 150) + 40 = 190: the buttons set the width; (190 - 150) / 2 = 20.
    QTest::newRow("two buttons") << 30 << 17 << (OK | Cancel) << 25 << 120 << 1024 //
                                 << 150 << 10 << 190 << 92 << QList<int>{20, 100} << 57;
    // Two lines: 15 + 17 - 16 = 16; 25 + 34 + 50 = 109; 109 - 35 = 74;
    // max(250, 230) + 40 = 290; (290 - 230) / 2 = 30.
    QTest::newRow("three buttons") << 200 << 34 << (Yes | No | Cancel) << 25 << 120 << 1024 //
                                   << 230 << 16 << 290 << 109 << QList<int>{30, 110, 190} << 74;
    // Six lines: 15 + 51 - 16 = 50; 25 + 102 + 50 = 177; 650 + 40 = 690;
    // (690 - 70) / 2 = 310; 177 - 35 = 142.
    QTest::newRow("long text") << 600 << 102 << OK << 25 << 120 << 1024 //
                               << 70 << 50 << 690 << 177 << QList<int>{310} << 142;
    // One space: max(54, 70) + 40 = 110 -> 120; (120 - 70) / 2 = 25.
    QTest::newRow("empty text") << 4 << 17 << OK << 25 << 120 << 1024 //
                                << 70 << 10 << 120 << 92 << QList<int>{25} << 57;
    // A skin's wider frame: 190 -> 300; (300 - 70) / 2 = 115.
    QTest::newRow("frame minimum wins") << 100 << 17 << OK << 25 << 300 << 1024 //
                                        << 70 << 10 << 300 << 92 << QList<int>{115} << 57;
    // 2050 + 40 = 2090 -> 1024; (1024 - 150) / 2 = 437.
    QTest::newRow("work area maximum wins") << 2000 << 17 << (OK | Cancel) << 25 << 120 << 1024 //
                                            << 150 << 10 << 1024 << 92 << QList<int>{437, 517} << 57;
    // Halvings drop the fraction: 35 / 2 = 17 -> 16; (191 - 70) / 2 = 60.
    QTest::newRow("odd sizes") << 101 << 35 << OK << 25 << 120 << 1024 //
                               << 70 << 16 << 191 << 110 << QList<int>{60} << 75;
    // A skin's button height: 21 + 17 + 50 = 88; 88 - 31 = 57.
    QTest::newRow("skin button height") << 100 << 17 << OK << 21 << 120 << 1024 //
                                        << 70 << 10 << 190 << 88 << QList<int>{60} << 57;
    // max(60, 0) + 40 = 100 -> 120.
    QTest::newRow("no buttons") << 10 << 17 << 0 << 25 << 120 << 1024 //
                                << 0 << 10 << 120 << 92 << QList<int>{} << 57;
    // Eleven buttons: 770 + 100 = 870; 910 -> 799; (799 - 870) / 2 = -71 / 2
    // = -35, truncated towards zero.
    QTest::newRow("row wider than the screen")
        << 10 << 17 << 0x7FF << 25 << 120 << 799 //
        << 870 << 10 << 799 << 92 << QList<int>{-35, 45, 125, 205, 285, 365, 445, 525, 605, 685, 765} << 57;
}

void TestMessageBox::geometry()
{
    QFETCH(int, labelWidth);
    QFETCH(int, labelHeight);
    QFETCH(int, buttons);
    QFETCH(int, buttonHeight);
    QFETCH(int, frameMinWidth);
    QFETCH(int, workAreaWidth);

    TMessageBoxMeasures m;
    m.labelWidth = labelWidth;
    m.labelHeight = labelHeight;
    m.buttons = bits(buttons);
    m.buttonHeight = buttonHeight;
    m.frameMinWidth = frameMinWidth;
    m.workAreaWidth = workAreaWidth;
    const TMessageBoxGeometry g = MessageBoxGeometry(m);

    QTEST(g.buttonsWidth, "rowWidth");
    QTEST(g.icon.top, "iconTop");
    QTEST(g.clientWidth, "clientWidth");
    QTEST(g.clientHeight, "clientHeight");

    QFETCH(QList<int>, lefts);
    QFETCH(int, buttonTop);
    const std::vector<TMsgButton> order = MessageBoxButtonOrder(m.buttons);
    QCOMPARE(g.buttons.size(), std::size_t(lefts.size()));
    for (std::size_t i = 0; i < g.buttons.size(); ++i) {
        QVERIFY(g.buttons[i].button == order[i]);
        QCOMPARE(g.buttons[i].place, (TBoxRect{lefts[qsizetype(i)], buttonTop, 70, buttonHeight}));
    }
    QCOMPARE(g.label, (TBoxRect{50, 15, labelWidth, labelHeight}));
    QCOMPARE(g.icon.left, 5);
}

void TestMessageBox::buttonSizeAndLabelPlace()
{
    TMessageBoxMeasures m;
    m.labelWidth = 80;
    m.labelHeight = 17;
    m.buttons = TMsgButton::OK;
    m.workAreaWidth = 1024;
    const TMessageBoxGeometry g = MessageBoxGeometry(m);
    // Unskinned defaults.
    QCOMPARE(g.buttonWidth, 70);
    QCOMPARE(g.buttonHeight, 25);
    QCOMPARE(g.icon, (TBoxRect{5, 10, 32, 32}));
    QCOMPARE(g.label, (TBoxRect{50, 15, 80, 17}));
}

// A text taller than the work area allows scrolls in a view between the top
// and the buttons: client height = the work area's, view height = client
// height - button height - 50, view width = label width + scroll bar, held by
// the client width; the width rule and the buttons' row are unchanged.
void TestMessageBox::tallTextScrolls_data()
{
    QTest::addColumn<int>("labelWidth");
    QTest::addColumn<int>("labelHeight");
    QTest::addColumn<int>("workAreaWidth");
    QTest::addColumn<int>("maxClientHeight");
    QTest::addColumn<bool>("scrolls");
    QTest::addColumn<int>("clientWidth");
    QTest::addColumn<int>("clientHeight");
    QTest::addColumn<TBoxRect>("view");
    QTest::addColumn<int>("iconTop");
    QTest::addColumn<int>("buttonTop");

    // 100 lines of 17: 25 + 1700 + 50 = 1775 > 1000; 1000 - 75 = 925;
    // 15 + 462 - 16 = 461; 1000 - 35 = 965; width 300 + 40 = 340 as before.
    QTest::newRow("a hundred lines") << 250 << 1700 << 1280 << 1000 << true //
                                     << 340 << 1000 << TBoxRect{50, 15, 269, 925} << 461 << 965;
    // Exactly as tall as allowed: nothing scrolls.
    QTest::newRow("fits exactly") << 250 << 925 << 1280 << 1000 << false //
                                  << 340 << 1000 << TBoxRect{50, 15, 250, 925} << 461 << 965;
    // One pixel more scrolls.
    QTest::newRow("one pixel too tall") << 250 << 926 << 1280 << 1000 << true //
                                        << 340 << 1000 << TBoxRect{50, 15, 269, 925} << 461 << 965;
    QTest::newRow("short text") << 250 << 17 << 1280 << 1000 << false //
                                << 340 << 92 << TBoxRect{50, 15, 250, 17} << 10 << 57;
    // Wide and tall: the window is held by the work area's width, and so is
    // the view: 1024 - 50 = 974.
    QTest::newRow("wide and tall") << 2000 << 3000 << 1024 << 700 << true //
                                   << 1024 << 700 << TBoxRect{50, 15, 974, 625} << 311 << 665;
    // A work area lower than the buttons need still shows them whole: the
    // view shrinks to nothing first.
    QTest::newRow("tiny work area") << 250 << 500 << 1280 << 40 << true //
                                    << 340 << 75 << TBoxRect{50, 15, 269, 0} << 10 << 40;
}

void TestMessageBox::tallTextScrolls()
{
    QFETCH(int, labelWidth);
    QFETCH(int, labelHeight);
    QFETCH(int, workAreaWidth);
    QFETCH(int, maxClientHeight);

    TMessageBoxMeasures m;
    m.labelWidth = labelWidth;
    m.labelHeight = labelHeight;
    m.buttons = TMsgButton::OK;
    m.workAreaWidth = workAreaWidth;
    m.workAreaClientHeight = maxClientHeight;
    m.scrollBarWidth = 19;
    const TMessageBoxGeometry g = MessageBoxGeometry(m);

    QTEST(g.textScrolls, "scrolls");
    QTEST(g.clientWidth, "clientWidth");
    QTEST(g.clientHeight, "clientHeight");
    QTEST(g.textView, "view");
    QTEST(g.icon.top, "iconTop");
    QCOMPARE(g.buttons.size(), std::size_t(1));
    QTEST(g.buttons[0].place.top, "buttonTop");
    QCOMPARE(g.buttons[0].place.left, (g.clientWidth - 70) / 2);
    // The label keeps the whole text's size; the view shows part of it.
    QCOMPARE(g.label, (TBoxRect{50, 15, labelWidth, labelHeight}));
    QVERIFY(g.clientHeight <= std::max(maxClientHeight, 75));
}

void TestMessageBox::shownAsTyped_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("forTheBox");

    QTest::newRow("query string") << QByteArray("http://x.com/?a=1&b=2") << QByteArray("http://x.com/?a=1&&b=2");
    QTest::newRow("Q&A") << QByteArray("Q&A") << QByteArray("Q&&A");
    QTest::newRow("doubled stays doubled twice") << QByteArray("a&&b") << QByteArray("a&&&&b");
    QTest::newRow("at the ends") << QByteArray("&x&") << QByteArray("&&x&&");
    QTest::newRow("none") << QByteArray("plain\r\ntext") << QByteArray("plain\r\ntext");
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestMessageBox::shownAsTyped()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, forTheBox);
    QCOMPARE(QByteArray::fromStdString(ShownAsTyped(text.toStdString())), forTheBox);
}

QTEST_APPLESS_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
