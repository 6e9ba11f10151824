#pragma once
// The fight window: a frozen snapshot of the desktop with the enemy on top.
#include "core/SingleForm.h"

#include <QWidget>

class frmDesktop : public QWidget, public SingleForm<frmDesktop> {
    Q_OBJECT
public:
    frmDesktop();
    ~frmDesktop() override;

    // Sets the fight up and shows the window without waiting; an open fight only comes forward.
    void Show();
};
