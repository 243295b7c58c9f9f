#pragma once

#include <QDialog>

#include <memory>
#include <string>

class TfrmMain;

namespace Ui {
class TfrmFormat;
}

// The "Custom Message Templates" dialog: the main window's templates in a grid
// of eight rows under a title row. The first three templates are fixed and
// their rows cannot be entered; "Save" replaces the whole template list with
// the eight rows.
class TfrmFormat : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFormat(TfrmMain &main, QWidget *parent = nullptr);
    ~TfrmFormat() override;

    // Grid rows as the user counts them: the title row is row 0, template i
    // stands in row i + 1. Rows above firstEditableRow hold the fixed templates.
    static constexpr int templateRows = 8;
    static constexpr int firstEditableRow = 4;

    // True once "Save" has replaced the template list, also when writing the
    // file failed afterwards and the dialog stayed open.
    bool replacedTemplates() const { return m_replacedTemplates; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    bool grdSettingsSelectCell(int column, int row);
    void btnSaveClick();
    void btnDeleteClick();

    void tellReadOnly();
    void setCell(int row, int column, const std::string &text);
    std::string cellText(int row, int column) const;

    std::unique_ptr<Ui::TfrmFormat> ui;
    TfrmMain &m_main;
    bool m_placed = false;
    bool m_replacedTemplates = false;
};
