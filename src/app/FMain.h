#pragma once

#include "TBrandingState.h"
#include "UForums.h"

#include <QWidget>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

class QKeyEvent;
class QAbstractButton;
class QTimer;
class TBrowserPane;
class TForumPanel;
class TPostingRun;
class TbsSkinData;
class TbsSkinMessage;
class TUpdateChecker;

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
    // The message box every window of the program shows its messages with.
    TbsSkinMessage *messageBox() const { return msgMain; }
    // The skin in force; a skin file is loaded through it.
    TbsSkinData *skinData() const { return bsSkinData1; }
    // The window's controls, under the names of the form data.
    Ui::TfrmMain &controls() { return *ui; }
    // What the branding file set at start.
    const TBrandingState &branding() const { return m_branding; }

    // Empties the template chooser, adds "text" and every named template, and
    // selects "text".
    void fillFormatChooser();

    // Markup with the window's own templates; index -1 is "text", k the
    // (k + 1)-th named template, as the chooser offers them.
    std::string MarkupText(std::string_view text, int index) const;
    std::string WrapURL(std::string_view url, int index) const;
    std::string WrapEmail(std::string_view email, int index) const;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Runs handler when button is clicked, through the general error handling.
    void onClick(QAbstractButton *button, void (TfrmMain::*handler)());
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormDestroy();
    void Timer1Timer();
    void btnUpdateClick();
    void btnSaveClick();
    void btnLoadClick();
    void btnOptionsClick();
    void btnPreviewClick();
    void btnCopyClick();

    // Branding
    void LoadBranding();
    void connectBranding();
    void imgBannerClick();
    void gifBannerClick();
    void btnMakeMoneyClick();
    void btnHelpClick();

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
    void connectPostingRun();
    void createMessageBox();
    // The template index the chooser's current entry stands for.
    int formatIndex() const;

    std::unique_ptr<Ui::TfrmMain> ui;
    std::filesystem::path m_appDir;
    std::unique_ptr<TFMessages> m_messages;
    std::unique_ptr<TForums> m_forums;
    std::unique_ptr<TFormats> m_formats;
    TBrandingState m_branding;
    std::unique_ptr<TBrowserPane> m_browserPane;
    std::unique_ptr<TForumPanel> m_forumPanel;
    std::unique_ptr<TPostingRun> m_postingRun;
    TUpdateChecker *m_updates = nullptr;
    QTimer *Timer1 = nullptr;
    TbsSkinMessage *msgMain = nullptr;
    TbsSkinData *bsSkinData1 = nullptr;
    bool m_placed = false;
};

// The one main window, for the whole run.
extern TfrmMain *frmMain;
