// Which forums the current message went to, and which one comes next.
#include "TPostMarks.h"

#include <QTest>

#include <vector>

using Rows = std::vector<int>;
using Sites = std::vector<std::string>;
Q_DECLARE_METATYPE(Rows)
Q_DECLARE_METATYPE(Sites)

namespace {

TPostMarks marked(const Rows &rows)
{
    TPostMarks marks;
    for (int row : rows)
        marks.mark(row);
    return marks;
}

Rows markedRows(const TPostMarks &marks, int count)
{
    Rows rows;
    for (int row = 0; row < count; ++row)
        if (marks.isMarked(row))
            rows.push_back(row);
    return rows;
}

} // namespace

class TestPostMarks : public QObject {
    Q_OBJECT

private slots:
    void nextUnmarked_data();
    void nextUnmarked();
    void marksFollowTheirRows_data();
    void marksFollowTheirRows();
    void submissionMarksThePageThatTookTheMessage();
    void clearForgetsMarksAndPage();
    void forumOfPage_data();
    void forumOfPage();
};

void TestPostMarks::nextUnmarked_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<Rows>("marks");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("next"); // -1: none
    QTest::newRow("nothing selected starts at the top") << 3 << Rows{} << -1 << 0;
    QTest::newRow("the row after") << 3 << Rows{} << 0 << 1;
    QTest::newRow("marked rows are skipped") << 4 << Rows{1, 2} << 0 << 3;
    QTest::newRow("wraps round") << 4 << Rows{0, 3} << 2 << 1;
    QTest::newRow("from the last row to the top") << 3 << Rows{} << 2 << 0;
    QTest::newRow("the selected row itself comes last") << 3 << Rows{0, 2} << 1 << 1;
    QTest::newRow("every row marked") << 3 << Rows{0, 1, 2} << 1 << -1;
    QTest::newRow("no rows") << 0 << Rows{} << -1 << -1;
    QTest::newRow("a row past the end counts as none") << 2 << Rows{0} << 5 << 1;
}

void TestPostMarks::nextUnmarked()
{
    QFETCH(int, count);
    QFETCH(Rows, marks);
    QFETCH(int, from);
    QFETCH(int, next);
    QCOMPARE(marked(marks).nextUnmarked(count, from).value_or(-1), next);
}

void TestPostMarks::marksFollowTheirRows_data()
{
    QTest::addColumn<Rows>("marks");
    QTest::addColumn<bool>("insert");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<Rows>("after");
    QTest::newRow("a row added at the top") << Rows{0, 2} << true << 0 << 1 << Rows{1, 3};
    QTest::newRow("a row added between") << Rows{0, 2} << true << 1 << 1 << Rows{0, 3};
    QTest::newRow("a marked row removed") << Rows{0, 2, 3} << false << 2 << 1 << Rows{0, 2};
    QTest::newRow("an unmarked row removed") << Rows{0, 2} << false << 1 << 1 << Rows{0, 1};
    QTest::newRow("two rows removed") << Rows{0, 1, 4} << false << 0 << 2 << Rows{2};
}

void TestPostMarks::marksFollowTheirRows()
{
    QFETCH(Rows, marks);
    QFETCH(bool, insert);
    QFETCH(int, first);
    QFETCH(int, count);
    QFETCH(Rows, after);
    TPostMarks m = marked(marks);
    if (insert)
        m.rowsInserted(first, count);
    else
        m.rowsRemoved(first, count);
    QCOMPARE(markedRows(m, 10), after);
}

void TestPostMarks::submissionMarksThePageThatTookTheMessage()
{
    TPostMarks m;
    // A form sent before anything was put into a page marks nothing.
    QVERIFY(!m.submitted("http://a/post"));
    m.inserted(2, "http://a/post");
    // A form of another page does not count, and the page still holds the message.
    QVERIFY(!m.submitted("http://a/other"));
    QVERIFY(!m.isMarked(2));
    // A row added above moves the forum down.
    m.rowsInserted(0, 1);
    QCOMPARE(m.submitted("http://a/post").value_or(-1), 3);
    QCOMPARE(markedRows(m, 10), Rows{3});
    // Once sent, the page must take the message again.
    QVERIFY(!m.submitted("http://a/post"));

    // The forum removed before the form was sent: nothing to mark.
    m.inserted(1, "http://b/post");
    m.rowsRemoved(1, 1);
    QVERIFY(!m.submitted("http://b/post"));
    QCOMPARE(markedRows(m, 10), Rows{2});
}

void TestPostMarks::clearForgetsMarksAndPage()
{
    TPostMarks m = marked({0, 1});
    m.inserted(2, "http://a/post");
    QVERIFY(m.anyMarked());
    m.clear();
    QVERIFY(!m.anyMarked());
    QVERIFY(!m.submitted("http://a/post"));
    QVERIFY(!m.anyMarked());
}

void TestPostMarks::forumOfPage_data()
{
    QTest::addColumn<Sites>("sites");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("forum"); // -1: none
    const Sites sites{"a.example", "b.example", "b.example", "www.c.example:8080"};
    QTest::newRow("the selected forum's site") << sites << 2 << "b.example" << 2;
    QTest::newRow("another site than the selected one's: the first on it") << sites << 0 << "b.example" << 1;
    QTest::newRow("nothing selected") << sites << -1 << "a.example" << 0;
    QTest::newRow("case and www. do not count") << sites << -1 << "WWW.A.Example" << 0;
    QTest::newRow("the port counts") << sites << -1 << "c.example" << -1;
    QTest::newRow("with the port") << sites << -1 << "c.example:8080" << 3;
    QTest::newRow("no forum's site") << sites << 1 << "d.example" << -1;
    QTest::newRow("no page") << sites << 1 << "" << -1;
    QTest::newRow("a forum without a site") << Sites{""} << 0 << "" << -1;
}

void TestPostMarks::forumOfPage()
{
    QFETCH(Sites, sites);
    QFETCH(int, selected);
    QFETCH(QString, page);
    QFETCH(int, forum);
    QCOMPARE(PostMarks::forumOfPage(sites, selected, page.toStdString()).value_or(-1), forum);
}

QTEST_APPLESS_MAIN(TestPostMarks)
#include "tst_postmarks.moc"
