#pragma once
// "Gremlok": the first-run tip that says where the program lives. Shown without waiting at
// start-up while "QuickHelp" is on; its check box turns it off for good, but only on OK.
#include "core/SingleForm.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

class frmTip : public QDialog, public SingleForm<frmTip> {
    Q_OBJECT
public:
    frmTip();

    QLabel* imgSysTray = nullptr;
    QLabel* imgBalloon = nullptr;
    QLabel* lblInfo = nullptr;
    QCheckBox* chkShowMsg = nullptr;
    QPushButton* cmdOK = nullptr;

    void cmdOK_Click();

    // A picture of a panel's notification area with the program's icon in it.
    static QPixmap NotificationAreaPicture(qreal devicePixelRatio);

protected:
    void done(int r) override;
    void showEvent(QShowEvent* event) override;
};

// Shows the first-run tip without waiting.
void ShowTipWindow();
