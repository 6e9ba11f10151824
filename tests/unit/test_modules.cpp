// The modules the program loads on first use: a module that is missing, is no library or lacks
// its entry point costs its feature only (the fight's record, the Statistics window), with the
// reason logged or shown; one that is put back in place is found at the next use.
#include "core/modGremlok.h"
#include "dialogs/StatisticsModule.h"
#include "fight/FightHistory.h"
#include "fight/FightRecorder.h"
#include "platform/OptionalModule.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using platform::OptionalModule;

namespace {
QString buildDir()
{
    return qEnvironmentVariable("GREMLOK_BUILD_DIR");
}

// Opens the Statistics window through the program's way in and closes whatever modal window
// comes up; returns its title and text.
QString showStatistics()
{
    QString seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w)
            return;
        seen = w->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(w))
            seen += QLatin1Char('|') + box->text();
        qobject_cast<QDialog*>(w)->reject();
    });
    poll.start(10);
    modGremlok::ShowStatistics();
    return seen;
}
} // namespace

class TestModules : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString traceText() const
    {
        QFile f(m_dir.filePath(QStringLiteral("trace.log")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(!buildDir().isEmpty());
        QLoggingCategory::setFilterRules(QStringLiteral("gremlok.*.warning=true"));
        QFile junk(m_dir.filePath(QStringLiteral("junk/libgremlok_history.so")));
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("junk"))) && junk.open(QIODevice::WriteOnly));
        junk.write("not a shared library\n");
    }

    void refused_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QByteArray>("symbol");
        QTest::addColumn<QString>("why");
        QTest::newRow("no such folder") << QStringLiteral("missing") << QByteArray("gremlok_history_record")
                                        << QStringLiteral("gremlok_history was not found");
        QTest::newRow("not a library") << QStringLiteral("junk") << QByteArray("gremlok_history_record")
                                       << QStringLiteral("junk/libgremlok_history.so");
        QTest::newRow("no such entry point") << QString() << QByteArray("gremlok_history_forget")
                                             << QStringLiteral("gremlok_history_forget");
    }
    void refused()
    {
        QFETCH(QString, folder);
        QFETCH(QByteArray, symbol);
        QFETCH(QString, why);
        OptionalModule::SetFolder(folder.isEmpty() ? buildDir() : m_dir.filePath(folder));
        OptionalModule m(QStringLiteral("gremlok_history"));
        QVERIFY(!m.Function<void (*)()>(symbol.constData()));
        QVERIFY2(m.ErrorString().contains(why), qPrintable(m.ErrorString()));
    }

    void fightEndsWithoutTheHistoryThenWithIt()
    {
        qputenv("GREMLOK_TRACE", m_dir.filePath(QStringLiteral("trace.log")).toLocal8Bit());
        OptionalModule::SetFolder(m_dir.filePath(QStringLiteral("missing")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("fight not recorded.*was not found")));
        modGremlok::RememberFight(-1);
        QTRY_VERIFY(traceText().contains(QStringLiteral("history\tlost ")));

        // The module back in place: the next fight is recorded.
        OptionalModule::SetFolder(buildDir());
        modGremlok::RememberFight(-1);
        QTRY_VERIFY(traceText().contains(QStringLiteral("history\trecorded ")));
        QCOMPARE(modGremlok::TheFightHistory().Load().size(), 1);
    }

    void statisticsWithoutItsModuleThenWithIt()
    {
        OptionalModule::SetFolder(m_dir.filePath(QStringLiteral("junk")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no Statistics window.*not found")));
        const QString box = showStatistics();
        QVERIFY2(box.contains(QStringLiteral("The statistics could not be loaded."))
                 && box.contains(QStringLiteral("gremlok_statistics was not found")), qPrintable(box));
        QVERIFY(!modGremlok::DialogOpen);

        OptionalModule::SetFolder(buildDir());
        QCOMPARE(showStatistics(), QStringLiteral("Gremlok Statistics"));
        QVERIFY(!modGremlok::DialogOpen);
    }
};

QTEST_MAIN(TestModules)
#include "test_modules.moc"
