#pragma once
// "Gremlok Best Times": the five best kill times, with a button that clears them.
#include "core/SingleForm.h"

#include <QDialog>
#include <cstdint>

class QPushButton;
class QTreeWidget;

class frmBestTimes : public QDialog, public SingleForm<frmBestTimes> {
    Q_OBJECT
public:
    frmBestTimes();
    ~frmBestTimes() override;

    QTreeWidget* lsvScoresList = nullptr;
    QPushButton* cmdReset = nullptr;
    QPushButton* cmdOK = nullptr;

    // Shows the dialog and waits until it closes; the window is destroyed afterwards.
    // `owner` (may be null) keeps the dialog above a window that covers the screen.
    int ShowModal(QWidget* owner = nullptr);

    void Form_Load();
    void cmdReset_Click();
    void cmdOK_Click();
    // Fills the list from the table; the texts of row N (1..5) for tests.
    void FillList();
    QStringList RowTexts(int N) const;

    // The reset question's texts.
    static const QString ResetTitle;
    static const QString ResetQuestion;

protected:
    void done(int r) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Unload();
    bool m_unloaded = false;
    int16_t m_lineY = 94;       // the etched separator under the list
    int m_lineWidth = 250;
};
