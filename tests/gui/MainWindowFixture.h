#pragma once

#include "FMain.h"
#include "GuiTestMain.h"
#include "TEmbeddedWB.h"
#include "TestAppDir.h"

#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// The main window over a temporary application directory, shown as the
// program shows it.
struct MainWindowFixture {
    TestAppDir dir;
    std::filesystem::path appDir{dir.path().toStdString()};
    std::unique_ptr<TfrmMain> window;

    // forums, when given, is written to "Forums.dat" before the window opens.
    explicit MainWindowFixture(const std::string &forums = {})
    {
        if (!forums.empty())
            write("Forums.dat", forums);
        window = std::make_unique<TfrmMain>(appDir);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("main window not shown");
    }

    template <class T = QWidget> T *control(const char *name) const { return child<T>(*window, name); }

    // Makes the window the active one again, as after another window closed.
    bool activate() const
    {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    TEmbeddedWB *browser() const { return control<TEmbeddedWB>("EmbeddedWB1"); }

    void write(const char *file, const std::string &bytes) const
    {
        std::ofstream out(appDir / file, std::ios::binary | std::ios::trunc);
        out << bytes;
    }

    // The file's bytes, or "<missing>".
    std::string read(const char *file) const
    {
        std::ifstream in(appDir / file, std::ios::binary);
        if (!in)
            return "<missing>";
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    bool loads(const QString &title) const
    {
        TEmbeddedWB *b = browser();
        return QTest::qWaitFor([&] { return b->title() == title && !b->Busy(); }, 15000);
    }
};
