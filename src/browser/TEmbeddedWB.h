#pragma once

#include <QWebEngineView>

// The embedded web browser of the main window. Page scripts never run in it.
class TEmbeddedWB : public QWebEngineView {
    Q_OBJECT
public:
    explicit TEmbeddedWB(QWidget *parent = nullptr);
};
