#include "TEmbeddedWB.h"

#include <QWebEngineSettings>

TEmbeddedWB::TEmbeddedWB(QWidget *parent) : QWebEngineView(parent)
{
    settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
}
