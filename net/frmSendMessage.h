#pragma once
// "Send an Instant Message": a short text to the connected peer, placed beside the panel.
#include "core/SingleForm.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class frmSendMessage : public QDialog, public SingleForm<frmSendMessage> {
    Q_OBJECT
public:
    frmSendMessage();
    ~frmSendMessage() override;

    static constexpr int MaxLength = 254;   // characters on the wire, a line break counting two

    QPlainTextEdit* txtMessage = nullptr;
    QPushButton* cmdSend = nullptr;
    QPushButton* cmdCancel = nullptr;

    void cmdSend_Click();
    void cmdCancel_Click();
    // The text as it goes to the peer: line breaks as CR LF.
    QString MessageText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void limitLength();
};
