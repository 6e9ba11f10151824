#include "net/frmInstMessage.h"

#include "core/FormTimer.h"
#include "net/PanelPlacement.h"
#include "platform/Trace.h"
#include "platform/vbTrayIcon.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>

namespace {
// Design sizes are twips at 15 twips a pixel.
constexpr int px(int twips) { return (twips + 7) / 15; }
}

frmInstMessage::frmInstMessage() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Gremlok"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    setPalette(pal);
    setAutoFillBackground(true);

    // The frame: behind everything, as large as the popup.
    lblBox = new QLabel(this);
    lblBox->setFrameStyle(QFrame::Box | QFrame::Plain);
    lblBox->setGeometry(0, 0, px(4215), px(1665));
    lblBox->lower();

    imgInfo = new QLabel(this);
    imgInfo->setGeometry(px(120), px(120), 16, 16);
    imgInfo->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(16, 16));

    QFont titleFont(QStringLiteral("Tahoma"));
    titleFont.setPointSizeF(8.25);
    titleFont.setBold(true);
    lblTitle = new QLabel(this);
    lblTitle->setFont(titleFont);
    lblTitle->move(px(480), px(150));
    lblTitle->setForegroundRole(QPalette::ToolTipText);

    QFont textFont(QStringLiteral("Tahoma"));
    textFont.setPointSizeF(8.25);
    lblMessage = new QLabel(this);
    lblMessage->setFont(textFont);
    lblMessage->setTextFormat(Qt::PlainText);
    lblMessage->move(px(165), px(435));
    lblMessage->setForegroundRole(QPalette::ToolTipText);

    // Clicks anywhere on the popup are clicks on the frame.
    for (QLabel* l : {imgInfo, lblTitle, lblMessage})
        l->setAttribute(Qt::WA_TransparentForMouseEvents);

    tmrTimeOut = new FormTimer(this);
    connect(tmrTimeOut, &FormTimer::Timer, this, &frmInstMessage::tmrTimeOut_Timer);
}

frmInstMessage::~frmInstMessage() = default;

void frmInstMessage::setBalloonTitle(const QString& title)
{
    lblTitle->setText(title);
    lblTitle->adjustSize();
}

// A word wider than the text area would run past the frame and be cut off: word wrap only
// breaks at blanks. Such words get a break opportunity (a zero-width space) after every
// character, so they wrap anywhere while ordinary words still wrap whole.
QString frmInstMessage::BreakLongWords(const QString& text, const QFontMetrics& metrics, int width)
{
    static const QChar kBreak(0x200B);
    QString out;
    out.reserve(text.size());
    QString word;
    auto flush = [&] {
        if (metrics.horizontalAdvance(word) > width) {
            for (QChar c : std::as_const(word)) {
                out += c;
                if (!c.isHighSurrogate())
                    out += kBreak;
            }
        } else {
            out += word;
        }
        word.clear();
    };
    for (QChar c : text) {
        if (c.isSpace()) {
            flush();
            out += c;
        } else {
            word += c;
        }
    }
    flush();
    return out;
}

void frmInstMessage::setBalloonText(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lblMessage->setWordWrap(false);
    lblMessage->setText(shown);
    lblMessage->adjustSize();
}

void frmInstMessage::setBalloonTimeout(int ms)
{
    tmrTimeOut->setInterval(ms);
    tmrTimeOut->setEnabled(ms > 0);
}

void frmInstMessage::AdjustSize()
{
    // Width: the longer of the text on one line and the title row, plus the margins; long
    // texts wrap at the width limit instead.
    int boxWidth = std::max(lblMessage->width(), imgInfo->width() + lblTitle->width() + px(100)) + px(300);
    if (boxWidth > MaxWidth)
        boxWidth = MaxWidth;
    lblMessage->setWordWrap(true);
    const int textWidth = boxWidth - px(300);
    lblMessage->setText(BreakLongWords(lblMessage->text(), lblMessage->fontMetrics(), textWidth));
    lblMessage->resize(textWidth, lblMessage->heightForWidth(textWidth));
    const int boxHeight = lblMessage->height() + imgInfo->height() + px(300);
    lblBox->resize(boxWidth, boxHeight);

    QRect icon;
    if (frmMain* m = frmMain::existing(); m && m->SysTray)
        icon = m->SysTray->Geometry();
    QPoint at;
    if (!PanelPlacement(platform::FindTaskbar(icon), QSize(boxWidth, boxHeight), 4, 6, at))
        return;
    setGeometry(QRect(at, QSize(boxWidth, boxHeight)));
    platform::Trace("popup", QStringLiteral("%1 %2 %3 %4").arg(at.x()).arg(at.y()).arg(boxWidth).arg(boxHeight));
}

void frmInstMessage::tmrTimeOut_Timer()
{
    tmrTimeOut->setEnabled(false);
    close();
}

void frmInstMessage::lblBox_Click()
{
    close();
}

void frmInstMessage::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        lblBox_Click();
    else
        QWidget::mousePressEvent(event);
}
