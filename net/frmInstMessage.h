#pragma once
// The notification popup beside the panel, for desktops whose tray shows no balloons: a title
// with an information icon and the text, closed by a click or when its time is up. At most one
// exists; a new notification replaces it.
#include "core/SingleForm.h"

#include <QWidget>

class FormTimer;
class QFontMetrics;
class QLabel;

class frmInstMessage : public QWidget, public SingleForm<frmInstMessage> {
    Q_OBJECT
public:
    frmInstMessage();
    ~frmInstMessage() override;

    QLabel* lblBox = nullptr;
    QLabel* imgInfo = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblMessage = nullptr;
    FormTimer* tmrTimeOut = nullptr;

    void setBalloonTitle(const QString& title);
    void setBalloonText(const QString& text);
    void setBalloonTimeout(int ms);
    // Sizes the popup to its texts (at most 325 pixels wide) and puts it beside the panel.
    void AdjustSize();

    void tmrTimeOut_Timer();
    void lblBox_Click();

    static constexpr int MaxWidth = 325;
    static QString BreakLongWords(const QString& text, const QFontMetrics& metrics, int width);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
