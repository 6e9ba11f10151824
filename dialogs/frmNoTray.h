#pragma once
// "Gremlok": told once when the desktop has no notification area and no notification service,
// so that the program does not run out of sight. Its buttons do what the tray menu's
// "Fight Now!" and "Options..." do. Automatic fights wait while it is open.
#include "core/SingleForm.h"

#include <QDialog>

class QLabel;
class QPushButton;

class frmNoTray : public QDialog, public SingleForm<frmNoTray> {
    Q_OBJECT
public:
    frmNoTray();

    QLabel* imgIcon = nullptr;
    QLabel* lblInfo = nullptr;
    QPushButton* cmdFightNow = nullptr;
    QPushButton* cmdOptions = nullptr;
    QPushButton* cmdClose = nullptr;

    void ShowDialog();
    void cmdFightNow_Click();
    void cmdOptions_Click();

protected:
    void done(int r) override;
    void showEvent(QShowEvent* event) override;

private:
    bool m_loaded = false;
};
