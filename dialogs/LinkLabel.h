#pragma once
// A label drawn as a link, with the link pointer over it; a left click (on release) runs
// `clicked`. Other buttons do nothing.
#include <QLabel>

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// Opens the product's skins page; the help book's page on skins when the build names no
// web site. Likewise the web site itself, and a new message to the support address.
void OpenSkinsPage(QWidget* owner);
void OpenWebSite(QWidget* owner);
void OpenSupportMail(QWidget* owner);
