// "Start Gremlok when I log in": the autostart entry's Exec line survives any program path (read
// back the way a desktop reads it and run through a real sh), and the Options dialog writes or
// removes the entry on OK only.
#include "core/modGremlok.h"
#include "dialogs/TextBox.h"
#include "dialogs/frmOptions.h"
#include "platform/Autostart.h"
#include "shell/frmMain.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace Autostart = platform::Autostart;

namespace {

// The Exec key read back as a desktop does: the value's string escapes, then the arguments
// split at blanks with double quotes and their backslash escapes, then %% as one %.
QStringList parseExec(const QString& entry)
{
    const QString value = entry.section(QLatin1String("\nExec="), 1).section(QLatin1Char('\n'), 0, 0);
    static const QHash<QChar, QChar> escapes{{'s', ' '}, {'n', '\n'}, {'t', '\t'}, {'r', '\r'}};
    QString unescaped;
    for (int i = 0; i < value.size(); ++i) {
        const QChar next = i + 1 < value.size() ? value[i + 1] : QChar();
        if (value[i] == QLatin1Char('\\') && !next.isNull()) {
            unescaped += escapes.value(next, next);
            ++i;
        } else {
            unescaped += value[i];
        }
    }
    QStringList argv;
    QString word;
    bool inWord = false, quoted = false;
    for (int i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < unescaped.size())
                word += unescaped[++i];
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                word += c;
        } else if (c == QLatin1Char('"')) {
            quoted = inWord = true;
        } else if (c == QLatin1Char(' ')) {
            if (inWord)
                argv << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        argv << word;
    for (QString& a : argv)
        a.replace(QLatin1String("%%"), QLatin1String("%"));
    return argv;
}

QString readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void write(const QString& path, const QString& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

template <class W>
void whenModal(std::function<void(W*)> act)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (W* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(w);
        }
    });
    poll->start(10);
}

} // namespace

class TestAutostart : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The entry goes under this test's own configuration folder, never the user's.
        QVERIFY(!qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"));
        QVERIFY(Autostart::FilePath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME") + QLatin1Char('/')));
        frmMain::instance();
    }

    void execRunsTheProgramWhateverItsPath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << "bin";
        QTest::newRow("blanks") << "My Games/Gremlok 1.0";
        QTest::newRow("quotes") << "it's \"here\"";
        QTest::newRow("shell characters") << "$HOME `id` $(id) ;&|<>*?~#";
        QTest::newRow("backslashes") << "a\\b\\\\c\\";
        QTest::newRow("percent, field codes") << "100% %f %u %%";
        QTest::newRow("line break and tab") << "two\nlines\tand tab";
        QTest::newRow("not ASCII") << "Spiele/Grüße ✓";
    }
    void execRunsTheProgramWhateverItsPath()
    {
        QFETCH(QString, folder);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkpath(folder));
        // A stand-in for the program that tells under which path it was started.
        const QString program = dir.path() + QLatin1Char('/') + folder + QStringLiteral("/gremlok");
        const QString marker = dir.filePath(QStringLiteral("started"));
        write(program, QStringLiteral("#!/bin/sh\nprintf '%s' \"$0\" > \"$MARKER\"\n"));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        const QString entry = Autostart::EntryText(program, 0);
        const QStringList argv = parseExec(entry);
        QCOMPARE(argv.value(0), QStringLiteral("sh"));
        QProcess sh;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MARKER"), marker);
        sh.setProcessEnvironment(env);
        sh.start(argv.value(0), argv.mid(1));
        QVERIFY(sh.waitForFinished(10000));
        QVERIFY2(sh.exitCode() == 0, sh.readAllStandardError().constData());
        QCOMPARE(readAll(marker), program);

        // The desktop's own checker finds nothing wrong with the entry either.
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty())
            return;
        const QString file = dir.filePath(QStringLiteral("check.desktop"));
        write(file, entry);
        QProcess check;
        check.start(validator, {file});
        QVERIFY(check.waitForFinished(10000));
        const QByteArray said = check.readAllStandardOutput() + check.readAllStandardError();
        QVERIFY2(check.exitCode() == 0 && !said.contains("error"), said.constData());
    }

    void okWritesCancelKeeps_data()
    {
        QTest::addColumn<QString>("before");   // none, this, moved, off (switched off elsewhere)
        QTest::addColumn<bool>("shownTicked");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("after");    // none, this, unchanged
        QTest::newRow("tick, OK") << "none" << false << true << true << "this";
        QTest::newRow("tick, Cancel") << "none" << false << true << false << "none";
        QTest::newRow("untick, OK") << "this" << true << false << true << "none";
        QTest::newRow("untick, Cancel") << "this" << true << false << false << "unchanged";
        QTest::newRow("program moved, OK") << "moved" << true << true << true << "this";
        QTest::newRow("switched off elsewhere, OK") << "off" << false << false << true << "unchanged";
        QTest::newRow("switched off elsewhere, tick, OK") << "off" << false << true << true << "this";
    }
    void okWritesCancelKeeps()
    {
        QFETCH(QString, before);
        const QString path = Autostart::FilePath();
        const QString self = QCoreApplication::applicationFilePath();
        QFile::remove(path);
        if (before == QLatin1String("this"))
            write(path, Autostart::EntryText(self));
        else if (before == QLatin1String("moved"))
            write(path, Autostart::EntryText(QStringLiteral("/opt/old place/gremlok")));
        else if (before == QLatin1String("off"))
            write(path, Autostart::EntryText(self) + QStringLiteral("Hidden=true\n"));
        const QString original = readAll(path);

        frmOptions::release();
        frmOptions& f = frmOptions::instance();
        f.ShowDialog();
        QFETCH(bool, shownTicked);
        QCOMPARE(f.chkAutostart->isChecked(), shownTicked);
        QFETCH(bool, tick);
        f.chkAutostart->setChecked(tick);
        QFETCH(bool, ok);
        if (ok)
            f.cmdOK_Click();
        else
            f.cmdCancel_Click();

        QFETCH(QString, after);
        if (after == QLatin1String("none"))
            QVERIFY(!QFile::exists(path));
        else if (after == QLatin1String("this"))
            QCOMPARE(readAll(path), Autostart::EntryText(self));
        else
            QCOMPARE(readAll(path), original);
        QFile::remove(path);
    }

    void aFailedWriteIsToldNotSwallowed()
    {
        // A plain file where the autostart folder should be: nothing can go into it.
        const QString folder = QFileInfo(Autostart::FilePath()).absolutePath();
        QDir(folder).removeRecursively();
        write(folder, QStringLiteral("not a folder"));
        modGremlok::AutoUnloadTime = 30;
        frmOptions::release();
        frmOptions& f = frmOptions::instance();
        f.ShowDialog();
        f.chkAutostart->setChecked(true);
        f.txtAutoUnload->setText(QStringLiteral("12"));
        QString told;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenModal<QMessageBox>([&](QMessageBox* box) {
            told = box->text();
            icon = box->icon();
            box->accept();
        });
        f.cmdOK_Click();
        QCOMPARE(icon, QMessageBox::Critical);
        QVERIFY2(told.contains(folder), qPrintable(told));
        // The other settings are stored all the same, and the dialog has closed.
        QCOMPARE(int(modGremlok::AutoUnloadTime), 12);
        QVERIFY(!modGremlok::DialogOpen);
        QFile::remove(folder);
    }
};

QTEST_MAIN(TestAutostart)
#include "test_autostart.moc"
