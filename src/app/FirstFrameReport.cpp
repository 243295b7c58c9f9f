#include "FirstFrameReport.h"

#include "FirstFrame.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>

namespace FirstFrameReport {

void watch()
{
    if (qEnvironmentVariableIsEmpty("POSTWRIGHT_REPORT_FIRST_FRAME") || !QCoreApplication::instance())
        return;
    FirstFrame::after(QCoreApplication::instance(), [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("first-frame %lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
    });
}

} // namespace FirstFrameReport
