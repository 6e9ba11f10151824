#pragma once
// The fight window: a borderless full-screen window showing a frozen snapshot of the desktop,
// with the enemy, the shots and the effects drawn on top of it.
#include "core/FormTimer.h"
#include "core/SingleForm.h"
#include "fight/DrawTarget.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QWidget>

class frmDesktop : public QWidget, public SingleForm<frmDesktop>, public DrawTarget {
    Q_OBJECT
public:
    frmDesktop();
    ~frmDesktop() override;

    // Sets the fight up and shows the window without waiting; an open fight only comes forward.
    void Show();

    FormTimer* tmrAutoUnload = nullptr;
    FormTimer* tmrScramble = nullptr;

    // The fight clock: readings of a monotonic millisecond clock taken from the input events
    // themselves (the first movement and the killing click).
    struct ClockReading {
        quint64 EventMs = 0;    // the event's own timestamp (0: the event carried none)
        qint64 SteadyMs = 0;    // our monotonic clock when the event was handled
    };
    ClockReading StartTime;
    ClockReading EndTime;
    QPoint StartCursor;
    QString SavedWindowTitle;
    QString SavedWindowClass;
    bool WaitingForFirstMove = false;

    // Drawing targets: the snapshot the window is repainted from while AutoRedraw is on, and
    // the image of what is on screen, which every fight drawing goes into and hit tests read.
    bool AutoRedraw = true;
    QImage& Surface() override { return AutoRedraw ? m_backing : m_screen; }
    void Flush(const QRect& r) override;
    const QImage& BackingImage() const { return m_backing; }
    const QImage& ScreenImage() const { return m_screen; }

    // Handlers; positions are device pixels of the window, timestamps those of the event.
    void Form_Load();
    void Form_KeyDown(int KeyCode);
    void Form_LostFocus();
    void Form_MouseMove(int X, int Y, quint64 timestamp = 0);
    void Form_MouseDown(int Button, int Shift, int X, int Y, quint64 timestamp = 0);
    void EndFight();
    void tmrAutoUnload_Timer();
    void tmrScramble_Timer();
    // The pointer picture drawn kicked by dx, dy device pixels for a moment, where the pointer
    // itself cannot be moved.
    void DrawRecoil(int dx, int dy);
    static constexpr int RecoilMs = 150;
    // Closes the window (it is destroyed as soon as the event loop gets control back).
    void Unload();

    // The kill time in ms from the two clock readings and a uniform r in [0, 1): the elapsed
    // time plus a random 1..21 ms, never below 0.
    static float KillTime(const ClockReading& start, const ClockReading& end, double r);
    // Milliseconds between two readings: the events' own times when both have them and they
    // agree with our clock, else our clock.
    static qint64 Elapsed(const ClockReading& start, const ClockReading& end);

    // Is a shot at p (device pixels) on a visible pixel of the enemy? Reads the on-screen image.
    bool IsEnemyPixel(const QPoint& p) const;

    // Measurements for the benchmarks: nanoseconds since Show() was entered (-1: not yet).
    qint64 CaptureDoneNs = -1;
    qint64 FirstPaintNs = -1;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CaptureScreen();
    void ChoosePointer();
    void setScaledCursor(const QImage& picture, const QPoint& hotSpot);
    void StartClock(quint64 timestamp);
    ClockReading ReadClock(quint64 timestamp) const;
    void SetTopmost(bool on);
    void KeepPlace();
    void Shoot(const QPoint& p, quint64 timestamp);
    QPoint ToDevice(const QPointF& logical) const;
    static bool Linked();

    QImage m_backing;
    QImage m_screen;
    QElapsedTimer m_clock;
    QElapsedTimer m_showTimer;
    double m_dpr = 1.0;
    bool m_loaded = false;
    bool m_topmost = false;
    bool m_ending = false;
    bool m_unloading = false;
    // Where the snapshot must stay once the window is no longer full screen, and how many
    // more times a window manager that moves it elsewhere is asked to put it back.
    QRect m_place;
    int m_placeRequests = 0;
    // The pointer as it was before a drawn kick, and which kick is the latest.
    QCursor m_restingCursor;
    qint64 m_kickedCursorKey = 0;
    int m_recoilSerial = 0;
};
