#include "PageScript.h"

namespace PageScript {
namespace {

// The page's forms, their elements and the collections' lengths and items,
// reached through the prototypes' own getters: a form control named
// "elements" or "length", or an element named "forms", would otherwise stand
// in for the property of that name.
QString collections()
{
    return QStringLiteral(R"JS(
    function getter(proto, name) {
        var d = Object.getOwnPropertyDescriptor(proto, name);
        return function (o) { return d && d.get ? d.get.call(o) : o[name]; };
    }
    var formsOf = getter(Document.prototype, 'forms');
    var elementsOf = getter(HTMLFormElement.prototype, 'elements');
    var lengthOf = getter(HTMLCollection.prototype, 'length');
    var itemOf = HTMLCollection.prototype.item;
)JS");
}

} // namespace

QString jsonString(const QString &text)
{
    static constexpr char hex[] = "0123456789abcdef";
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool plain = u >= 0x20 && u < 0x7f && u != u'"' && u != u'\\' && u != u'<' && u != u'>' &&
                           u != u'&' && u != u'\'' && u != u'/';
        if (plain) {
            out += c;
            continue;
        }
        out += QLatin1String("\\u");
        for (int shift = 12; shift >= 0; shift -= 4)
            out += QLatin1Char(hex[(u >> shift) & 0xf]);
    }
    out += QLatin1Char('"');
    return out;
}

QString fillFields(const QList<QPair<QString, QString>> &fields, qint64 deadline)
{
    QString data = QStringLiteral("[");
    for (qsizetype k = 0; k < fields.size(); ++k) {
        if (k)
            data += QLatin1Char(',');
        data += QLatin1Char('[') + jsonString(fields[k].first) + QLatin1Char(',') +
                jsonString(fields[k].second) + QLatin1Char(']');
    }
    data += QLatin1Char(']');

    static const QString walk = QStringLiteral(R"JS(
(function (fields, deadline) {
    'use strict';
    if (Date.now() >= deadline)
        return { late: true };
%1    var tagged = Document.prototype.getElementsByTagName;
    var results = [];
    try {
        for (var f = 0; f < fields.length; ++f) {
            var name = fields[f][0], value = fields[f][1], set = false;
            var doc = document;
            if (!doc || lengthOf(tagged.call(doc, 'FORM')) === 0) {
                results.push(false);
                continue;
            }
            var n = lengthOf(formsOf(doc));
            walk: for (var i = 0; i < n; ++i) {
                var elements = elementsOf(itemOf.call(formsOf(document), i));
                var m = lengthOf(elements);
                for (var j = 0; j < m; ++j) {
                    var element = itemOf.call(elements, j);
                    try {
                        if (element.name === name) {
                            element.value = value;
                            set = true;
                        }
                    } catch (e) {
                        // A field that refuses its name or value ends the walk
                        // quietly with what it has set so far.
                        break walk;
                    }
                }
            }
            results.push(set);
        }
    } catch (e) {
        return { results: results, error: String(e) };
    }
    return { results: results, error: null };
})
)JS").arg(collections());
    return walk + QLatin1Char('(') + data + QLatin1Char(',') + QString::number(deadline) +
           QStringLiteral(");");
}

QString fillLogin(const QString &username, const QString &password, qint64 deadline)
{
    static const QString fill = QStringLiteral(R"JS(
(function (username, password, deadline) {
    'use strict';
    if (Date.now() >= deadline)
        return { late: true };
    %1
    try {
        var forms = formsOf(document);
        var n = lengthOf(forms);
        for (var i = 0; i < n; ++i) {
            var elements = elementsOf(itemOf.call(forms, i));
            var m = lengthOf(elements);
            // The user name is the last text or e-mail field met before the
            // password field, in the same form.
            var user = null;
            for (var j = 0; j < m; ++j) {
                var element = itemOf.call(elements, j);
                if (!(element instanceof HTMLInputElement) || element.disabled)
                    continue;
                if (element.type === 'password') {
                    element.value = password;
                    if (user)
                        user.value = username;
                    return { results: [true, user !== null], error: null };
                }
                if (element.type === 'text' || element.type === 'email')
                    user = element;
            }
        }
        return { results: [false, false], error: null };
    } catch (e) {
        return { results: [], error: String(e) };
    }
})
)JS").arg(collections());
    return fill + QLatin1Char('(') + jsonString(username) + QLatin1Char(',') + jsonString(password) +
           QLatin1Char(',') + QString::number(deadline) + QStringLiteral(");");
}

} // namespace PageScript
