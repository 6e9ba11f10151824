#pragma once
#include <QObject>

namespace platform {

// System events: display changes, suspend and resume, audio devices coming and going, and
// changes of the double-click time.
class SysInfo : public QObject {
    Q_OBJECT
public:
    explicit SysInfo(QObject* parent = nullptr);
    ~SysInfo() override;

    // The system's double-click time in milliseconds.
    static int DoubleClickTime();

signals:
    void DisplayChanged();
    void PowerSuspend();
    void PowerResume();
    void DeviceArrival();
    void DeviceRemoveComplete();
    void SettingChanged(int Item);
};

} // namespace platform
