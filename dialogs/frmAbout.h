#pragma once
// "About Gremlok": name, version, credits, the web site and the support address.
#include "core/SingleForm.h"

#include <QDialog>

class QLabel;
class QPushButton;
class LinkLabel;

class frmAbout : public QDialog, public SingleForm<frmAbout> {
    Q_OBJECT
public:
    frmAbout();

    QLabel* imgIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCredits = nullptr;
    QLabel* lblURL = nullptr;
    LinkLabel* lblURLlink = nullptr;
    QLabel* lblURL2 = nullptr;
    QLabel* lblEmail = nullptr;
    LinkLabel* lblEmailLink = nullptr;
    QLabel* lblDot = nullptr;
    QPushButton* cmdOK = nullptr;

    // Shows the box and waits until it closes; the window is destroyed afterwards.
    int ShowModal();

    void Form_Load();
    void lblURLlink_Click();
    void lblEmailLink_Click();

protected:
    void done(int r) override;
    void showEvent(QShowEvent* event) override;

private:
    bool m_loaded = false;
};
