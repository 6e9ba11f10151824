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

#include <QtTest>

using namespace modGremlok;
using skinkit::Entries;

namespace {
const QStringList BaseFiles = {
    QStringLiteral("enemy.gif"), QStringLiteral("enmy_apr.wav"), QStringLiteral("enmy_die.wav"),
    QStringLiteral("enmy_sht.wav"), QStringLiteral("pointer.cur"), QStringLiteral("skin.ini"),
    QStringLiteral("user_blt.wav"), QStringLiteral("user_die.wav"), QStringLiteral("user_sht.wav"),
};

// A 200 x 100 sheet for 4 + 2 frames (50 x 50 each): red body on a magenta background.
QByteArray smallSheet()
{
    QImage sheet(200, 100, QImage::Format_RGB32);
    sheet.fill(qRgb(255, 0, 255));
    for (int y = 10; y < 40; ++y)
        for (int x = 10; x < 40; ++x)
            sheet.setPixel(x, y, qRgb(220, 0, 0));
    return skinkit::png(sheet);
}

// The base skin's files plus the given ones, in listing order.
QStringList baseFilesAnd(const QString& extra)
{
    QStringList files = BaseFiles;
    files << extra;
    files.sort();
    return files;
}

QByteArray smallIni(const QByteArray& mask = "#FF00FF", const QByteArray& sprites = "small.png")
{
    return "[Skin]\r\nMaskColor=" + mask + "\r\nNumAttackFrames=4\r\nNumDieFrames=2\r\nSprites=" + sprites + "\r\n";
}
} // namespace

class TestSkinLoad : public QObject {
    Q_OBJECT
    QString m_root;
    QString programSkins() const { return m_root + QStringLiteral("/prog/Skins/"); }
    QString userSkins() const { return m_root + QStringLiteral("/data/Gremlok/Skins/"); }
    QString elsewhere() const { return m_root + QStringLiteral("/downloads/"); }

    bool makePackage(const QString& path, const Entries& entries) { return skinkit::writeZip(path, entries); }
    bool makeSmallSkin(const QString& path)
    {
        return makePackage(path, {{QStringLiteral("skin.ini"), smallIni()}, {QStringLiteral("small.png"), smallSheet()}});
    }
    QStringList workingFiles() const { return skinkit::filesBelow(SkinFolder); }
    void verifyBaseSkinInUse()
    {
        QCOMPARE(Skin, BaseSkinName);
        QCOMPARE(workingFiles(), BaseFiles);
        QCOMPARE(int(gEnemy->SpriteWidth), 100);
        QCOMPARE(int(gEnemy->NumAttackSprites), 7);
    }

private slots:
    void initTestCase()
    {
        m_root = skinkit::testRoot() + QStringLiteral("/load");
        QDir(m_root).removeRecursively();
        qputenv("XDG_DATA_HOME", (m_root + QStringLiteral("/data")).toLocal8Bit());
        SkinPaths::SetProgramSkinsFolder(programSkins());
        SkinFolder = m_root + QStringLiteral("/runtime/simskin.tmp/");
        QVERIFY(QDir().mkpath(elsewhere()));
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

    void baseSkinLoadsFully()
    {
        skinkit::writeFile(SkinFolder + QStringLiteral("leftover.wav"), "old skin");
        LoadSkin();
        verifyBaseSkinInUse();   // the leftover of an earlier skin is gone
        QVERIFY(gWeapon->SkinnedPointer);
        QCOMPARE(frmMain::instance().picDesktop.size(), QSize(100, 100));
    }

    void partialSkinPlaysWithBaseSounds()
    {
        QVERIFY(makeSmallSkin(programSkins() + QStringLiteral("Night Ops.ssz")));
        Skin = QStringLiteral("Night Ops");
        LoadSkin();
        QCOMPARE(Skin, QStringLiteral("Night Ops"));
        QCOMPARE(workingFiles(), baseFilesAnd(QStringLiteral("small.png")));
        QCOMPARE(QSize(gEnemy->SpriteWidth, gEnemy->SpriteHeight), QSize(50, 50));
        QCOMPARE(frmMain::instance().picDesktop.size(), QSize(50, 50));
        QVERIFY(gWeapon->SkinnedPointer);   // the base skin's pointer
        // The sounds are the base skin's, byte for byte.
        const QString base = m_root + QStringLiteral("/base-copy");
        QVERIFY(modSkinZip::UnzipSkin(skinkit::baseSkinPackage(), base));
        QCOMPARE(skinkit::readFile(SkinFolder + QStringLiteral("enmy_sht.wav")),
                 skinkit::readFile(base + QStringLiteral("/enmy_sht.wav")));
    }

    void subFolderPackageAndMaskSpelling_data()
    {
        QTest::addColumn<QByteArray>("mask");
        QTest::newRow("with #") << QByteArray("#FF00FF");
        QTest::newRow("without #") << QByteArray("FF00FF");
    }
    void subFolderPackageAndMaskSpelling()
    {
        QFETCH(QByteArray, mask);
        QVERIFY(makePackage(programSkins() + QStringLiteral("Deep.ssz"), {
            {QStringLiteral("Deep/skin.ini"), smallIni(mask)},
            {QStringLiteral("Deep/gfx/small.png"), smallSheet()},
        }));
        Skin = QStringLiteral("Deep");
        LoadSkin();
        QCOMPARE(Skin, QStringLiteral("Deep"));
        QCOMPARE(int(gEnemy->SpriteWidth), 50);
        QImage dest(50, 50, QImage::Format_RGB32);
        QImage patch(50, 50, QImage::Format_RGB32);
        patch.fill(qRgb(1, 2, 3));
        gEnemy->DrawAttackSprite(dest, patch, 0, 0, 1);
        QCOMPARE(dest.pixel(0, 0), qRgb(1, 2, 3));     // magenta is see-through
        QCOMPARE(dest.pixel(20, 20), qRgb(220, 0, 0));
    }

    void badChosenPackageFallsBackToBase_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("package deleted") << 0;
        QTest::newRow("not a zip") << 1;
        QTest::newRow("path traversal and a bomb") << 2;
        QTest::newRow("fails after replacing base files") << 3;
        QTest::newRow("name leaving the Skins folder") << 4;
    }
    void badChosenPackageFallsBackToBase()
    {
        QFETCH(int, kind);
        const QString path = programSkins() + QStringLiteral("Bad.ssz");
        Skin = QStringLiteral("Bad");
        switch (kind) {
        case 0:
            break;
        case 1:
            QVERIFY(skinkit::writeFile(path, "this is no zip archive"));
            break;
        case 2:
            QVERIFY(makePackage(path, {
                {QStringLiteral("../../escaped.txt"), "x"},
                {QStringLiteral("bomb.bin"), QByteArray(int(modSkinZip::MaxTotalBytes) + 1, '\0')},
            }));
            break;
        case 3: {
            // The first entry unpacks over the base sheet, the second has damaged data.
            QByteArray second(5000, 'w');
            QVERIFY(makePackage(path, {{QStringLiteral("enemy.gif"), "not the base sheet"},
                                       {QStringLiteral("enmy_sht.wav"), second}}));
            QByteArray zip = skinkit::readFile(path);
            const int local = zip.indexOf(QByteArray("PK\x03\x04", 4), 4);
            QVERIFY(local > 0);
            const int data = local + 30 + (uchar(zip[local + 26]) | uchar(zip[local + 27]) << 8)
                + (uchar(zip[local + 28]) | uchar(zip[local + 29]) << 8);
            zip[data + 3] = char(zip[data + 3] ^ 0x33);
            QVERIFY(skinkit::writeFile(path, zip));
            break;
        }
        case 4:
            QVERIFY(makeSmallSkin(m_root + QStringLiteral("/outside.ssz")));
            Skin = QStringLiteral("../../outside");
            break;
        }
        LoadSkin();
        verifyBaseSkinInUse();
        const QString base = m_root + QStringLiteral("/base-copy");
        QVERIFY(modSkinZip::UnzipSkin(skinkit::baseSkinPackage(), base));
        QCOMPARE(skinkit::readFile(SkinFolder + QStringLiteral("enemy.gif")),
                 skinkit::readFile(base + QStringLiteral("/enemy.gif")));
        QCOMPARE(skinkit::filesBelow(m_root + QStringLiteral("/runtime")).filter(QStringLiteral("escaped")),
                 QStringList());
        QVERIFY(!QFile::exists(m_root + QStringLiteral("/escaped.txt")));
    }

    void withoutAnyPackageTheEnemyHasNoSheet()
    {
        QVERIFY(QFile::remove(programSkins() + QStringLiteral("Base Skin.ssz")));
        LoadSkin();
        QCOMPARE(workingFiles(), QStringList());
        QVERIFY(!gEnemy->Loaded());
        QVERIFY(!gWeapon->SkinnedPointer);
        // A sheet named outside the working folder is not read either.
        QVERIFY(makePackage(programSkins() + QStringLiteral("Base Skin.ssz"),
                            {{QStringLiteral("skin.ini"), smallIni("FF00FF", "../../prog/Skins/x.png")}}));
        QVERIFY(skinkit::writeFile(m_root + QStringLiteral("/prog/Skins/x.png"), smallSheet()));
        LoadSkin();
        QVERIFY(!gEnemy->Loaded());
    }

    void installCleansNameCopiesAndLoads()
    {
        int closed = 0;
        SkinManagement::CloseOptionsDialog = [&] { ++closed; };
        const QString download = elsewhere() + QStringLiteral("Night%20Ops[1].ssz");
        QVERIFY(makeSmallSkin(download));
        const auto result = SkinManagement::InstallSkinPackage(download);
        QCOMPARE(int(result.Outcome), int(SkinManagement::InstallOutcome::Installed));
        QVERIFY(QFile::exists(programSkins() + QStringLiteral("Night Ops.ssz")));
        QCOMPARE(Skin, QStringLiteral("Night Ops"));
        QCOMPARE(int(gEnemy->SpriteWidth), 50);
        QCOMPARE(closed, 1);

        // Installing it again from the Skins folder itself does not copy it over itself.
        const QString inPlace = programSkins() + QStringLiteral("Night Ops.ssz");
        const QByteArray before = skinkit::readFile(inPlace);
        Skin = BaseSkinName;
        QCOMPARE(int(SkinManagement::InstallSkinPackage(inPlace).Outcome), int(SkinManagement::InstallOutcome::Installed));
        QCOMPARE(Skin, QStringLiteral("Night Ops"));
        QCOMPARE(skinkit::readFile(inPlace), before);
        QCOMPARE(skinkit::filesBelow(programSkins()).size(), 2);
    }

    void installOddArguments()
    {
        // No such file: not a package at all, nothing changes.
        Skin = BaseSkinName;
        QCOMPARE(int(SkinManagement::InstallSkinPackage(elsewhere() + QStringLiteral("nope.ssz")).Outcome),
                 int(SkinManagement::InstallOutcome::NotAPackage));

        // An extension that is not three letters: four characters go all the same, the
        // package is not found under that name and the base skin stays.
        QVERIFY(makeSmallSkin(elsewhere() + QStringLiteral("odd.skin")));
        QCOMPARE(int(SkinManagement::InstallSkinPackage(elsewhere() + QStringLiteral("odd.skin")).Outcome),
                 int(SkinManagement::InstallOutcome::Installed));
        verifyBaseSkinInUse();

        // A failed copy is reported with its number and text, and leaves no partial file.
        QVERIFY(QDir().mkpath(programSkins() + QStringLiteral("Busy.ssz")));
        QVERIFY(makeSmallSkin(elsewhere() + QStringLiteral("Busy.ssz")));
        const QString arg = elsewhere() + QStringLiteral("Busy.ssz");
        const auto failed = SkinManagement::InstallSkinPackage(arg);
        QCOMPARE(int(failed.Outcome), int(SkinManagement::InstallOutcome::Failed));
        QVERIFY(failed.Number != 0 && !failed.Description.isEmpty());
        QCOMPARE(SkinManagement::InstallErrorText(arg, failed),
                 QStringLiteral("Error installing skin \"%1\".\r\n%2: %3").arg(arg).arg(failed.Number).arg(failed.Description));
        QVERIFY(!QFile::exists(programSkins() + QStringLiteral("Busy.ssz.part")));
        QCOMPARE(Skin, BaseSkinName);
    }

    void installGoesToUserFolderWhenProgramFolderIsReadOnly()
    {
        // A program folder we cannot create files in (here: its parent is a plain file).
        QVERIFY(skinkit::writeFile(m_root + QStringLiteral("/blocked"), "file"));
        SkinPaths::SetProgramSkinsFolder(m_root + QStringLiteral("/blocked/Skins/"));
        QCOMPARE(SkinPaths::InstallFolder(), userSkins());
        QVERIFY(makeSmallSkin(elsewhere() + QStringLiteral("Solo.ssz")));
        QCOMPARE(int(SkinManagement::InstallSkinPackage(elsewhere() + QStringLiteral("Solo.ssz")).Outcome),
                 int(SkinManagement::InstallOutcome::Installed));
        QVERIFY(QFile::exists(userSkins() + QStringLiteral("Solo.ssz")));
        QCOMPARE(Skin, QStringLiteral("Solo"));
        QCOMPARE(int(gEnemy->SpriteWidth), 50);
        QCOMPARE(SkinManagement::ListSkins().Entries, QStringList({QStringLiteral("<Base Skin>"), QStringLiteral("Solo")}));
    }

    void listDeleteAndApply()
    {
        for (const QString& name : {QStringLiteral("Zeta"), QStringLiteral("Alpha")})
            QVERIFY(makeSmallSkin(programSkins() + name + QStringLiteral(".ssz")));
        QVERIFY(QDir().mkpath(userSkins()));
        QVERIFY(makeSmallSkin(userSkins() + QStringLiteral("Mine.ssz")));
        QVERIFY(makeSmallSkin(userSkins() + QStringLiteral("Zeta.ssz")));     // listed once
        // A package named like the base skin replaces it but is only ever the first entry.
        QVERIFY(makeSmallSkin(elsewhere() + QStringLiteral("Base Skin.ssz")));
        QCOMPARE(int(SkinManagement::InstallSkinPackage(elsewhere() + QStringLiteral("Base Skin.ssz")).Outcome),
                 int(SkinManagement::InstallOutcome::Installed));
        QCOMPARE(int(gEnemy->SpriteWidth), 50);

        const QStringList expected = {QStringLiteral("<Base Skin>"), QStringLiteral("Alpha"),
                                      QStringLiteral("Zeta"), QStringLiteral("Mine")};
        Skin = QStringLiteral("Zeta");
        SkinManagement::SkinList list = SkinManagement::ListSkins();
        QCOMPARE(list.Entries, expected);
        QCOMPARE(list.Selected, 2);
        Skin = QStringLiteral("Gone");
        QCOMPARE(SkinManagement::ListSkins().Selected, 0);

        QCOMPARE(SkinManagement::DeleteQuestion(QStringLiteral("Zeta")),
                 QStringLiteral("Are you sure you want to delete \"Zeta\" skin?"));
        QVERIFY(!SkinManagement::DeleteSkinPackage(BaseSkinName));
        QVERIFY(!SkinManagement::DeleteSkinPackage(QStringLiteral("../prog/Skins/Alpha")));
        QVERIFY(QFile::exists(programSkins() + QStringLiteral("Base Skin.ssz")));
        QVERIFY(SkinManagement::DeleteSkinPackage(QStringLiteral("Zeta")));
        QCOMPARE(SkinManagement::ListSkins().Entries, QStringList({expected[0], expected[1], expected[3]}));

        // Confirming the dialog: only a different choice reloads.
        Skin = QStringLiteral("Zeta");
        QVERIFY(SkinManagement::ApplySkinChoice(0, expected[0]));
        QCOMPARE(Skin, BaseSkinName);
        QVERIFY(!SkinManagement::ApplySkinChoice(0, expected[0]));
        QVERIFY(SkinManagement::ApplySkinChoice(1, QStringLiteral("Alpha")));
        QCOMPARE(Skin, QStringLiteral("Alpha"));
        // The replaced base package carries no sounds, so neither does the folder now.
        QCOMPARE(workingFiles(), QStringList({QStringLiteral("skin.ini"), QStringLiteral("small.png")}));
    }
};

QTEST_MAIN(TestSkinLoad)
#include "test_skin_load.moc"
