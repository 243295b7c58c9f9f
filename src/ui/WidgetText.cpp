#include "WidgetText.h"

#include <QPlainTextEdit>

namespace WidgetText {

QString toWidget(const std::string &text) { return QString::fromLocal8Bit(text.data(), qsizetype(text.size())); }

std::string fromWidget(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

std::string memoText(const QPlainTextEdit *edit)
{
    QString text = edit->toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return fromWidget(text);
}

QString toWidgetLines(const std::string &text)
{
    QString shown = toWidget(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void setMemoText(QPlainTextEdit *edit, const std::string &text) { edit->setPlainText(toWidgetLines(text)); }

} // namespace WidgetText
