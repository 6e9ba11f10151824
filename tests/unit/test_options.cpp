// The Options dialog's range sliders under the mouse, and what OK stores: the auto-restore
// delay brought into range, and the interval message sent to a linked peer only when the
// multiplayer range changed.
#include "core/modGremlok.h"
#include "dialogs/RangeSlider.h"
#include "dialogs/TextBox.h"
#include "dialogs/frmOptions.h"
#include "platform/Help.h"
#include "platform/SettingsStore.h"
#include "shell/TimedFight.h"
#include "shell/frmMain.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace modGremlok;

namespace {
QTemporaryDir traceDir;
QString tracePath() { return traceDir.filePath(QStringLiteral("trace.log")); }

QStringList intervalMessages()
{
    QFile f(tracePath());
    QStringList out;
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("options.interval\t"))
                out << QString::fromUtf8(line.mid(int(sizeof("options.interval"))));
    return out;
}

// An open dialog loaded from the globals as they are now.
frmOptions& openDialog()
{
    frmOptions::release();
    frmOptions& f = frmOptions::instance();
    f.ShowDialog();
    return f;
}
} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("GREMLOK_TRACE", tracePath().toUtf8());
        frmMain::instance();
    }

    void rangeSliderMouse_data()
    {
        QTest::addColumn<int>("pressAt");
        QTest::addColumn<bool>("shiftPress");
        QTest::addColumn<int>("releaseAt");
        QTest::addColumn<bool>("shiftRelease");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        // The range before each row: start 300, length 300.
        QTest::newRow("shift drag sets start and length") << 600 << true << 1050 << true << 600 << 450;
        QTest::newRow("shift press, release without shift") << 600 << true << 1050 << false << 600 << 0;
        QTest::newRow("plain click collapses to the old start") << 900 << false << 900 << false << 300 << 0;
        QTest::newRow("shift release left of the start keeps the range") << 900 << false << 100 << true << 300 << 300;
        QTest::newRow("shift drag back past the start") << 600 << true << 200 << true << 600 << 0;
    }
    void rangeSliderMouse()
    {
        QFETCH(int, pressAt);
        QFETCH(bool, shiftPress);
        QFETCH(int, releaseAt);
        QFETCH(bool, shiftRelease);
        RangeSlider s;
        s.setRange(5, 1800);
        s.resize(300, 40);
        s.setSelStart(300);
        s.setSelLength(300);
        s.setValue(pressAt);
        // Press on the thumb itself, so the press does not move it; the drag moves it.
        QTest::mousePress(&s, Qt::LeftButton, shiftPress ? Qt::ShiftModifier : Qt::NoModifier, s.HandleCentre(pressAt));
        s.setValue(releaseAt);
        QTest::mouseRelease(&s, Qt::LeftButton, shiftRelease ? Qt::ShiftModifier : Qt::NoModifier, s.HandleCentre(releaseAt));
        QFETCH(int, start);
        QFETCH(int, length);
        QCOMPARE(s.SelStart(), start);
        QCOMPARE(s.SelLength(), length);
    }

    void delayBoxRefusesAllButDigits()
    {
        TextBox box(nullptr, true);
        box.setMaxLength(2);
        QTest::keyClicks(&box, QStringLiteral("a1-x2 3"));
        QCOMPARE(box.text(), QStringLiteral("12"));
        QTest::keyClick(&box, Qt::Key_Backspace);
        QCOMPARE(box.text(), QStringLiteral("1"));
    }

    void okStoresDelay_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("stored");
        QTest::newRow("below the minimum") << "1" << "2" << 2;
        QTest::newRow("above the maximum") << "99" << "60" << 60;
        QTest::newRow("in range") << "17" << "17" << 17;
        QTest::newRow("empty gives 5") << "" << "" << 5;
        QTest::newRow("pasted text gives 5") << "ab" << "ab" << 5;
        QTest::newRow("pasted negative") << "-9" << "2" << 2;
    }
    void okStoresDelay()
    {
        QFETCH(QString, typed);
        AutoUnloadTime = 30;
        frmOptions& f = openDialog();
        f.txtAutoUnload->setText(typed);   // as a paste would put it there
        f.cmdOK_Click();
        QFETCH(QString, shown);
        QCOMPARE(f.txtAutoUnload->text(), shown);
        QFETCH(int, stored);
        QCOMPARE(int(AutoUnloadTime), stored);
        QVERIFY(!DialogOpen);
    }

    void okSendsIntervalOnlyWhenChanged_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<int>("newStart");
        QTest::addColumn<int>("newLength");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("unchanged") << true << 300 << 120 << QStringList();
        QTest::newRow("start changed") << true << 450 << 120 << QStringList{"Interval:450,120"};
        QTest::newRow("length changed") << true << 300 << 0 << QStringList{"Interval:300,0"};
        QTest::newRow("changed, no peer") << false << 450 << 90 << QStringList();
    }
    void okSendsIntervalOnlyWhenChanged()
    {
        QFETCH(bool, connected);
        QFETCH(int, newStart);
        QFETCH(int, newLength);
        MultiplayerFightStart = 300;
        MultiplayerFightLength = 120;
        frmMain::instance().mnuDisconnect->setVisible(connected);
        const int before = intervalMessages().size();
        frmOptions& f = openDialog();
        f.sdrMultiplayerInterval->setSelStart(newStart);
        f.sdrMultiplayerInterval->setSelLength(newLength);
        f.cmdOK_Click();
        QFETCH(QStringList, sent);
        QCOMPARE(intervalMessages().mid(before), sent);
        frmMain::instance().mnuDisconnect->setVisible(false);
    }

    void secondOpenKeepsTheOpenDialog()
    {
        Nickname = QStringLiteral("Old");
        frmOptions& f = openDialog();
        f.txtNickname->setText(QStringLiteral("Typing"));
        frmOptions::Open();
        QCOMPARE(&frmOptions::instance(), &f);
        QCOMPARE(f.txtNickname->text(), QStringLiteral("Typing"));
        f.cmdCancel_Click();
        // Opened again before the closed one is destroyed: the dialog shown must survive it.
        frmOptions::Open();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(frmOptions::existing() && frmOptions::existing()->isVisible());
        QCOMPARE(frmOptions::instance().txtNickname->text(), QStringLiteral("Old"));
        frmOptions::instance().cmdCancel_Click();
    }

    void everyShownTopicHasAPage()
    {
        frmOptions& f = openDialog();
        QSet<int> ids{14, 18};   // the first-fight hint and the connect prompt
        for (const QWidget* w : f.findChildren<QWidget*>())
            if (const int id = f.WhatsThisId(w))
                ids.insert(id);
        QCOMPARE(ids.size(), 20);   // the 18 ids of the controls, and the two above
        for (const int id : ids)
            QVERIFY2(platform::Help::TopicText(id).contains(QStringLiteral("</p>")), qPrintable(QString::number(id)));
        f.cmdCancel_Click();
    }

    void timedFightWaitsAndComesBackWithTheNewInterval()
    {
        frmMain& m = frmMain::instance();
        TimedFightStart = TimedFightLength = 300;
        m.mnuTimedFight->setChecked(true);
        m.mnuTimedFight->setEnabled(true);
        ScheduleFight(TimedFightStart, TimedFightLength);
        frmOptions& f = openDialog();
        QCOMPARE(TimedFight::RemainingTime(), -1);
        f.sdrTimedFight->setSelStart(5);
        f.sdrTimedFight->setSelLength(0);
        f.cmdOK_Click();
        // Armed over the new interval (5 s), not the old one (300 to 600 s).
        const int remaining = TimedFight::RemainingTime();
        QVERIFY2(remaining >= 0 && remaining < 60000, qPrintable(QString::number(remaining)));
        StopFightTimer();
        m.mnuTimedFight->setChecked(false);
    }
};

QTEST_MAIN(TestOptions)
#include "test_options.moc"
