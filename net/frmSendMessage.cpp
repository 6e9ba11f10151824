#include "net/frmSendMessage.h"

#include "core/modGremlok.h"
#include "net/PanelPlacement.h"
#include "platform/Trace.h"
#include "platform/vbTrayIcon.h"
#include "shell/frmMain.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
constexpr int px(int twips) { return (twips + 7) / 15; }
}

frmSendMessage::frmSendMessage() : QDialog(nullptr)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Gremlok - Send an Instant Message"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(px(4200), px(1995));

    txtMessage = new QPlainTextEdit(this);
    txtMessage->setGeometry(px(120), px(120), px(3975), px(1335));
    txtMessage->setTabChangesFocus(true);
    txtMessage->installEventFilter(this);
    connect(txtMessage, &QPlainTextEdit::textChanged, this, &frmSendMessage::limitLength);

    cmdSend = new QPushButton(QStringLiteral("&Send"), this);
    cmdSend->setGeometry(px(1755), px(1560), px(1125), px(345));
    cmdSend->setDefault(true);
    connect(cmdSend, &QPushButton::clicked, this, &frmSendMessage::cmdSend_Click);

    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setGeometry(px(2970), px(1560), px(1125), px(345));
    connect(cmdCancel, &QPushButton::clicked, this, &frmSendMessage::cmdCancel_Click);
    connect(this, &QDialog::rejected, this, &QWidget::close);

    // Form_Load: beside the panel, no change of size.
    QRect icon;
    if (frmMain* m = frmMain::existing(); m && m->SysTray)
        icon = m->SysTray->Geometry();
    QPoint at;
    if (PanelPlacement(platform::FindTaskbar(icon), size(), px(120), px(120), at))
        move(at);
    txtMessage->setFocus();
}

frmSendMessage::~frmSendMessage() = default;

QString frmSendMessage::MessageText() const
{
    QString text = txtMessage->toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

void frmSendMessage::limitLength()
{
    const QString text = MessageText();
    if (text.size() <= MaxLength)
        return;
    // Typing or pasting past the limit keeps the first MaxLength characters.
    QString kept = text.left(MaxLength);
    if (kept.endsWith(QLatin1Char('\r')))
        kept.chop(1);
    kept.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QSignalBlocker block(txtMessage);
    txtMessage->setPlainText(kept);
    txtMessage->moveCursor(QTextCursor::End);
}

void frmSendMessage::cmdSend_Click()
{
    const QString text = MessageText();
    if (!text.trimmed().isEmpty() && frmMain::isLoaded()) {
        frmMain::instance().SendPeerMessage(QStringLiteral("Msg:") + text);
        platform::Trace("message.sent", QString::number(text.size()));
    }
    close();
}

void frmSendMessage::cmdCancel_Click()
{
    close();
}

bool frmSendMessage::eventFilter(QObject* watched, QEvent* event)
{
    // Enter sends, as the default button; Ctrl+Enter or Shift+Enter starts a new line.
    if (watched == txtMessage && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && !(key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))) {
            cmdSend_Click();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            txtMessage->insertPlainText(QStringLiteral("\n"));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
