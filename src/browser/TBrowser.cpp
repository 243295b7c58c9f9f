#include "TBrowser.h"

#include "WidgetText.h"

#include <QRegularExpression>
#include <QStringList>

QUrl TBrowser::addressUrl(const QString &address)
{
    // Blanks around the address are no part of it.
    qsizetype begin = 0;
    qsizetype end = address.size();
    while (begin < end && address[begin].unicode() <= 32)
        ++begin;
    while (end > begin && address[end - 1].unicode() <= 32)
        --end;
    const QString text = address.mid(begin, end - begin);

    // "name:" starts a scheme unless digits follow, which make it host:port.
    static const QRegularExpression scheme(QStringLiteral(R"(^[A-Za-z][A-Za-z0-9+.\-]*:(?!\d+(?:[/?#]|$)))"));
    const QUrl url(scheme.match(text).hasMatch() ? text : QStringLiteral("http://") + text,
                   QUrl::TolerantMode);

    static const QStringList needHost = {QStringLiteral("http"), QStringLiteral("https"),
                                         QStringLiteral("ftp"), QStringLiteral("ws"), QStringLiteral("wss")};
    if (text.isEmpty() || !url.isValid() || (needHost.contains(url.scheme()) && url.host().isEmpty()))
        throw EError("Cannot open \"" + WidgetText::fromWidget(address) + "\": it is not a web address.");
    return url;
}
