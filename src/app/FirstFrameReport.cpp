#include "FirstFrameReport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace FirstFrameReport {
namespace {

class Watch : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->isWindow()) {
            m_seen = true;
            // The paint and the flush to the screen run in one pass; a call
            // queued now runs once that pass is over.
            QTimer::singleShot(0, this, [this] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::printf("first-frame %lld\n",
                            static_cast<long long>(
                                std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
                std::fflush(stdout);
                deleteLater();
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};

} // namespace

void watch()
{
    if (qEnvironmentVariableIsEmpty("POSTWRIGHT_REPORT_FIRST_FRAME") || !QCoreApplication::instance())
        return;
    QCoreApplication::instance()->installEventFilter(new Watch(QCoreApplication::instance()));
}

} // namespace FirstFrameReport
