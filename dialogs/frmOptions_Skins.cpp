// frmOptions, the Skins tab: the installed skins, deleting a package, getting more.
#include "dialogs/frmOptions.h"

#include "core/modGremlok.h"
#include "dialogs/LinkLabel.h"
#include "platform/Trace.h"
#include "skins/SkinManagement.h"

#include <QListWidget>
#include <QMessageBox>

void frmOptions::ListSkins()
{
    const SkinManagement::SkinList list = SkinManagement::ListSkins();
    lstSkins->clear();
    lstSkins->addItems(list.Entries);
    lstSkins->setCurrentRow(list.Selected);
}

void frmOptions::cmdRemove_Click()
{
    const int index = lstSkins->currentRow();
    if (index <= 0)
        return;   // the base skin stays
    const QString name = lstSkins->item(index)->text();
    const auto answer = QMessageBox::question(this, modGremlok::AppTitle, SkinManagement::DeleteQuestion(name),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    // A package that cannot be removed still leaves the list, as the player asked.
    const bool removed = SkinManagement::DeleteSkinPackage(name);
    platform::Trace("options.skin_deleted", name + (removed ? QString() : QStringLiteral(" (not removed)")));
    delete lstSkins->takeItem(index);
    lstSkins->setCurrentRow(0);
}

void frmOptions::lblGetSkins_Click()
{
    OpenSkinsPage(this);
}
