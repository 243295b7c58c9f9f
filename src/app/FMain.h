#pragma once

#include "UForums.h"

#include <QWidget>

#include <filesystem>
#include <memory>

class QKeyEvent;
class QTimer;
class TBrowserPane;
class TForumPanel;

namespace Ui {
class TfrmMain;
}

// The main window: the top bar of commands, the banner strip, the message
// editor with the forum list, the embedded browser and the footer links. It
// owns the three record lists from its creation to its destruction.
class TfrmMain : public QWidget {
    Q_OBJECT
public:
    // appDir is where the data files live: the program's own folder, or a
    // test's temporary one.
    explicit TfrmMain(std::filesystem::path appDir, QWidget *parent = nullptr);
    ~TfrmMain() override;

    const std::filesystem::path &appDir() const { return m_appDir; }
    TFMessages &messages() { return *m_messages; }
    TForums &forums() { return *m_forums; }
    TFormats &formats() { return *m_formats; }
    QTimer *timer() const { return Timer1; }
    // The window's controls, under the names of the form data.
    Ui::TfrmMain &controls() { return *ui; }

    // Empties the template chooser, adds "text" and every named template, and
    // selects "text".
    void fillFormatChooser();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormDestroy();
    void Timer1Timer();

    // Browser pane
    void bsSkinSpeedButton1Click();
    void bsSkinSpeedButton2Click();
    void bsSkinSpeedButton4Click();
    void bsSkinSpeedButton3Click();
    void bsSkinButton2Click();
    void edtURLKeyDown(const QKeyEvent &event);
    // Field filling
    void btnSPasteClick();
    void btnBPasteClick();
    void btnUPasteClick();
    void btnWPasteClick();
    void btnAutoInsertClick();
    // Forum list
    void btnAddURLClick();
    void btnRemoveURLClick();
    void lvwForumsListBoxClick();
    void lvwForumsListBoxDblClick();
    void lvwForumsListBoxKeyDown(const QKeyEvent &event);
    void edtUsernameChange();
    void edtPasswordChange();

    void centreBanner();
    void fillForumList();
    void connectBodyScrollBar();
    void connectBrowser();
    void connectForumPanel();
    // Connects signal of sender to a handler of the window; an error the
    // handler raises goes to the general error handling.
    template <class Sender, class Signal>
    void handle(Sender *sender, Signal signal, void (TfrmMain::*handler)());

    std::unique_ptr<Ui::TfrmMain> ui;
    std::filesystem::path m_appDir;
    std::unique_ptr<TFMessages> m_messages;
    std::unique_ptr<TForums> m_forums;
    std::unique_ptr<TFormats> m_formats;
    std::unique_ptr<TBrowserPane> m_browserPane;
    std::unique_ptr<TForumPanel> m_forumPanel;
    QTimer *Timer1 = nullptr;
    bool m_placed = false;
};

// The one main window, for the whole run.
extern TfrmMain *frmMain;
