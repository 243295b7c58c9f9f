#pragma once

#include <QList>
#include <QPair>
#include <QString>

// Scripts that the browser runs in its own script world of the shown page. The
// texts they carry reach the page only as data: each is written as a JSON
// string literal, never as script source.
namespace PageScript {

// A JSON string literal for text that is plain ASCII: quotes, backslashes,
// "<", ">", "&", "'", "/", every control character, line and paragraph
// separators and everything beyond ASCII are written as \uXXXX escapes, so the
// literal cannot end early or be read as anything but the one string.
QString jsonString(const QString &text);

// The field walk: for each (name, value) in order, every element of every form
// of the top document whose name equals name gets value. The script's result is
// an object: "results", one boolean per pair (true when an element was set),
// and "error", the text of an error that kept the walk from the document's
// forms, which leaves the later pairs out; null when there was none.
//
// deadline is a time in milliseconds since 1970 (the page's Date.now()). A
// script that gets to run only then or after touches nothing and answers
// { late: true }: the browser has given up on it by then.
QString fillFields(const QList<QPair<QString, QString>> &fields, qint64 deadline);

// The login fill: the first enabled password field of the top document's forms
// gets password, and the last enabled text or e-mail field before it in its
// form, if there is one, gets username. Nothing is sent. The result is shaped
// as fillFields' for the pairs (password, username); a page without a password
// field in a form answers false for both. The deadline as for fillFields.
QString fillLogin(const QString &username, const QString &password, qint64 deadline);

} // namespace PageScript
