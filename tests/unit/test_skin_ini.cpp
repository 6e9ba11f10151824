// Reading skin.ini: keys, defaults, the mask colour's odd hexadecimal rules and the frame
// counts' 8-bit width.
#include "skins/SkinIni.h"
#include "test_skin_kit.h"

#include <QTemporaryDir>
#include <QtTest>

class TestSkinIni : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir{skinkit::testRoot() + QStringLiteral("/ini-XXXXXX")};

    SkinIni iniWith(const QByteArray& text)
    {
        const QString path = m_dir.path() + QStringLiteral("/skin.ini");
        skinkit::writeFile(path, text);
        return SkinIni(path);
    }

private slots:
    void defaultsWhenFileOrKeysAreMissing()
    {
        const SkinIni none(m_dir.path() + QStringLiteral("/nothing-here.ini"));
        QCOMPARE(none.MaskColor(), 0xFFFFFFu);
        QCOMPARE(int(none.NumAttackFrames()), 7);
        QCOMPARE(int(none.NumDieFrames()), 6);
        QCOMPARE(none.Sprites(), QStringLiteral("enemy.gif"));

        // Keys in another section do not count; the section name ignores case.
        const SkinIni other = iniWith("[Other]\nNumAttackFrames=3\n[skin]\nNumDieFrames=2\n");
        QCOMPARE(int(other.NumAttackFrames()), 7);
        QCOMPARE(int(other.NumDieFrames()), 2);
    }

    void keysValuesAndLineEndings()
    {
        const SkinIni ini = iniWith("; made on Windows\r\n[Skin]\r\n  maskcolor = 00FF00 \r\n"
                                    "NUMATTACKFRAMES=9\r\nSprites=\"my sheet.bmp\"\r\nSprites=second.gif\r\n");
        QCOMPARE(ini.MaskColor(), 0x00FF00u);
        QCOMPARE(int(ini.NumAttackFrames()), 9);
        QCOMPARE(ini.Sprites(), QStringLiteral("my sheet.bmp"));   // quotes go, the first key wins

        const QByteArray longName(300, 'n');
        QCOMPARE(iniWith("[Skin]\nSprites=" + longName + "\n").Sprites().size(), SkinIni::MaxText);
        // A key present but empty is empty, not the default.
        QCOMPARE(iniWith("[Skin]\nSprites=\n").Sprites(), QString());
    }

    void maskColorText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("value");
        QTest::newRow("with hash") << QStringLiteral("#FF00FF") << 0xFF00FFu;
        QTest::newRow("without hash") << QStringLiteral("FF00FF") << 0xFF00FFu;
        QTest::newRow("reads blue green red: red") << QStringLiteral("0000FF") << 0x0000FFu;
        QTest::newRow("eight digits") << QStringLiteral("80000005") << 0x80000005u;
        QTest::newRow("hash in the middle") << QStringLiteral("FF#00FF") << 0xFF00FFu;
        QTest::newRow("only the first hash goes") << QStringLiteral("##FF00FF") << 0u;
        QTest::newRow("not hexadecimal") << QStringLiteral("magenta") << 0u;
        QTest::newRow("nine digits overflow") << QStringLiteral("1FFFFFFFF") << 0u;
        QTest::newRow("empty") << QString() << 0u;
        QTest::newRow("C prefix") << QStringLiteral("0xFF") << 0u;
        QTest::newRow("sign") << QStringLiteral("-1") << 0u;
    }
    void maskColorText()
    {
        QFETCH(QString, text);
        QFETCH(uint, value);
        QCOMPARE(SkinIni::ParseMaskColor(text), uint32_t(value));
        // The same through the file, where blanks around the value are trimmed first.
        QCOMPARE(iniWith("[Skin]\nMaskColor=" + text.toLatin1() + "\n").MaskColor(), uint32_t(value));
    }

    void frameCountsKeepTheirLowByte_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("frames");
        QTest::newRow("plain") << QByteArray("12") << 12;
        QTest::newRow("256 wraps to 0") << QByteArray("256") << 0;
        QTest::newRow("263 wraps to 7") << QByteArray("263") << 7;
        QTest::newRow("minus one") << QByteArray("-1") << 255;
        QTest::newRow("no digits") << QByteArray("many") << 0;
    }
    void frameCountsKeepTheirLowByte()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, frames);
        QCOMPARE(int(iniWith("[Skin]\nNumDieFrames=" + text + "\n").NumDieFrames()), frames);
    }
};

QTEST_GUILESS_MAIN(TestSkinIni)
#include "test_skin_ini.moc"
