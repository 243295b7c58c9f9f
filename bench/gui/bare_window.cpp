// The reference for the start-up benchmark: a plain Qt Widgets window of a few
// controls, with the same first-frame report as the program.
#include "FirstFrameReport.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    FirstFrameReport::watch();
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Subject")));
    layout->addWidget(new QLineEdit);
    layout->addWidget(new QPlainTextEdit);
    layout->addWidget(new QPushButton(QStringLiteral("Go!")));
    window.resize(858, 566);
    window.show();
    return app.exec();
}
