#include "Clipboard.h"

#include "Errors.h"
#include "WidgetText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QTimer>

namespace Clipboard {
namespace {

std::chrono::milliseconds lifetime{10000};

QClipboard &openClipboard()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw EError("Cannot open clipboard");
    return *clipboard;
}

// Empties the clipboard once the secret's time is up, unless something else
// has replaced the secret by then. A later secret starts the time afresh.
class SecretExpiry : public QObject {
public:
    static SecretExpiry &instance()
    {
        static QPointer<SecretExpiry> one;
        if (!one)
            one = new SecretExpiry(QCoreApplication::instance());
        return *one;
    }

    void watch(const QString &secret)
    {
        m_secret = secret;
        m_timer.start(lifetime);
    }

private:
    explicit SecretExpiry(QObject *parent) : QObject(parent)
    {
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, &SecretExpiry::expire);
    }

    void expire()
    {
        QClipboard *clipboard = QGuiApplication::clipboard();
        const QMimeData *data = clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
        if (data && data->data(QLatin1String(secretHintType)) == secretHintValue && data->text() == m_secret)
            clipboard->clear(QClipboard::Clipboard);
        m_secret.clear();
    }

    QTimer m_timer;
    QString m_secret;
};

} // namespace

void setText(const std::string &text)
{
    openClipboard().setText(WidgetText::toWidget(text), QClipboard::Clipboard);
}

void setSecretText(const std::string &text)
{
    QClipboard &clipboard = openClipboard();
    const QString secret = WidgetText::toWidget(text);
    auto *data = new QMimeData;
    data->setText(secret);
    data->setData(QLatin1String(secretHintType), secretHintValue);
    clipboard.setMimeData(data, QClipboard::Clipboard);
    SecretExpiry::instance().watch(secret);
}

std::chrono::milliseconds secretLifetime()
{
    return lifetime;
}

void setSecretLifetime(std::chrono::milliseconds value)
{
    lifetime = value;
}

} // namespace Clipboard
