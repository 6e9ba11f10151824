// Unpacking skin packages: what lands where, and what a hostile or broken package can do.
#include "skins/modSkinZip.h"
#include "test_skin_kit.h"

#include <QRandomGenerator>
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
        QTest::newRow("parent") << QStringLiteral("../evil.txt");
        QTest::newRow("grandparent") << QStringLiteral("../../evil.txt");
        QTest::newRow("absolute") << QStringLiteral("/tmp/evil.txt");
        QTest::newRow("backslashes") << QStringLiteral("..\\..\\evil.txt");
        QTest::newRow("down and up") << QStringLiteral("sub/../../evil.txt");
    }
    void hostileNamesStayInside()
    {
        QFETCH(QString, name);
        QFile::remove(QStringLiteral("/tmp/evil.txt"));
        QVERIFY(skinkit::writeZip(package(), {{name, "payload"}}));
        // Folder parts are dropped, so the file lands flat inside the target and nowhere else.
        QVERIFY(modSkinZip::UnzipSkin(package(), target()));
        QCOMPARE(skinkit::filesBelow(work()), QStringList({QStringLiteral("simskin.tmp/evil.txt")}));
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/evil.txt")));
        QVERIFY(!QFile::exists(m_dir.path() + QStringLiteral("/evil.txt")));
        QVERIFY(!QFile::exists(m_dir.path() + QStringLiteral("/../evil.txt")));
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
    }
    void refusedPackagesWriteNothing()
    {
        QFETCH(int, kind);
        QVERIFY(skinkit::writeFile(target() + QStringLiteral("/skin.ini"), "mine"));
        Entries entries{{QStringLiteral("skin.ini"), "theirs"}};
        switch (kind) {
        case 0: {
            QByteArray junk(4096, '\0');
            for (char& c : junk)
                c = char(QRandomGenerator::global()->bounded(256));
            QVERIFY(skinkit::writeFile(package(), junk));
            break;
        }
        case 1:
            QVERIFY(skinkit::writeFile(package(), QByteArray()));
            break;
        case 2:
            for (int i = 0; i < modSkinZip::MaxEntries; ++i)
                entries.push_back({QStringLiteral("f%1.txt").arg(i), "x"});
            QVERIFY(skinkit::writeZip(package(), entries));
            break;
        case 3: {
            // Each entry alone is allowed; together they are too much. Zeros pack tightly,
            // which is exactly what a bomb relies on.
            const QByteArray half(int(modSkinZip::MaxTotalBytes / 2 + 1024), '\0');
            entries.push_back({QStringLiteral("a.bin"), half});
            entries.push_back({QStringLiteral("b.bin"), half});
            QVERIFY(skinkit::writeZip(package(), entries));
            QVERIFY(QFileInfo(package()).size() < 1024 * 1024);
            break;
        }
        case 4:
            entries.push_back({QStringLiteral("x/.."), "dots"});
            QVERIFY(skinkit::writeZip(package(), entries));
            break;
        case 5: {
            QVERIFY(skinkit::writeZip(package(), entries));
            const QByteArray whole = skinkit::readFile(package());
            QVERIFY(skinkit::writeFile(package(), whole.left(whole.size() / 2)));
            break;
        }
        case 6:
            if (!skinkit::writeZip(package(), entries, "secret"))
                QSKIP("this libzip cannot write encrypted entries");
            break;
        case 7:
            QFile::remove(package());
            break;
        }
        QVERIFY(!modSkinZip::UnzipSkin(package(), target()));
        QCOMPARE(skinkit::filesBelow(work()), QStringList({QStringLiteral("simskin.tmp/skin.ini")}));
        QCOMPARE(skinkit::readFile(target() + QStringLiteral("/skin.ini")), QByteArray("mine"));
    }

    void corruptDataLeavesNoHalfFile()
    {
        QVERIFY(skinkit::writeFile(target() + QStringLiteral("/enemy.png"), "old sheet"));
        QByteArray content;
        for (int i = 0; i < 20000; ++i)
            content += char('a' + (i * 7919) % 26);
        QVERIFY(skinkit::writeZip(package(), {{QStringLiteral("enemy.png"), content}}));
        // Damage the entry's data, just past its local header.
        QByteArray zip = skinkit::readFile(package());
        const int nameLen = uchar(zip[26]) | uchar(zip[27]) << 8;
        const int extraLen = uchar(zip[28]) | uchar(zip[29]) << 8;
        const int data = 30 + nameLen + extraLen;
        for (int i = 10; i < 40; ++i)
            zip[data + i] = char(zip[data + i] ^ 0x5A);
        QVERIFY(skinkit::writeFile(package(), zip));

        QVERIFY(!modSkinZip::UnzipSkin(package(), target()));
        QCOMPARE(skinkit::readFile(target() + QStringLiteral("/enemy.png")), QByteArray("old sheet"));
        QCOMPARE(skinkit::filesBelow(target()), QStringList({QStringLiteral("enemy.png")}));
    }
};

QTEST_GUILESS_MAIN(TestSkinZip)
#include "test_skin_zip.moc"
