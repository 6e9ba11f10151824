// Loading the current skin over the base skin, falling back when the chosen package is
// missing, broken or hostile, and installing, listing, deleting and choosing packages.
#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "fight/Weapon.h"
#include "shell/frmMain.h"
#include "skins/SkinManagement.h"
#include "skins/SkinPaths.h"
#include "skins/modSkinZip.h"
#include "test_skin_kit.h"

#include <QBuffer>
#include <QLoggingCategory>
#include <QPainter>
#include <QtTest>

using namespace modGremlok;
using SkinManagement::InstallOutcome;

namespace {
// A 200 x 100 sheet for 4 + 2 frames (50 x 50 each): a red body on magenta.
QByteArray smallSheet(const QSize& size = QSize(200, 100))
{
    QImage sheet(size, QImage::Format_RGB32);
    sheet.fill(qRgb(255, 0, 255));
    QPainter(&sheet).fillRect(10, 10, 30, 30, QColor(220, 0, 0));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    sheet.save(&buffer, "PNG");
    return buffer.data();
}

QByteArray smallIni(const QByteArray& mask = "#FF00FF", const QByteArray& sprites = "small.png")
{
    return "[Skin]\r\nMaskColor=" + mask + "\r\nNumAttackFrames=4\r\nNumDieFrames=2\r\nSprites=" + sprites + "\r\n";
}

InstallOutcome install(const QString& path)
{
    return SkinManagement::InstallSkinPackage(path).Outcome;
}
} // namespace

class TestSkinLoad : public QObject {
    Q_OBJECT
    QString m_root = skinkit::testRoot() + QStringLiteral("/load");
    QString m_base = m_root + QStringLiteral("/base-copy/");   // the base package unpacked
    QString programSkins() const { return m_root + QStringLiteral("/prog/Skins/"); }
    QString userSkins() const { return m_root + QStringLiteral("/data/Gremlok/Skins/"); }
    QString elsewhere() const { return m_root + QStringLiteral("/downloads/"); }

    bool makeSmallSkin(const QString& path)
    {
        return skinkit::writeZip(path, {{QStringLiteral("skin.ini"), smallIni()}, {QStringLiteral("small.png"), smallSheet()}});
    }
    void verifyBaseSkinInUse()
    {
        QCOMPARE(Skin, BaseSkinName);
        QCOMPARE(skinkit::filesBelow(SkinFolder), skinkit::filesBelow(m_base));
        QCOMPARE(skinkit::readFile(SkinFolder + QStringLiteral("enemy.gif")), skinkit::readFile(m_base + QStringLiteral("enemy.gif")));
        QCOMPARE(QPoint(gEnemy->SpriteWidth, gEnemy->NumAttackSprites), QPoint(100, 7));
    }

private slots:
    void initTestCase()
    {
        QDir(m_root).removeRecursively();
        qputenv("XDG_DATA_HOME", (m_root + QStringLiteral("/data")).toLocal8Bit());
        SkinFolder = m_root + QStringLiteral("/runtime/simskin.tmp/");
        QVERIFY(QDir().mkpath(elsewhere()));
        QVERIFY(modSkinZip::UnzipSkin(skinkit::baseSkinPackage(), m_base));
    }

    void init()
    {
        SkinPaths::SetProgramSkinsFolder(programSkins());
        QDir(programSkins()).removeRecursively();
        QDir(userSkins()).removeRecursively();
        QVERIFY(QDir().mkpath(programSkins()));
        QVERIFY(QFile::copy(skinkit::baseSkinPackage(), programSkins() + QStringLiteral("Base Skin.ssz")));
        Skin = BaseSkinName;
        gEnemy.reset();
        SkinManagement::CloseOptionsDialog = nullptr;
    }

    void partialSkinPlaysWithBaseSounds_data()
    {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QByteArray>("mask");
        QTest::newRow("flat, mask with #") << "skin.ini" << "small.png" << QByteArray("#FF00FF");
        QTest::newRow("in sub-folders, mask without #") << "Deep/skin.ini" << "Deep/gfx/small.png" << QByteArray("FF00FF");
    }
    void partialSkinPlaysWithBaseSounds()
    {
        QFETCH(QString, ini);
        QFETCH(QString, sheet);
        QFETCH(QByteArray, mask);
        QVERIFY(skinkit::writeZip(programSkins() + QStringLiteral("Night Ops.ssz"), {{ini, smallIni(mask)}, {sheet, smallSheet()}}));
        Skin = QStringLiteral("Night Ops");
        LoadSkin();
        QCOMPARE(Skin, QStringLiteral("Night Ops"));
        QStringList files = skinkit::filesBelow(m_base) << QStringLiteral("small.png");
        files.sort();
        QCOMPARE(skinkit::filesBelow(SkinFolder), files);   // flat, beside the base files
        QCOMPARE(skinkit::readFile(SkinFolder + QStringLiteral("enmy_sht.wav")),
                 skinkit::readFile(m_base + QStringLiteral("enmy_sht.wav")));
        QCOMPARE(QSize(gEnemy->SpriteWidth, gEnemy->SpriteHeight), QSize(50, 50));
        QCOMPARE(frmMain::instance().picDesktop.size(), QSize(50, 50));
        QVERIFY(gWeapon->SkinnedPointer);   // the base skin's pointer
        QImage dest(50, 50, QImage::Format_RGB32);
        dest.fill(qRgb(1, 2, 3));
        gEnemy->DrawAttackSprite(dest, QImage(dest), 0, 0, 1);
        QCOMPARE(dest.pixel(0, 0), qRgb(1, 2, 3));     // magenta is see-through
        QCOMPARE(dest.pixel(20, 20), qRgb(220, 0, 0));
    }

    void baseSkinChosenOrFallenBackTo_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("base skin chosen") << -1;
        QTest::newRow("package deleted") << 0;   // (hostile packages are test_skin_zip's)
        QTest::newRow("fails after replacing base files") << 2;
        QTest::newRow("name leaving the Skins folder") << 3;
        // Packages that unpack, but whose sheet cannot be used.
        QTest::newRow("sheet missing") << 4;
        QTest::newRow("sheet too narrow for its frames") << 5;
        QTest::newRow("sheet named outside the folder") << 6;
        QTest::newRow("sheet over the size limit") << 7;
    }
    void baseSkinChosenOrFallenBackTo()
    {
        QFETCH(int, kind);
        const QString path = programSkins() + QStringLiteral("Bad.ssz");
        skinkit::writeFile(SkinFolder + QStringLiteral("leftover.wav"), "old skin");
        Skin = kind < 0 ? BaseSkinName : QStringLiteral("Bad");
        if (kind == 2) {
            // The first entry unpacks over the base sheet, the second has damaged data.
            QVERIFY(skinkit::writeZip(path, {{QStringLiteral("enemy.gif"), "not the base sheet"},
                                             {QStringLiteral("enmy_sht.wav"), QByteArray(5000, 'w')}}));
            QVERIFY(skinkit::damageEntry(path, 1));
        } else if (kind == 3) {
            QVERIFY(makeSmallSkin(m_root + QStringLiteral("/outside.ssz")));
            Skin = QStringLiteral("../../outside");
        } else if (kind >= 4) {
            const QSize size[] = {{}, {2, 100}, {200, 100}, {9000, 2}};
            skinkit::Entries entries = {{QStringLiteral("skin.ini"), smallIni("#FF00FF", kind == 6 ? "../small.png" : "small.png")}};
            if (kind > 4)
                entries.append({QStringLiteral("small.png"), smallSheet(size[kind - 4])});
            QVERIFY(skinkit::writeZip(path, entries));
            // Said in the log, once its category is on.
            QLoggingCategory::setFilterRules(QStringLiteral("gremlok.skins.warning=true"));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("\"Bad\" cannot be played; using the base skin")));
        }
        LoadSkin();
        verifyBaseSkinInUse();   // the leftover of an earlier skin is gone too
        QVERIFY(gWeapon->SkinnedPointer);
        QCOMPARE(frmMain::instance().picDesktop.size(), QSize(100, 100));
    }

    void withoutAnyPackageTheEnemyHasNoSheet()
    {
        QVERIFY(QFile::remove(programSkins() + QStringLiteral("Base Skin.ssz")));
        LoadSkin();
        QCOMPARE(skinkit::filesBelow(SkinFolder), QStringList());
        QVERIFY(!gEnemy->Loaded());
        QVERIFY(!gWeapon->SkinnedPointer);
        // A sheet named outside the working folder is not read either.
        QVERIFY(skinkit::writeZip(programSkins() + QStringLiteral("Base Skin.ssz"),
                                  {{QStringLiteral("skin.ini"), smallIni("FF00FF", "../../prog/Skins/x.png")}}));
        QVERIFY(skinkit::writeFile(programSkins() + QStringLiteral("x.png"), smallSheet()));
        LoadSkin();
        QVERIFY(!gEnemy->Loaded());
    }

    void installCleansNameCopiesAndLoads()
    {
        int closed = 0;
        SkinManagement::CloseOptionsDialog = [&] { ++closed; };
        QVERIFY(makeSmallSkin(elsewhere() + QStringLiteral("Night%20Ops[1].ssz")));
        QCOMPARE(install(elsewhere() + QStringLiteral("Night%20Ops[1].ssz")), InstallOutcome::Installed);
        const QString inPlace = programSkins() + QStringLiteral("Night Ops.ssz");
        QVERIFY(QFile::exists(inPlace));
        QCOMPARE(Skin, QStringLiteral("Night Ops"));
        QCOMPARE(int(gEnemy->SpriteWidth), 50);
        QCOMPARE(closed, 1);

        // Installing it from the Skins folder itself does not copy it over itself.
        const QByteArray before = skinkit::readFile(inPlace);
        Skin = BaseSkinName;
        QCOMPARE(install(inPlace), InstallOutcome::Installed);
        QCOMPARE(Skin, QStringLiteral("Night Ops"));
        QCOMPARE(skinkit::readFile(inPlace), before);
        QCOMPARE(skinkit::filesBelow(programSkins()).size(), 2);
    }

    void installOddArguments()
    {
        QCOMPARE(install(elsewhere() + QStringLiteral("nope.ssz")), InstallOutcome::NotAPackage);
        // Four characters go as the extension whatever it is (names shorter than that
        // too): the package is not found under that name and the base skin stays.
        for (const QString& name : {QStringLiteral("odd.skin"), QStringLiteral("ab")}) {
            QVERIFY(makeSmallSkin(elsewhere() + name));
            QCOMPARE(install(elsewhere() + name), InstallOutcome::Installed);
            verifyBaseSkinInUse();
        }
        // A failed copy is reported with a number and a text, and leaves no partial file.
        QVERIFY(QDir().mkpath(programSkins() + QStringLiteral("Busy.ssz")));
        QVERIFY(makeSmallSkin(elsewhere() + QStringLiteral("Busy.ssz")));
        const auto failed = SkinManagement::InstallSkinPackage(elsewhere() + QStringLiteral("Busy.ssz"));
        QCOMPARE(failed.Outcome, InstallOutcome::Failed);
        QVERIFY(failed.Number != 0 && !failed.Description.isEmpty());
        QVERIFY(!QFile::exists(programSkins() + QStringLiteral("Busy.ssz.part")));
        QCOMPARE(Skin, BaseSkinName);
    }

    void installGoesToUserFolderWhenProgramFolderIsReadOnly()
    {
        // A program folder nobody can create files in: its parent is a plain file.
        QVERIFY(skinkit::writeFile(m_root + QStringLiteral("/blocked"), "file"));
        SkinPaths::SetProgramSkinsFolder(m_root + QStringLiteral("/blocked/Skins/"));
        QVERIFY(makeSmallSkin(elsewhere() + QStringLiteral("Solo.ssz")));
        QCOMPARE(install(elsewhere() + QStringLiteral("Solo.ssz")), InstallOutcome::Installed);
        QVERIFY(QFile::exists(userSkins() + QStringLiteral("Solo.ssz")));
        QCOMPARE(Skin, QStringLiteral("Solo"));
        QCOMPARE(int(gEnemy->SpriteWidth), 50);
        QCOMPARE(SkinManagement::ListSkins().Entries, QStringList({QStringLiteral("<Base Skin>"), QStringLiteral("Solo")}));
    }

    // "Night.SSZ" is the package of the skin Night wherever a package is looked for.
    void extensionInAnyCase()
    {
        QVERIFY(makeSmallSkin(programSkins() + QStringLiteral("Night.SSZ")));
        QCOMPARE(SkinManagement::ListSkins().Entries, QStringList({QStringLiteral("<Base Skin>"), QStringLiteral("Night")}));
        Skin = QStringLiteral("Night");
        LoadSkin();
        QCOMPARE(Skin, QStringLiteral("Night"));
        QCOMPARE(int(gEnemy->SpriteWidth), 50);
        QVERIFY(SkinManagement::DeleteSkinPackage(QStringLiteral("Night")));
        QVERIFY(!QFile::exists(programSkins() + QStringLiteral("Night.SSZ")));
        // Installed over an older, broken "Day.ssz": the new package is the one loaded.
        QVERIFY(skinkit::writeFile(programSkins() + QStringLiteral("Day.ssz"), "not a zip"));
        QVERIFY(makeSmallSkin(elsewhere() + QStringLiteral("Day.Ssz")));
        QCOMPARE(install(elsewhere() + QStringLiteral("Day.Ssz")), InstallOutcome::Installed);
        QCOMPARE(Skin, QStringLiteral("Day"));
        QCOMPARE(int(gEnemy->SpriteWidth), 50);
        QCOMPARE(SkinManagement::ListSkins().Entries.size(), 2);
    }

    void listDeleteAndApply()
    {
        for (const QString& name : {QStringLiteral("Zeta"), QStringLiteral("Alpha")})
            QVERIFY(makeSmallSkin(programSkins() + name + QStringLiteral(".ssz")));
        QVERIFY(makeSmallSkin(userSkins() + QStringLiteral("Mine.ssz")));
        QVERIFY(makeSmallSkin(userSkins() + QStringLiteral("Zeta.ssz")));     // listed once
        // A package named like the base skin replaces it but is only ever the first entry.
        QVERIFY(makeSmallSkin(elsewhere() + QStringLiteral("Base Skin.ssz")));
        QCOMPARE(install(elsewhere() + QStringLiteral("Base Skin.ssz")), InstallOutcome::Installed);
        QCOMPARE(int(gEnemy->SpriteWidth), 50);

        const QStringList expected = {QStringLiteral("<Base Skin>"), QStringLiteral("Alpha"),
                                      QStringLiteral("Zeta"), QStringLiteral("Mine")};
        Skin = QStringLiteral("Zeta");
        QCOMPARE(SkinManagement::ListSkins().Entries, expected);
        QCOMPARE(SkinManagement::ListSkins().Selected, 2);
        Skin = QStringLiteral("Gone");
        QCOMPARE(SkinManagement::ListSkins().Selected, 0);

        QVERIFY(!SkinManagement::DeleteSkinPackage(BaseSkinName));
        QVERIFY(!SkinManagement::DeleteSkinPackage(QStringLiteral("../prog/Skins/Alpha")));
        QVERIFY(QFile::exists(programSkins() + QStringLiteral("Base Skin.ssz")));
        QVERIFY(SkinManagement::DeleteSkinPackage(QStringLiteral("Zeta")));
        QCOMPARE(SkinManagement::ListSkins().Entries, QStringList({expected[0], expected[1], expected[3]}));

        // Confirming the dialog: only a different choice reloads; no selection changes nothing.
        Skin = QStringLiteral("Zeta");
        QVERIFY(!SkinManagement::ApplySkinChoice(-1, QString()));
        QVERIFY(SkinManagement::ApplySkinChoice(0, expected[0]));
        QCOMPARE(Skin, BaseSkinName);
        QVERIFY(!SkinManagement::ApplySkinChoice(0, expected[0]));
        QVERIFY(SkinManagement::ApplySkinChoice(1, QStringLiteral("Alpha")));
        QCOMPARE(Skin, QStringLiteral("Alpha"));
        // The replaced base package carries no sounds, so neither does the folder now.
        QCOMPARE(skinkit::filesBelow(SkinFolder), QStringList({QStringLiteral("skin.ini"), QStringLiteral("small.png")}));
    }
};

QTEST_MAIN(TestSkinLoad)
#include "test_skin_load.moc"
