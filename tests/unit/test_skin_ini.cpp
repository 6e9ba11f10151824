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
        skinkit::writeFile(m_dir.filePath(QStringLiteral("skin.ini")), text);
        return SkinIni(m_dir.filePath(QStringLiteral("skin.ini")));
    }

private slots:
    void defaultsWhenFileOrKeysAreMissing()
    {
        const SkinIni none(m_dir.filePath(QStringLiteral("nothing-here.ini")));
        QCOMPARE(none.MaskColor(), 0xFFFFFFu);
        QCOMPARE(QPoint(none.NumAttackFrames(), none.NumDieFrames()), QPoint(7, 6));
        QCOMPARE(none.Sprites(), QStringLiteral("enemy.gif"));

        // Keys in another section do not count; the section name ignores case.
        const SkinIni other = iniWith("[Other]\nNumAttackFrames=3\n[skin]\nNumDieFrames=2\n");
        QCOMPARE(QPoint(other.NumAttackFrames(), other.NumDieFrames()), QPoint(7, 2));
    }

    void keysValuesAndLineEndings()
    {
        const SkinIni ini = iniWith("; made on Windows\r\n[Skin]\r\n  maskcolor = 00FF00 \r\n"
                                    "NUMATTACKFRAMES=9\r\nSprites=\"my sheet.bmp\"\r\nSprites=second.gif\r\n");
        QCOMPARE(ini.MaskColor(), 0x00FF00u);
        QCOMPARE(int(ini.NumAttackFrames()), 9);
        QCOMPARE(ini.Sprites(), QStringLiteral("my sheet.bmp"));   // quotes go, the first key wins

        QCOMPARE(iniWith("[Skin]\nSprites=" + QByteArray(300, 'n') + "\n").Sprites().size(), SkinIni::MaxText);
        QCOMPARE(iniWith("[Skin]\nSprites=\n").Sprites(), QString());   // empty, not the default
        // Frame counts keep their low 8 bits.
        for (const auto& [text, frames] : QList<QPair<QByteArray, int>>{{"263", 7}, {"-1", 255}, {"many", 0}})
            QCOMPARE(int(iniWith("[Skin]\nNumDieFrames=" + text).NumDieFrames()), frames);
        // UTF-8, the encoding of file names here.
        QCOMPARE(iniWith("[Skin]\nSprites=\xc3\xa9t\xc3\xa9.gif\n").Sprites(), QString::fromUtf8("\xc3\xa9t\xc3\xa9.gif"));
    }

    // Windows editors put a byte-order mark in front; the section must still be found.
    void byteOrderMarks_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QString text = QStringLiteral("[Skin]\r\nNumAttackFrames=3\r\nSprites=\u00e9t\u00e9.gif\r\n");
        QTest::newRow("none") << text.toUtf8();
        QTest::newRow("UTF-8") << "\xEF\xBB\xBF" + text.toUtf8();
        QByteArray le("\xFF\xFE"), be("\xFE\xFF");
        for (const QChar c : text) {
            le += char(c.unicode() & 0xFF) + QByteArray(1, char(c.unicode() >> 8));
            be += char(c.unicode() >> 8) + QByteArray(1, char(c.unicode() & 0xFF));
        }
        QTest::newRow("UTF-16 little-endian") << le;
        QTest::newRow("UTF-16 big-endian") << be;
    }
    void byteOrderMarks()
    {
        QFETCH(QByteArray, file);
        const SkinIni ini = iniWith(file);
        QCOMPARE(int(ini.NumAttackFrames()), 3);
        QCOMPARE(ini.Sprites(), QString::fromUtf8("\xc3\xa9t\xc3\xa9.gif"));
    }

    void maskColorText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("value");
        QTest::newRow("with hash") << QStringLiteral("#FF00FF") << 0xFF00FFu;
        QTest::newRow("without hash") << QStringLiteral("FF00FF") << 0xFF00FFu;
        QTest::newRow("eight digits") << QStringLiteral("80000005") << 0x80000005u;
        QTest::newRow("hash in the middle") << QStringLiteral("FF#00FF") << 0xFF00FFu;
        QTest::newRow("only the first hash goes") << QStringLiteral("##FF00FF") << 0u;
        QTest::newRow("not hexadecimal") << QStringLiteral("magenta") << 0u;
        QTest::newRow("nine digits overflow") << QStringLiteral("1FFFFFFFF") << 0u;
        QTest::newRow("C prefix") << QStringLiteral("0xFF") << 0u;
        QTest::newRow("sign") << QStringLiteral("-1") << 0u;
    }
    void maskColorText()
    {
        QFETCH(QString, text);
        QFETCH(uint, value);
        QCOMPARE(iniWith("[Skin]\nMaskColor=" + text.toLatin1() + "\n").MaskColor(), uint32_t(value));
    }
};

QTEST_GUILESS_MAIN(TestSkinIni)
#include "test_skin_ini.moc"
