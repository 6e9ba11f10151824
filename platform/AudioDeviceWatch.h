#pragma once
#include <QObject>

namespace platform {

// Tells the user-interface thread when the number of audio outputs changes. The count is
// taken on the audio thread, so nothing here ever waits for the sound server.
class AudioDeviceWatch : public QObject {
    Q_OBJECT
public:
    static AudioDeviceWatch& instance();

signals:
    void OutputsChanged(int before, int now);
};

} // namespace platform
