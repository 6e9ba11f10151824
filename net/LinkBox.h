#pragma once
// Message boxes of the peer link: titled with the program title, brought to the front, and
// marked in MessageBoxOpen while they are up (a peer's fight request is refused meanwhile).
#include <QMessageBox>
#include <QString>

int LinkBox(QMessageBox::Icon icon, const QString& text,
            QMessageBox::StandardButtons buttons = QMessageBox::Ok);
