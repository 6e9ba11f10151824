#pragma once
#include <QObject>
#include <memory>

class QScreen;

namespace platform {

// System events: display changes, suspend and resume, audio devices coming and going, changes
// of the double-click time, and the end of the desktop session.
class SysInfo : public QObject {
    Q_OBJECT
public:
    explicit SysInfo(QObject* parent = nullptr);
    ~SysInfo() override;

    // The system's double-click time in milliseconds.
    static int DoubleClickTime();

    // SettingChanged's Item for a new double-click time (SPI_SETDOUBLECLICKTIME).
    static constexpr int DoubleClickTimeItem = 0x20;

    // True when the system bus answered and suspend/resume will be reported.
    bool PowerEventsAvailable() const;

public slots:
    // logind's PrepareForSleep: true before the machine sleeps, false after it woke up.
    void onPrepareForSleep(bool start);

signals:
    void DisplayChanged();
    void PowerSuspend();
    void PowerResume();
    void DeviceArrival();
    void DeviceRemoveComplete();
    void SettingChanged(int Item);
    // The desktop session is ending (logout, shutdown, or the session manager's request).
    void SessionEnding();

private:
    void watchScreen(QScreen* screen);
    void takeSleepDelay();
    void onSignal();
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform
