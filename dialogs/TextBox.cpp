#include "dialogs/TextBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

TextBox::TextBox(QWidget* parent, bool digitsOnly) : QLineEdit(parent), m_digitsOnly(digitsOnly) {}

bool TextBox::RefusesTyped(const QString& text)
{
    // Keys that type nothing (arrows, Tab, Enter, Esc, shortcuts) and backspace are not typing.
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return true;
    return false;
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    if (m_digitsOnly && !(event->modifiers() & Qt::ControlModifier) && RefusesTyped(event->text())) {
        QApplication::beep();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TextBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // After the click that gave the focus has placed the cursor.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus())
            selectAll();
    });
}
