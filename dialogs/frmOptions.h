#pragma once
// "Gremlok Options": every setting on four tabs. Opened without blocking; while it is open,
// automatic fights wait. OK stores the settings; Cancel and the close box discard them.
#include "core/SingleForm.h"

#include <QDialog>
#include <QHash>
#include <array>
#include <cstdint>

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QAction;
class QPushButton;
class QSlider;
class QTabWidget;
class QWidget;
class RangeSlider;
class TextBox;
class LinkLabel;

class frmOptions : public QDialog, public SingleForm<frmOptions> {
    Q_OBJECT
public:
    frmOptions();
    ~frmOptions() override;

    // What "&Options..." does: loads the settings and shows the dialog; when it is already
    // open, brings it forward. A dialog that was just closed is not reused.
    static void Open();
    void ShowDialog();

    QTabWidget* TabStrip = nullptr;
    std::array<QWidget*, 5> fraContainer{};   // pages 1..4

    // 1 General
    QCheckBox* chkSound = nullptr;
    QCheckBox* chkDirectSound = nullptr;
    QCheckBox* chkCenterPointer = nullptr;
    QCheckBox* chkAutoUnload = nullptr;
    TextBox* txtAutoUnload = nullptr;
    QLabel* lblSeconds = nullptr;
    QGroupBox* fraTimedFightInterval = nullptr;
    RangeSlider* sdrTimedFight = nullptr;
    QLabel* lblTFightShort = nullptr;
    QLabel* lblTFightLong = nullptr;
    QCheckBox* chkAutostart = nullptr;   // the autostart entry, not a registry value
    // 2 Appearance
    QGroupBox* fraMousePointer = nullptr;
    QSlider* sdrPointer = nullptr;
    QLabel* imgPointer = nullptr;
    QLabel* lblPointer = nullptr;
    QCheckBox* chkShadow = nullptr;
    QCheckBox* chkScramble = nullptr;
    QCheckBox* chkBlood = nullptr;
    // 3 Multiplayer
    QLabel* lblNickname = nullptr;
    TextBox* txtNickname = nullptr;
    QCheckBox* chkAutoAccept = nullptr;
    QGroupBox* fraMultiplayerFightInterval = nullptr;
    RangeSlider* sdrMultiplayerInterval = nullptr;
    QLabel* lblMultiplayerShort = nullptr;
    QLabel* lblMultiplayerLong = nullptr;
    // 4 Skins
    QListWidget* lstSkins = nullptr;
    QPushButton* cmdRemove = nullptr;
    LinkLabel* lblGetSkins = nullptr;

    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QMenu* mnuWhatsThis = nullptr;
    QAction* mnuWhatsThisHelp = nullptr;

    // The control whose What's This topic is wanted; set only while that menu is up.
    QWidget* HelpControl = nullptr;
    uint8_t CurrentTab = 1;

    void Form_Load();
    void TabStrip_Click(int index);
    void chkSound_Click();
    void chkAutoUnload_Click();
    void sdrPointer_Scroll();
    void cmdOK_Click();
    void cmdCancel_Click();
    void mnuWhatsThisHelp_Click();
    void ListSkins();
    void cmdRemove_Click();
    void lblGetSkins_Click();
    // Writes or removes the autostart entry as chkAutostart says; false after telling the user
    // why it could not.
    bool StoreAutostart();

    // What the controls show, one "name=value" per control, for traces and tests.
    QString ControlsSummary() const;

    // The What's This topic of a control (0 when it has none).
    int WhatsThisId(const QWidget* control) const;

protected:
    void done(int r) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildGeneral(QWidget* page);
    void buildAppearance(QWidget* page);
    void buildMultiplayer(QWidget* page);
    void buildSkins(QWidget* page);
    void setHelpId(QWidget* control, int id);
    void WhatsThis(Qt::MouseButton button, QWidget* control);
    void Form_Unload();

    QHash<const QWidget*, int> m_helpIds;
    bool m_loaded = false;
    bool m_closed = false;   // closed, waiting to be destroyed
};
