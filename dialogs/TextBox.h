#pragma once
// A one-line text box that selects its whole text when it gets the focus, and optionally
// takes digits only: any other typed character is refused with the system beep (pasted text
// is the caller's to check).
#include <QLineEdit>

class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr, bool digitsOnly = false);

    // Whether a digits-only box refuses a key press that types `text`.
    static bool RefusesTyped(const QString& text);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_digitsOnly;
};
