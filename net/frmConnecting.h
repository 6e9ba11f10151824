#pragma once
// "Connecting" window: shown while an outgoing connection is being set up, with the socket's
// progress and a Cancel button that tears the attempt down.
#include "core/SingleForm.h"

#include <QDialog>

class FormTimer;
class QLabel;
class QPushButton;

class frmConnecting : public QDialog, public SingleForm<frmConnecting> {
    Q_OBJECT
public:
    frmConnecting();
    ~frmConnecting() override;

    QLabel* imgConnecting = nullptr;
    QLabel* lblConnecting = nullptr;
    QPushButton* cmdCancel = nullptr;
    FormTimer* tmrStatus = nullptr;

    void tmrStatus_Timer();
    void cmdCancel_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;   // Esc answers like Cancel
};
