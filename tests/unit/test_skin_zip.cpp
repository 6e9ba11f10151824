// Unpacking skin packages: what lands where, and what a hostile or broken package can do.
#include "skins/modSkinZip.h"
#include "test_skin_kit.h"

#include <QTemporaryDir>
#include <QtTest>

using skinkit::Entries;

class TestSkinZip : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir{skinkit::testRoot() + QStringLiteral("/zip-XXXXXX")};
    QString work() const { return m_dir.path() + QStringLiteral("/work"); }
    QString target() const { return work() + QStringLiteral("/simskin.tmp"); }
    QString package() const { return m_dir.path() + QStringLiteral("/p.ssz"); }

private slots:
    void init()
    {
        QDir(work()).removeRecursively();
        QVERIFY(QDir().mkpath(work()));
    }

    void unpacksFlatCreatesFolderAndOverwrites()
    {
        QVERIFY(skinkit::writeZip(package(), {
            {QStringLiteral("skin.ini"), "[Skin]\nNumDieFrames=4\n"},
            {QStringLiteral("art/frames/enemy.png"), "sheet"},
            {QStringLiteral("sounds/"), QByteArray()},
            {QStringLiteral("sounds/enmy_sht.wav"), "bang"},
        }));
        // Unpacking twice: the second time replaces what the first wrote.
        QVERIFY(modSkinZip::UnzipSkin(package(), target()));
        QVERIFY(skinkit::writeFile(target() + QStringLiteral("/skin.ini"), "stale"));
        QVERIFY(modSkinZip::UnzipSkin(package(), target()));

        QCOMPARE(skinkit::filesBelow(target()),
                 QStringList({QStringLiteral("enemy.png"), QStringLiteral("enmy_sht.wav"), QStringLiteral("skin.ini")}));
        QCOMPARE(skinkit::readFile(target() + QStringLiteral("/skin.ini")), QByteArray("[Skin]\nNumDieFrames=4\n"));
        QCOMPARE(skinkit::readFile(target() + QStringLiteral("/enemy.png")), QByteArray("sheet"));
    }

    void hostileNamesStayInside_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("grandparent") << QStringLiteral("../../evil.txt");
        QTest::newRow("absolute") << QStringLiteral("/tmp/evil.txt");
        QTest::newRow("backslashes") << QStringLiteral("..\\..\\evil.txt");
    }
    void hostileNamesStayInside()
    {
        QFETCH(QString, name);
        QFile::remove(QStringLiteral("/tmp/evil.txt"));
        QVERIFY(skinkit::writeZip(package(), {{name, "payload"}}));
        // Folder parts are dropped, so the file lands flat inside the target and nowhere else.
        QVERIFY(modSkinZip::UnzipSkin(package(), target()));
        QCOMPARE(skinkit::filesBelow(work()), QStringList({QStringLiteral("simskin.tmp/evil.txt")}));
        for (const QString& outside : {QStringLiteral("/tmp"), m_dir.path(), m_dir.path() + QStringLiteral("/..")})
            QVERIFY(!QFile::exists(outside + QStringLiteral("/evil.txt")));
    }

    void refusedPackagesWriteNothing_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("not a zip") << 0;
        QTest::newRow("empty file") << 1;
        QTest::newRow("too many entries") << 2;
        QTest::newRow("too many bytes in total") << 3;
        QTest::newRow("entry named ..") << 4;
        QTest::newRow("truncated archive") << 5;
        QTest::newRow("encrypted entry") << 6;
        QTest::newRow("no such file") << 7;
        QTest::newRow("damaged data: no half file") << 8;
    }
    void refusedPackagesWriteNothing()
    {
        QFETCH(int, kind);
        QVERIFY(skinkit::writeFile(target() + QStringLiteral("/skin.ini"), "mine"));
        Entries entries{{QStringLiteral("skin.ini"), kind == 8 ? QByteArray(20000, 'a') : QByteArray("theirs")}};
        for (int i = 0; kind == 2 && i < modSkinZip::MaxEntries; ++i)
            entries.push_back({QStringLiteral("f%1.txt").arg(i), "x"});
        if (kind == 3) {   // each entry alone is allowed, together they are too much; zeros pack tightly
            const QByteArray half(int(modSkinZip::MaxTotalBytes / 2 + 1024), '\0');
            entries << qMakePair(QStringLiteral("a.bin"), half) << qMakePair(QStringLiteral("b.bin"), half);
        }
        if (kind == 4)
            entries.push_back({QStringLiteral("x/.."), "dots"});
        if (!skinkit::writeZip(package(), entries, kind == 6 ? "secret" : nullptr)) {
            QVERIFY2(kind == 6, "could not write the package");
            QSKIP("this libzip cannot write encrypted entries");
        }
        if (kind <= 1)
            QVERIFY(skinkit::writeFile(package(), kind ? QByteArray() : QByteArray(4096, 'j')));
        if (kind == 3)
            QVERIFY(QFileInfo(package()).size() < 1024 * 1024);
        if (kind == 5)
            QVERIFY(skinkit::writeFile(package(), skinkit::readFile(package()).left(QFileInfo(package()).size() / 2)));
        if (kind == 7)
            QFile::remove(package());
        if (kind == 8)
            QVERIFY(skinkit::damageEntry(package(), 0));
        QVERIFY(!modSkinZip::UnzipSkin(package(), target()));
        QCOMPARE(skinkit::filesBelow(work()), QStringList({QStringLiteral("simskin.tmp/skin.ini")}));
        QCOMPARE(skinkit::readFile(target() + QStringLiteral("/skin.ini")), QByteArray("mine"));
    }
};

QTEST_GUILESS_MAIN(TestSkinZip)
#include "test_skin_zip.moc"
