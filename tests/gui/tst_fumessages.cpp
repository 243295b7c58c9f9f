// Storing the editor's message and the "Load Message" dialog.
#include "TestFiles.h"
#include "FMain.h"
#include "GuiTestMain.h"
#include "ModalDialog.h"

#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string header = "Subject^Body^\r\n";
// Three stored messages, the second with a body of two lines.
const std::string threeMessages = header + "first^one^\r\nsecond^line one%#%&#&line two^\r\nthird^three^\r\n";

// Types lines into a multi-line edit, pressing Enter between them.
void typeLines(QPlainTextEdit *edit, const QStringList &lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClicks(edit, lines[i]);
    }
}

// Fills the main window's editor as the user would.
void writeMessage(TfrmMain &w, const QString &subject, const QStringList &bodyLines)
{
    auto *edt = child<QLineEdit>(w, "edtSubject");
    auto *mem = child<QPlainTextEdit>(w, "memBody");
    edt->clear();
    mem->clear();
    QTest::keyClicks(edt, subject);
    typeLines(mem, bodyLines);
}

QString editorSubject(TfrmMain &w)
{
    return child<QLineEdit>(w, "edtSubject")->text();
}
QString editorBody(TfrmMain &w)
{
    return child<QPlainTextEdit>(w, "memBody")->toPlainText();
}

// Clicks "Load" in the main window and lets user drive the dialog that opens.
// Returns whether a dialog opened.
bool withLoadDialog(TfrmMain &w, const std::function<void(QDialog &)> &user)
{
    bool opened = false;
    ModalDialog::answerNext([&](QDialog &d) {
        opened = true;
        user(d);
    });
    QTest::mouseClick(child<QPushButton>(w, "btnLoad"), Qt::LeftButton);
    ModalDialog::answerNext({});
    return opened;
}

QTreeWidget *list(QDialog &d)
{
    return child<QTreeWidget>(d, "lvwMsgs");
}

void clickRow(QDialog &d, int row)
{
    QTreeWidget *lvw = list(d);
    QTest::mouseClick(lvw->viewport(), Qt::LeftButton, {},
                      lvw->visualItemRect(lvw->topLevelItem(row)).center());
}

// A user's double-click: a click, then the second press, which the system
// reports as the double-click, and its release.
void doubleClick(QWidget *widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// A point in the list below its last row.
QPoint belowRows(QDialog &d)
{
    return QPoint(40, list(d)->viewport()->height() - 4);
}

QString detailSubject(QDialog &d)
{
    return child<QLineEdit>(d, "edtSubject")->text();
}
QString detailBody(QDialog &d)
{
    return child<QPlainTextEdit>(d, "memBody")->toPlainText();
}

QStringList rowTexts(QDialog &d, int column)
{
    QStringList texts;
    for (int i = 0; i < list(d)->topLevelItemCount(); ++i)
        texts << list(d)->topLevelItem(i)->text(column);
    return texts;
}

} // namespace

class TestFUMessages : public QObject {
    Q_OBJECT

private slots:
    void save_data();
    void save();
    void sameMessageTwiceGivesTwoRows();
    void bodyLinesSurviveARestart();
    void dialogLayout_data();
    void dialogLayout();
    void dialogTabOrderAndSettings();
    void losingTheSelectionKeepsTheDetails();
    void loadBeforeAnySelectionEmptiesTheEditor_data();
    void loadBeforeAnySelectionEmptiesTheEditor();
    void doubleClickLoads_data();
    void doubleClickLoads();
    void deleteSelectedMessage();
    void deleteWithoutSelectionRewritesTheSameContent();
    void closeCopiesNothing_data();
    void closeCopiesNothing();
    void failedWriteIsReportedAndTheChangeStays();
};

void TestFUMessages::save_data()
{
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QStringList>("body");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QByteArray>("record");
    QTest::newRow("nothing written") << QString() << QStringList() << false << QByteArray();
    QTest::newRow("subject of spaces only")
        << QStringLiteral("   ") << QStringList() << true << QByteArray("   ^^\r\n");
    QTest::newRow("body only, spaces kept")
        << QString() << QStringList{QStringLiteral(" body ")} << true << QByteArray("^ body ^\r\n");
    QTest::newRow("body of lines") << QStringLiteral("Hello") << QStringList{"one", "", "three"} << true
                                   << QByteArray("Hello^one%#%&#&%#%&#&three^\r\n");
}

void TestFUMessages::save()
{
    QFETCH(QString, subject);
    QFETCH(QStringList, body);
    QFETCH(bool, stored);
    QFETCH(QByteArray, record);
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    writeMessage(w, subject, body);
    QTest::mouseClick(child<QPushButton>(w, "btnSave"), Qt::LeftButton);

    const fs::path file = dirOf(dir) / "Messages.dat";
    QCOMPARE(fs::exists(file), stored);
    if (stored)
        QCOMPARE(readBytes(file), header + record.toStdString());
    QCOMPARE(w.messages().count(), stored ? 1 : 0);
    // The editor keeps its text.
    QCOMPARE(editorSubject(w), subject);
    QCOMPARE(editorBody(w), body.join(QLatin1Char('\n')));
}

void TestFUMessages::sameMessageTwiceGivesTwoRows()
{
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    writeMessage(w, QStringLiteral("same"), {QStringLiteral("text")});
    QTest::mouseClick(child<QPushButton>(w, "btnSave"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(w, "btnSave"), Qt::LeftButton);
    QCOMPARE(readBytes(dirOf(dir) / "Messages.dat"), header + "same^text^\r\nsame^text^\r\n");
    QStringList subjects;
    QVERIFY(withLoadDialog(w, [&](QDialog &d) { subjects = rowTexts(d, 0); }));
    QCOMPARE(subjects, (QStringList{"same", "same"}));
}

void TestFUMessages::bodyLinesSurviveARestart()
{
    QTemporaryDir dir;
    {
        TfrmMain first(dirOf(dir));
        writeMessage(first, QStringLiteral("Greeting"), {"Dear all,", "", "  indented line"});
        QTest::mouseClick(child<QPushButton>(first, "btnSave"), Qt::LeftButton);
    }
    QCOMPARE(readBytes(dirOf(dir) / "Messages.dat"),
             header + "Greeting^Dear all,%#%&#&%#%&#&  indented line^\r\n");

    TfrmMain w(dirOf(dir));
    QStringList bodies;
    QVERIFY(withLoadDialog(w, [&](QDialog &d) {
        bodies = rowTexts(d, 1);
        clickRow(d, 0);
        QCOMPARE(detailBody(d), QStringLiteral("Dear all,\n\n  indented line"));
        clickButton(d, "btnLoad");
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }));
    // One row per message: each line break shows as a pilcrow.
    QCOMPARE(bodies, QStringList{QStringLiteral("Dear all,\u00B6\u00B6  indented line")});
    QCOMPARE(editorSubject(w), QStringLiteral("Greeting"));
    QCOMPARE(editorBody(w), QStringLiteral("Dear all,\n\n  indented line"));
    // Stored again unchanged: the lines are still joined by CR LF.
    QTest::mouseClick(child<QPushButton>(w, "btnSave"), Qt::LeftButton);
    QCOMPARE(w.messages().count(), 2);
    QCOMPARE(w.messages().record(1).Body, std::string("Dear all,\r\n\r\n  indented line"));
}

void TestFUMessages::dialogLayout_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("text");
    QTest::newRow("list") << QByteArray("lvwMsgs") << QRect(12, 20, 343, 108) << QString();
    QTest::newRow("details subject") << QByteArray("edtSubject") << QRect(64, 160, 289, 18) << QString();
    QTest::newRow("details body") << QByteArray("memBody") << QRect(11, 202, 342, 111) << QString();
    QTest::newRow("Load Message") << QByteArray("btnLoad") << QRect(27, 325, 116, 20) << "Load Message";
    QTest::newRow("Delete Message") << QByteArray("btnDelete") << QRect(146, 325, 116, 20)
                                    << "Delete Message";
    QTest::newRow("Close") << QByteArray("btnCancel") << QRect(266, 325, 74, 20) << "Close";
    QTest::newRow("list label") << QByteArray("bsSkinStdLabel1") << QRect(11, 4, 169, 13)
                                << "Select a message from following list:";
    QTest::newRow("details label") << QByteArray("bsSkinStdLabel2") << QRect(9, 137, 78, 13)
                                   << "Message Details";
    QTest::newRow("details line") << QByteArray("bsSkinBevel1") << QRect(92, 144, 261, 2) << QString();
    QTest::newRow("subject label") << QByteArray("bsSkinStdLabel3") << QRect(9, 161, 39, 13) << "Subject:";
    QTest::newRow("body label") << QByteArray("bsSkinStdLabel4") << QRect(9, 185, 46, 13) << "Message:";
}

void TestFUMessages::dialogLayout()
{
    QFETCH(QByteArray, name);
    QFETCH(QRect, place);
    QFETCH(QString, text);
    QTemporaryDir dir;
    TfrmMain w(dirOf(dir));
    QVERIFY(withLoadDialog(w, [&](QDialog &d) {
        QCOMPARE(d.windowTitle(), QStringLiteral("Load Message"));
        QCOMPARE(d.size(), QSize(375, 357));
        QWidget *c = child<QWidget>(d, name.constData());
        if (auto *l = qobject_cast<QLabel *>(c)) {
            QCOMPARE(l->text(), text);
            // A label keeps its place, widened only where its text needs it.
            QCOMPARE(l->pos(), place.topLeft());
            QCOMPARE(l->height(), place.height());
            const int textWidth = l->fontMetrics().horizontalAdvance(text);
            if (textWidth < place.width())
                QCOMPARE(l->width(), place.width());
            else
                QVERIFY(l->width() >= textWidth);
        } else {
            QCOMPARE(c->geometry(), place);
        }
        if (auto *b = qobject_cast<QPushButton *>(c))
            QCOMPARE(b->text(), text);
    }));
}

void TestFUMessages::dialogTabOrderAndSettings()
{
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Messages.dat", threeMessages);
    TfrmMain w(dirOf(dir));
    QVERIFY(withLoadDialog(w, [&](QDialog &d) {
        QStringList order;
        QWidget *start = list(d);
        QWidget *next = start;
        do {
            if (next->focusPolicy() & Qt::TabFocus)
                order << next->objectName();
            next = next->nextInFocusChain();
        } while (next != start);
        QCOMPARE(order,
                 (QStringList{"lvwMsgs", "edtSubject", "memBody", "btnLoad", "btnCancel", "btnDelete"}));

        QTreeWidget *lvw = list(d);
        QCOMPARE(lvw->headerItem()->text(0), QStringLiteral("Subject"));
        QCOMPARE(lvw->headerItem()->text(1), QStringLiteral("Message Body"));
        QCOMPARE(rowTexts(d, 0), (QStringList{"first", "second", "third"}));
        QCOMPARE(lvw->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(lvw->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(!lvw->rootIsDecorated());
        // The list's scroll bar is the skin's 19 pixels, inside the list's place.
        QTRY_COMPARE(lvw->verticalScrollBar()->width(), 19);
        QCOMPARE(lvw->verticalScrollBar()->mapTo(lvw, QPoint(0, 0)).x() + 19 + lvw->frameWidth(),
                 lvw->width());
        QVERIFY(child<QLineEdit>(d, "edtSubject")->isReadOnly());
        QVERIFY(child<QPlainTextEdit>(d, "memBody")->isReadOnly());
        // The selected row keeps its colours while another control has the focus.
        const QPalette p = lvw->palette();
        QCOMPARE(p.color(QPalette::Inactive, QPalette::Highlight),
                 p.color(QPalette::Active, QPalette::Highlight));
        // Nothing is selected when the dialog opens, and the details are empty.
        QVERIFY(lvw->selectedItems().isEmpty());
        QCOMPARE(detailSubject(d), QString());
        QCOMPARE(detailBody(d), QString());
    }));
}

void TestFUMessages::losingTheSelectionKeepsTheDetails()
{
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Messages.dat", threeMessages);
    TfrmMain w(dirOf(dir));
    QVERIFY(withLoadDialog(w, [&](QDialog &d) {
        clickRow(d, 1);
        QCOMPARE(detailSubject(d), QStringLiteral("second"));
        QCOMPARE(detailBody(d), QStringLiteral("line one\nline two"));
        QTest::mouseClick(list(d)->viewport(), Qt::LeftButton, {}, belowRows(d));
        QVERIFY(list(d)->selectedItems().isEmpty());
        QCOMPARE(detailSubject(d), QStringLiteral("second"));
        clickButton(d, "btnLoad");
    }));
    QCOMPARE(editorSubject(w), QStringLiteral("second"));
    QCOMPARE(editorBody(w), QStringLiteral("line one\nline two"));
}

void TestFUMessages::loadBeforeAnySelectionEmptiesTheEditor_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("stored messages") << QByteArray::fromStdString(threeMessages);
    QTest::newRow("no stored message") << QByteArray();
}

void TestFUMessages::loadBeforeAnySelectionEmptiesTheEditor()
{
    QFETCH(QByteArray, file);
    QTemporaryDir dir;
    if (!file.isEmpty())
        writeBytes(dirOf(dir) / "Messages.dat", file.toStdString());
    TfrmMain w(dirOf(dir));
    writeMessage(w, QStringLiteral("draft"), {"not", "stored"});
    QVERIFY(withLoadDialog(w, [&](QDialog &d) {
        clickButton(d, "btnLoad");
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }));
    QCOMPARE(editorSubject(w), QString());
    QCOMPARE(editorBody(w), QString());
}

void TestFUMessages::doubleClickLoads_data()
{
    QTest::addColumn<int>("selectFirst");
    QTest::addColumn<int>("doubleClickRow");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::newRow("on a row") << -1 << 1 << "second"
                              << "line one\nline two";
    QTest::newRow("below the rows, after a selection") << 2 << -1 << "third"
                                                       << "three";
    QTest::newRow("below the rows, nothing selected") << -1 << -1 << QString() << QString();
}

void TestFUMessages::doubleClickLoads()
{
    QFETCH(int, selectFirst);
    QFETCH(int, doubleClickRow);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Messages.dat", threeMessages);
    TfrmMain w(dirOf(dir));
    writeMessage(w, QStringLiteral("draft"), {"text"});
    QVERIFY(withLoadDialog(w, [&](QDialog &d) {
        if (selectFirst >= 0)
            clickRow(d, selectFirst);
        QTreeWidget *lvw = list(d);
        const QPoint at = doubleClickRow >= 0
                              ? lvw->visualItemRect(lvw->topLevelItem(doubleClickRow)).center()
                              : belowRows(d);
        doubleClick(lvw->viewport(), at);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }));
    QCOMPARE(editorSubject(w), subject);
    QCOMPARE(editorBody(w), body);
}

void TestFUMessages::deleteSelectedMessage()
{
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Messages.dat", threeMessages);
    TfrmMain w(dirOf(dir));
    writeMessage(w, QStringLiteral("draft"), {"text"});
    QVERIFY(withLoadDialog(w, [&](QDialog &d) {
        clickRow(d, 1);
        clickButton(d, "btnDelete");
        QVERIFY(d.isVisible());
        QCOMPARE(rowTexts(d, 0), (QStringList{"first", "third"}));
        QCOMPARE(detailSubject(d), QString());
        QCOMPARE(detailBody(d), QString());
        QCOMPARE(readBytes(dirOf(dir) / "Messages.dat"), header + "first^one^\r\nthird^three^\r\n");
        // No row is selected afterwards, so a second click deletes nothing.
        QVERIFY(list(d)->selectedItems().isEmpty());
        clickButton(d, "btnDelete");
        QCOMPARE(rowTexts(d, 0), (QStringList{"first", "third"}));
        QCOMPARE(w.messages().count(), 2);
        // Rows still match the stored messages by position.
        clickRow(d, 1);
        QCOMPARE(detailSubject(d), QStringLiteral("third"));
        clickButton(d, "btnDelete");
        clickButton(d, "btnLoad");
    }));
    QCOMPARE(readBytes(dirOf(dir) / "Messages.dat"), header + "first^one^\r\n");
    // Loading right after a deletion empties the editor.
    QCOMPARE(editorSubject(w), QString());
    QCOMPARE(editorBody(w), QString());
}

void TestFUMessages::deleteWithoutSelectionRewritesTheSameContent()
{
    QTemporaryDir dir;
    // Lines ending in LF alone: a rewrite shows in CR LF line ends.
    writeBytes(dirOf(dir) / "Messages.dat", "Subject^Body^\nfirst^one^\nsecond^two^\n");
    TfrmMain w(dirOf(dir));
    QVERIFY(withLoadDialog(w, [&](QDialog &d) {
        clickRow(d, 0);
        QTest::mouseClick(list(d)->viewport(), Qt::LeftButton, {}, belowRows(d));
        clickButton(d, "btnDelete");
        QVERIFY(d.isVisible());
        QCOMPARE(rowTexts(d, 0), (QStringList{"first", "second"}));
        QCOMPARE(detailSubject(d), QString());
        QCOMPARE(readBytes(dirOf(dir) / "Messages.dat"), header + "first^one^\r\nsecond^two^\r\n");
        clickButton(d, "btnCancel");
    }));
}

void TestFUMessages::closeCopiesNothing_data()
{
    QTest::addColumn<bool>("byFrame");
    QTest::newRow("Close") << false;
    QTest::newRow("the frame's close button") << true;
}

void TestFUMessages::closeCopiesNothing()
{
    QFETCH(bool, byFrame);
    QTemporaryDir dir;
    writeBytes(dirOf(dir) / "Messages.dat", threeMessages);
    TfrmMain w(dirOf(dir));
    writeMessage(w, QStringLiteral("draft"), {"kept", "lines"});
    QVERIFY(withLoadDialog(w, [&](QDialog &d) {
        clickRow(d, 0);
        clickButton(d, "btnDelete");
        clickRow(d, 0);
        QCOMPARE(detailSubject(d), QStringLiteral("second"));
        if (byFrame)
            d.close();
        else
            clickButton(d, "btnCancel");
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
    }));
    QCOMPARE(editorSubject(w), QStringLiteral("draft"));
    QCOMPARE(editorBody(w), QStringLiteral("kept\nlines"));
    // The deletion made while the dialog was open stays.
    QCOMPARE(readBytes(dirOf(dir) / "Messages.dat"),
             header + "second^line one%#%&#&line two^\r\nthird^three^\r\n");
    // Every opening shows the list as it is now.
    QStringList subjects;
    QVERIFY(withLoadDialog(w, [&](QDialog &d) { subjects = rowTexts(d, 0); }));
    QCOMPARE(subjects, (QStringList{"second", "third"}));
}

void TestFUMessages::failedWriteIsReportedAndTheChangeStays()
{
    QTemporaryDir dir;
    // A directory where the file should be: it can be neither read nor replaced.
    fs::create_directory(dirOf(dir) / "Messages.dat");
    ReportedErrors errors;
    TfrmMain w(dirOf(dir));
    QTRY_COMPARE(errors.details.size(), 1);
    writeMessage(w, QStringLiteral("kept"), {QStringLiteral("in memory")});
    QTest::mouseClick(child<QPushButton>(w, "btnSave"), Qt::LeftButton);
    QCOMPARE(errors.details.size(), 2);
    QVERIFY2(errors.details[1].contains(QLatin1String("Messages.dat")), qPrintable(errors.details[1]));
    QCOMPARE(w.messages().count(), 1);
    QVERIFY(fs::is_directory(dirOf(dir) / "Messages.dat"));

    QVERIFY(withLoadDialog(w, [&](QDialog &d) {
        clickRow(d, 0);
        clickButton(d, "btnDelete");
        QCOMPARE(errors.details.size(), 3);
        // The dialog goes on with the row gone, as the list is.
        QVERIFY(d.isVisible());
        QCOMPARE(list(d)->topLevelItemCount(), 0);
        clickButton(d, "btnCancel");
    }));
    QCOMPARE(w.messages().count(), 0);
}

POSTWRIGHT_GUI_TEST_MAIN(TestFUMessages)
#include "tst_fumessages.moc"
