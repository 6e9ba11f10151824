// frmOptions: loading the settings into the controls, storing them on OK, closing.
#include "dialogs/frmOptions.h"

#include "core/Settings.h"
#include "core/modGremlok.h"
#include "dialogs/DialogFights.h"
#include "dialogs/RangeSlider.h"
#include "dialogs/TextBox.h"
#include "platform/Autostart.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "shell/frmMain.h"
#include "skins/SkinManagement.h"
#include "sound/SoundEffects.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

using namespace modGremlok;

void frmOptions::Open()
{
    if (frmOptions* f = existing(); f && f->m_closed)
        release();
    instance().ShowDialog();
}

void frmOptions::ShowDialog()
{
    if (isVisible()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        raise();
        activateWindow();
        return;
    }
    Form_Load();
    show();
    raise();
    activateWindow();
}

void frmOptions::Form_Load()
{
    m_loaded = true;
    // 1. and 2.
    SuspendAutomaticFights();
    // 3.
    CurrentTab = 1;
    TabStrip->setCurrentIndex(0);
    // 4. and 5.
    SoundEffects& sound = *gSound;
    chkSound->setChecked(sound.SoundEnabled());
    chkSound->setEnabled(!sound.Disabled());
    chkDirectSound->setChecked(sound.DirectSound());
    chkDirectSound->setEnabled(sound.SoundEnabled() && sound.IsDirectSoundSupported() && !sound.Disabled());
    // 6. and 7.
    chkShadow->setChecked(Shadow);
    chkShadow->setEnabled((IsWin2000OrLater || IsWin98OrLater) && HighColorDisplay);
    chkCenterPointer->setChecked(CenterPointer);
    chkBlood->setChecked(Blood);
    chkScramble->setChecked(Scramble);
    chkAutoAccept->setChecked(AutoAccept);
    // 8. The thumb stands at the end of the range.
    sdrTimedFight->setSelStart(TimedFightStart);
    sdrTimedFight->setSelLength(TimedFightLength);
    sdrTimedFight->setValue(TimedFightStart + TimedFightLength);
    sdrMultiplayerInterval->setSelStart(MultiplayerFightStart);
    sdrMultiplayerInterval->setSelLength(MultiplayerFightLength);
    sdrMultiplayerInterval->setValue(MultiplayerFightStart + MultiplayerFightLength);
    // 9.
    sdrPointer->setValue(Pointer);
    sdrPointer_Scroll();
    // 10. and 11.
    txtNickname->setText(Nickname);
    chkAutoUnload->setChecked(AutoUnload);
    txtAutoUnload->setText(QString::number(AutoUnloadTime));
    txtAutoUnload->setEnabled(AutoUnload);
    // The autostart entry is read as it is now: the user may have removed it meanwhile.
    chkAutostart->setChecked(platform::Autostart::IsEnabled());
    // 12. The link pointer is the label's own. 13.
    ListSkins();
}

void frmOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    platform::Trace("options", "shown");
    platform::Trace("options.controls", ControlsSummary());
    // Where the thumbs are, for scripts that drag them as a person would.
    QTimer::singleShot(0, this, [this] {
        for (RangeSlider* s : {sdrTimedFight, sdrMultiplayerInterval}) {
            const QPoint c = s->mapToGlobal(s->HandleCentre(s->value()));
            platform::Trace(QStringLiteral("options.handle.") + s->objectName(),
                            QStringLiteral("%1 %2").arg(c.x()).arg(c.y()));
        }
    });
}

void frmOptions::chkSound_Click()
{
    chkDirectSound->setEnabled(chkSound->isChecked() && gSound->IsDirectSoundSupported());
}

void frmOptions::chkAutoUnload_Click()
{
    txtAutoUnload->setEnabled(chkAutoUnload->isChecked());
}

void frmOptions::sdrPointer_Scroll()
{
    const ImageList::Item& item = frmMain::instance().CursorList.ListImage(sdrPointer->value());
    imgPointer->setPixmap(item.Picture);
    lblPointer->setText(item.Tag);
    sdrPointer->setToolTip(item.Tag);
}

void frmOptions::cmdOK_Click()
{
    // 1.
    Shadow = chkShadow->isChecked();
    CenterPointer = chkCenterPointer->isChecked();
    Blood = chkBlood->isChecked();
    Scramble = chkScramble->isChecked();
    // 2. Sound first: switching DirectSound on loads the buffers only while sound is on.
    SoundEffects& sound = *gSound;
    sound.setSoundEnabled(chkSound->isChecked());
    sound.setDirectSound(chkDirectSound->isChecked());
    // 3. and 4.
    AutoAccept = chkAutoAccept->isChecked();
    TimedFightStart = sdrTimedFight->SelStart();
    TimedFightLength = int16_t(sdrTimedFight->SelLength());
    // 5.
    bool intervalChanged = false;
    if (sdrMultiplayerInterval->SelStart() != MultiplayerFightStart) {
        MultiplayerFightStart = sdrMultiplayerInterval->SelStart();
        intervalChanged = true;
    }
    if (sdrMultiplayerInterval->SelLength() != MultiplayerFightLength) {
        MultiplayerFightLength = int16_t(sdrMultiplayerInterval->SelLength());
        intervalChanged = true;
    }
    // 6. to 8.
    Pointer = uint8_t(sdrPointer->value());
    Nickname = txtNickname->text().trimmed();
    AutoUnload = chkAutoUnload->isChecked();
    // 9. A pasted text is only checked here; a number out of range is shown as stored.
    bool numeric = false;
    const double delay = txtAutoUnload->text().trimmed().toDouble(&numeric);
    if (numeric) {
        if (delay > 60)
            txtAutoUnload->setText(QStringLiteral("60"));
        else if (delay < 2)
            txtAutoUnload->setText(QStringLiteral("2"));
        AutoUnloadTime = uint8_t(qRound(txtAutoUnload->text().toDouble()));
    } else {
        AutoUnloadTime = 5;
    }
    // 10.
    platform::SettingsStore& reg = *SettingsStore;
    const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
    const std::pair<const Settings::Value&, QVariant> values[] = {
        {Settings::Sound, sound.SoundEnabled()},
        {Settings::DirectSound, sound.DirectSound()},
        {Settings::Blood, Blood},
        {Settings::Shadow, Shadow},
        {Settings::CenterPointer, CenterPointer},
        {Settings::Scramble, Scramble},
        {Settings::Pointer, Pointer},
        {Settings::TimedFightStart, TimedFightStart},
        {Settings::TimedFightLength, TimedFightLength},
        {Settings::MultiplayerFightStart, MultiplayerFightStart},
        {Settings::MultiplayerFightLength, MultiplayerFightLength},
        {Settings::AutoAccept, AutoAccept},
        {Settings::Nickname, Nickname},
        {Settings::AutoUnload, AutoUnload},
        {Settings::AutoUnloadTime, AutoUnloadTime},
    };
    for (const auto& [value, v] : values)
        Settings::Write(reg, key, value, v);
    // 11. "Skin" itself is written at exit.
    if (QListWidgetItem* chosen = lstSkins->currentItem())
        SkinManagement::ApplySkinChoice(lstSkins->currentRow(), chosen->text());
    // 12.
    reg.CloseKey(key);
    // 13. The peer runs the shared timer with the new interval from now on.
    frmMain& main = frmMain::instance();
    if (main.mnuDisconnect->isVisible() && intervalChanged) {
        const QString message = QStringLiteral("Interval:%1,%2").arg(MultiplayerFightStart).arg(MultiplayerFightLength);
        platform::Trace("options.interval", message);
        main.SendPeerMessage(message);
    }
    // Its message box lets other events run, which may close the dialog meanwhile.
    const QPointer<frmOptions> alive(this);
    StoreAutostart();
    if (!alive)
        return;
    platform::Trace("options", "stored");
    // 14.
    accept();
}

bool frmOptions::StoreAutostart()
{
    QString error;
    const bool wanted = chkAutostart->isChecked();
    // A ticked box rewrites an entry that starts the program from where it used to be.
    const bool ok = wanted ? platform::Autostart::Enable(QCoreApplication::applicationFilePath(), &error)
                           : !platform::Autostart::IsEnabled() || platform::Autostart::Disable(&error);
    platform::Trace("options.autostart", ok ? (wanted ? "on" : "off") : "failed");
    if (ok)
        return true;
    // The other settings are stored; only this one did not take.
    const bool otherBox = MessageBoxOpen;
    MessageBoxOpen = true;
    QMessageBox::critical(this, AppTitle,
                          (wanted ? QStringLiteral("Gremlok could not set itself to start when you log in.")
                                  : QStringLiteral("Gremlok could not stop starting when you log in."))
                              + QStringLiteral("\n\n") + error);
    MessageBoxOpen = otherBox;
    return false;
}

void frmOptions::cmdCancel_Click()
{
    reject();
}

void frmOptions::done(int r)
{
    Form_Unload();
    QDialog::done(r);
    platform::Trace("options", "closed");
    m_closed = true;
    // Destroyed once closed: the next opening reads every setting afresh.
    deleteLater();
}

void frmOptions::Form_Unload()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    RearmAutomaticFights();
}

QString frmOptions::ControlsSummary() const
{
    QStringList parts;
    for (const QCheckBox* c : {chkSound, chkDirectSound, chkCenterPointer, chkAutoUnload, chkShadow,
                               chkScramble, chkBlood, chkAutoAccept, chkAutostart})
        parts << QStringLiteral("%1=%2%3").arg(c->objectName()).arg(c->isChecked() ? 1 : 0)
                     .arg(c->isEnabled() ? QString() : QStringLiteral("(off)"));
    parts << QStringLiteral("txtAutoUnload=%1%2").arg(txtAutoUnload->text())
                 .arg(txtAutoUnload->isEnabled() ? QString() : QStringLiteral("(off)"));
    parts << QStringLiteral("txtNickname=[%1]").arg(txtNickname->text());
    for (const RangeSlider* r : {sdrTimedFight, sdrMultiplayerInterval})
        parts << QStringLiteral("%1=%2+%3").arg(r->objectName()).arg(r->SelStart()).arg(r->SelLength());
    parts << QStringLiteral("sdrPointer=%1:%2").arg(sdrPointer->value()).arg(lblPointer->text());
    parts << QStringLiteral("lstSkins=%1").arg(lstSkins->currentItem() ? lstSkins->currentItem()->text() : QString());
    return parts.join(QLatin1Char('|'));
}
