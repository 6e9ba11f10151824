// Pictures read by their names where the toolkit can, by their contents otherwise: the right
// picture either way, and no image plugin started for the formats the toolkit reads itself.
#include "core/PictureReader.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// The image plugins this process has mapped.
QStringList imagePlugins()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {QStringLiteral("(maps unreadable)")};
    QStringList found;
    for (const QByteArray& line : maps.readAll().split('\n'))
        if (line.contains("/imageformats/"))
            found << QString::fromLocal8Bit(line.mid(line.lastIndexOf(' ') + 1));
    found.removeDuplicates();
    return found;
}
} // namespace

class TestPictureReader : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString save(const QString& name, const char* format, QSize size)
    {
        QImage img(size, QImage::Format_RGB32);
        img.fill(qRgb(10, 200, 30));
        img.setPixel(0, 0, qRgb(255, 0, 255));
        const QString path = m_dir.filePath(name);
        if (!img.save(path, format))
            return QString();
        return path;
    }

private slots:
    void initTestCase() { Q_INIT_RESOURCE(resources); }

    // Runs first: nothing in this process has read or written a picture yet. (Writing one
    // starts every plugin too, so the BMP is put together by hand.)
    void builtInFormatsStartNoPlugin()
    {
        const QString png = m_dir.filePath(QStringLiteral("TRAY.PNG"));
        QVERIFY(QFile::copy(QStringLiteral(":/icons/tray1.png"), png));
        QCOMPARE(modGremlok::OpenPicture(png)->read().size(), QSize(32, 32));
        QVERIFY(!modGremlok::LoadPicture(QStringLiteral(":/icons/tray1.png")).isNull());

        // 3 x 2, 24 bits, rows bottom-up and padded to 4 bytes; the top-left pixel is magenta.
        QByteArray bmp("BM");
        auto put32 = [&bmp](quint32 v) { for (int i = 0; i < 4; ++i) bmp.append(char(v >> (8 * i))); };
        auto put16 = [&bmp](quint16 v) { bmp.append(char(v)).append(char(v >> 8)); };
        put32(54 + 24); put32(0); put32(54);
        put32(40); put32(3); put32(2); put16(1); put16(24); put32(0); put32(24);
        put32(2835); put32(2835); put32(0); put32(0);
        bmp.append(QByteArray("\x10\xc8\x0a\x10\xc8\x0a\x10\xc8\x0a\0\0\0", 12));
        bmp.append(QByteArray("\xff\x00\xff\x10\xc8\x0a\x10\xc8\x0a\0\0\0", 12));
        QFile f(m_dir.filePath(QStringLiteral("b.bmp")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bmp);
        f.close();
        const QImage img = modGremlok::OpenPicture(f.fileName())->read();
        QCOMPARE(img.size(), QSize(3, 2));
        QCOMPARE(img.pixel(0, 0), qRgb(255, 0, 255));

        QCOMPARE(imagePlugins(), QStringList());
    }

    void contentsDecide_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("bmp named png") << "bmp.png" << QByteArray("BMP");
        QTest::newRow("png named bmp") << "png.bmp" << QByteArray("PNG");
        QTest::newRow("png without suffix") << "sheet" << QByteArray("PNG");
        QTest::newRow("jpeg named bmp") << "photo.bmp" << QByteArray("JPEG");
    }
    void contentsDecide()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        const QString path = save(name, format.constData(), QSize(9, 4));
        if (path.isEmpty())
            QSKIP("this Qt cannot write the format, so the case cannot be made");
        const auto reader = modGremlok::OpenPicture(path);
        QCOMPARE(reader->size(), QSize(9, 4));
        QCOMPARE(reader->read().size(), QSize(9, 4));
    }

    void unreadableGivesError()
    {
        const QString path = m_dir.filePath(QStringLiteral("broken.png"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x89PNG\r\n\x1a\n but nothing after");
        f.close();
        const auto reader = modGremlok::OpenPicture(path);
        QVERIFY(reader->read().isNull());
        QVERIFY(!reader->errorString().isEmpty());
        QVERIFY(modGremlok::LoadPicture(m_dir.filePath(QStringLiteral("missing.bmp"))).isNull());
    }
};

QTEST_MAIN(TestPictureReader)
#include "test_picturereader.moc"
