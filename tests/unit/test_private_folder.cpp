// Without a runtime folder of the session, every call and every copy of the program must
// agree on one private folder, even when somebody planted the obvious name first: the lock
// and the skin folder live there, and a second copy looks for the first one's lock.
#include "platform/System.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class TestPrivateFolder : public QObject {
    Q_OBJECT
private slots:
    void oneFolderForTheRunAndForEveryCopy()
    {
        const QString tmp = qEnvironmentVariable("GREMLOK_TEST_DIR", QDir::tempPath()) + QStringLiteral("/tmp");
        QVERIFY(QDir().mkpath(tmp));
        qputenv("TMPDIR", QFile::encodeName(tmp));
        qunsetenv("XDG_RUNTIME_DIR");
        // The usual name taken by a file, the next one by a folder others may enter.
        const QString base = tmp + QStringLiteral("/gremlok-") + QString::number(::getuid());
        QFile planted(base);
        QVERIFY(planted.open(QIODevice::WriteOnly));
        QVERIFY(::mkdir(QFile::encodeName(base + QStringLiteral("-1")).constData(), 0777) == 0);
        ::chmod(QFile::encodeName(base + QStringLiteral("-1")).constData(), 0777);

        int pipeFds[2];
        QVERIFY(::pipe(pipeFds) == 0);
        const pid_t child = ::fork();
        if (child == 0) {   // another copy of the program
            const QByteArray path = QFile::encodeName(platform::PrivateRuntimeFolder());
            (void)!::write(pipeFds[1], path.constData(), size_t(path.size()));
            ::_exit(0);
        }
        ::close(pipeFds[1]);
        QByteArray fromChild;
        char buf[256];
        for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
            fromChild.append(buf, n);
        ::close(pipeFds[0]);
        ::waitpid(child, nullptr, 0);

        const QString first = platform::PrivateRuntimeFolder();
        QCOMPARE(platform::PrivateRuntimeFolder(), first);
        QCOMPARE(QFile::decodeName(fromChild), first);
        QVERIFY(first.startsWith(tmp + QLatin1Char('/')));
        QVERIFY(first != base && first != base + QStringLiteral("-1"));
        struct stat st {};
        QVERIFY(::lstat(QFile::encodeName(first).constData(), &st) == 0);
        QVERIFY(S_ISDIR(st.st_mode) && st.st_uid == ::getuid());
        QCOMPARE(int(st.st_mode & 0777), 0700);
    }
};

QTEST_GUILESS_MAIN(TestPrivateFolder)
#include "test_private_folder.moc"
