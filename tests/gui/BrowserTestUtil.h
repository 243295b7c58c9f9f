#pragma once

#include "TEmbeddedWB.h"

#include <QPoint>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>

// Reading and clicking the page that a browser test shows.
namespace BrowserTestUtil {

// Runs script in a script world of the test's own (not the one the browser
// fills fields from), so what it reads is what the page holds.
inline QVariant evaluate(TEmbeddedWB *browser, const QString &script)
{
    QVariant result;
    bool done = false;
    browser->page()->runJavaScript(script, QWebEngineScript::UserWorld, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        qWarning("page did not answer: %s", qPrintable(script));
    return result;
}

// The value of the element that selector finds, or "<none>".
inline QString valueOf(TEmbeddedWB *browser, const QString &selector)
{
    return evaluate(browser, QStringLiteral("(function(){var e=document.querySelector('%1');"
                                            "return e ? e.value : '<none>';})()")
                                 .arg(selector))
        .toString();
}

// Where the element lies in the browser, at its middle.
inline QPoint centreOf(TEmbeddedWB *browser, const QString &selector)
{
    const QVariantList r =
        evaluate(browser, QStringLiteral("(function(){var b=document.querySelector('%1')"
                                         ".getBoundingClientRect();"
                                         "return [b.left+b.width/2, b.top+b.height/2];})()")
                              .arg(selector))
            .toList();
    return QPoint(r.value(0).toInt(), r.value(1).toInt());
}

// A click of the user's into the page.
inline void clickAt(TEmbeddedWB *browser, QPoint where)
{
    QWidget *target = browser->focusProxy() ? browser->focusProxy() : browser;
    QTest::mouseClick(target, Qt::LeftButton, {}, where);
}

// Clicks into the field until it has the page's focus: a page that has just
// loaded may not take clicks until it has drawn itself.
inline bool focusField(TEmbeddedWB *browser, const QString &selector)
{
    const QString focused =
        QStringLiteral("document.activeElement === document.querySelector('%1')").arg(selector);
    return QTest::qWaitFor(
        [&] {
            clickAt(browser, centreOf(browser, selector));
            return QTest::qWaitFor([&] { return evaluate(browser, focused).toBool(); }, 200);
        },
        10000);
}

} // namespace BrowserTestUtil
