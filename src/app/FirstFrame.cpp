#include "FirstFrame.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace FirstFrame {
namespace {

class Watch : public QObject {
public:
    Watch(QObject *parent, QObject *context, std::function<void()> done)
        : QObject(parent), m_context(context), m_done(std::move(done))
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->isWindow()) {
            m_seen = true;
            // The paint and the flush to the screen run in one pass; a call
            // queued now runs once that pass is over.
            QTimer::singleShot(0, this, [this] {
                if (m_context)
                    m_done();
                deleteLater();
            });
        }
        return false;
    }

private:
    QPointer<QObject> m_context;
    std::function<void()> m_done;
    bool m_seen = false;
};

} // namespace

void after(QObject *context, std::function<void()> done)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    app->installEventFilter(new Watch(app, context, std::move(done)));
}

} // namespace FirstFrame
