#include "platform/WlrScreencopy.h"

#include <QtTest>
#include <wayland-client-protocol.h>

using platform::WlrScreencopy::FrameToImage;

// A frame of 2 x 3 pixels: rows A B, B A, A A, each row padded with junk to the stride, as a
// compositor lays them out; pixels given as the bytes the compositor writes.
static QByteArray Frame(const QByteArray& a, const QByteArray& b, int stride)
{
    QByteArray data;
    for (const QByteArray& row : {a + b, b + a, a + a})
        data += row + QByteArray(stride - row.size(), char(0xee));
    return data;
}

class TestWlrScreencopy : public QObject {
    Q_OBJECT
private slots:
    void formats_data()
    {
        QTest::addColumn<uint>("format");
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<QRgb>("colourA");
        QTest::addColumn<QRgb>("colourB");
        // Little-endian words: xrgb8888 is the bytes B G R x. The alpha or padding byte means nothing.
        QTest::newRow("xrgb8888") << uint(WL_SHM_FORMAT_XRGB8888) << QByteArray("\x56\x34\x12\x00", 4)
                                  << QByteArray("\x01\x02\xf0\x7f", 4) << qRgb(0x12, 0x34, 0x56) << qRgb(0xf0, 0x02, 0x01);
        QTest::newRow("argb8888, transparent") << uint(WL_SHM_FORMAT_ARGB8888) << QByteArray("\x56\x34\x12\x00", 4)
                                               << QByteArray("\x01\x02\xf0\x80", 4) << qRgb(0x12, 0x34, 0x56)
                                               << qRgb(0xf0, 0x02, 0x01);
        QTest::newRow("xbgr8888") << uint(WL_SHM_FORMAT_XBGR8888) << QByteArray("\x12\x34\x56\x00", 4)
                                  << QByteArray("\xf0\x02\x01\x00", 4) << qRgb(0x12, 0x34, 0x56) << qRgb(0xf0, 0x02, 0x01);
        QTest::newRow("abgr8888") << uint(WL_SHM_FORMAT_ABGR8888) << QByteArray("\x12\x34\x56\x10", 4)
                                  << QByteArray("\xf0\x02\x01\x00", 4) << qRgb(0x12, 0x34, 0x56) << qRgb(0xf0, 0x02, 0x01);
        // x:R:G:B 2:10:10:10, full and empty channels; the top bits zero (transparent in argb).
        QTest::newRow("argb2101010") << uint(WL_SHM_FORMAT_ARGB2101010) << QByteArray("\xff\x03\xf0\x3f", 4)
                                     << QByteArray("\x00\xfc\x0f\x00", 4) << qRgb(0xff, 0x00, 0xff) << qRgb(0x00, 0xff, 0x00);
        QTest::newRow("xbgr2101010") << uint(WL_SHM_FORMAT_XBGR2101010) << QByteArray("\xff\xff\x0f\x00", 4)
                                     << QByteArray("\x00\x00\xf0\x3f", 4) << qRgb(0xff, 0xff, 0x00) << qRgb(0x00, 0x00, 0xff);
        QTest::newRow("rgb565") << uint(WL_SHM_FORMAT_RGB565) << QByteArray("\x1f\xf8", 2) << QByteArray("\xe0\x07", 2)
                                << qRgb(0xff, 0x00, 0xff) << qRgb(0x00, 0xff, 0x00);
        QTest::newRow("rgb888") << uint(WL_SHM_FORMAT_RGB888) << QByteArray("\x56\x34\x12", 3)
                                << QByteArray("\x01\x02\xf0", 3) << qRgb(0x12, 0x34, 0x56) << qRgb(0xf0, 0x02, 0x01);
        QTest::newRow("bgr888") << uint(WL_SHM_FORMAT_BGR888) << QByteArray("\x12\x34\x56", 3)
                                << QByteArray("\xf0\x02\x01", 3) << qRgb(0x12, 0x34, 0x56) << qRgb(0xf0, 0x02, 0x01);
    }
    void formats()
    {
        QFETCH(uint, format);
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(QRgb, colourA);
        QFETCH(QRgb, colourB);
        const int stride = 2 * a.size() + 4;
        const QByteArray data = Frame(a, b, stride);
        const QVector<QVector<QRgb>> upright = {{colourA, colourB}, {colourB, colourA}, {colourA, colourA}};
        for (const bool yInvert : {false, true}) {
            const QImage image = FrameToImage(reinterpret_cast<const uchar*>(data.constData()), data.size(), format, 2,
                                              3, stride, yInvert);
            QCOMPARE(image.format(), QImage::Format_RGB32);
            QCOMPARE(image.size(), QSize(2, 3));
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 2; ++x)
                    QCOMPARE(QString::number(image.pixel(x, y), 16), QString::number(upright[yInvert ? 2 - y : y][x], 16));
            // The picture is the program's own: the compositor's buffer may go.
            QVERIFY(image.constBits() < reinterpret_cast<const uchar*>(data.constData())
                    || image.constBits() >= reinterpret_cast<const uchar*>(data.constData()) + data.size());
        }
    }

    void refused_data()
    {
        QTest::addColumn<uint>("format");
        QTest::addColumn<int>("stride");
        QTest::addColumn<int>("bytes");
        QTest::newRow("yuv, not read here") << uint(WL_SHM_FORMAT_YUYV) << 16 << 48;
        QTest::newRow("stride shorter than a row") << uint(WL_SHM_FORMAT_XRGB8888) << 7 << 48;
        QTest::newRow("data shorter than the frame") << uint(WL_SHM_FORMAT_XRGB8888) << 16 << 47;
    }
    void refused()
    {
        QFETCH(uint, format);
        QFETCH(int, stride);
        QFETCH(int, bytes);
        const QByteArray data(64, '\x40');
        QVERIFY(FrameToImage(reinterpret_cast<const uchar*>(data.constData()), bytes, format, 2, 3, stride, false).isNull());
    }

    // Without a compositor to ask, the capture gives up and says the protocol is not
    // there, so that the portal takes over without a word.
    void noCompositor_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::newRow("no WAYLAND_DISPLAY") << QByteArray();
        QTest::newRow("nobody listening") << QByteArray("/nonexistent/wayland-9");
    }
    void noCompositor()
    {
        QFETCH(QByteArray, display);
        const QByteArray saved = qgetenv("WAYLAND_DISPLAY");
        display.isEmpty() ? qunsetenv("WAYLAND_DISPLAY") : qputenv("WAYLAND_DISPLAY", display);
        QString reason;
        bool offered = true;
        const QImage image = platform::WlrScreencopy::Capture(nullptr, 60000, &reason, &offered);
        saved.isEmpty() ? qunsetenv("WAYLAND_DISPLAY") : qputenv("WAYLAND_DISPLAY", saved);
        QVERIFY(image.isNull());
        QVERIFY(!offered);
        QVERIFY(!reason.isEmpty());
    }

    // An output turned or flipped hands over its panel's own picture; grim, which shows what
    // the desktop looks like, agreed with these on sway for every transform.
    void upright_data()
    {
        QTest::addColumn<int>("transform");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("normal") << int(WL_OUTPUT_TRANSFORM_NORMAL) << QStringList{"abc", "def"};
        QTest::newRow("90") << int(WL_OUTPUT_TRANSFORM_90) << QStringList{"da", "eb", "fc"};
        QTest::newRow("180") << int(WL_OUTPUT_TRANSFORM_180) << QStringList{"fed", "cba"};
        QTest::newRow("270") << int(WL_OUTPUT_TRANSFORM_270) << QStringList{"cf", "be", "ad"};
        QTest::newRow("flipped") << int(WL_OUTPUT_TRANSFORM_FLIPPED) << QStringList{"cba", "fed"};
        QTest::newRow("flipped 90") << int(WL_OUTPUT_TRANSFORM_FLIPPED_90) << QStringList{"ad", "be", "cf"};
        QTest::newRow("flipped 270") << int(WL_OUTPUT_TRANSFORM_FLIPPED_270) << QStringList{"fc", "eb", "da"};
    }
    void upright()
    {
        QFETCH(int, transform);
        QFETCH(QStringList, rows);
        const auto colour = [](QChar c) { return qRgb(40 * (c.unicode() - 'a' + 1), 0, 255 - c.unicode()); };
        QImage frame(3, 2, QImage::Format_RGB32);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                frame.setPixel(x, y, colour(QChar(char('a' + 3 * y + x))));
        const QImage image = platform::WlrScreencopy::Upright(frame, transform);
        QCOMPARE(image.size(), QSize(rows.first().size(), rows.size()));
        for (int y = 0; y < rows.size(); ++y)
            for (int x = 0; x < rows[y].size(); ++x)
                QCOMPARE(image.pixel(x, y), colour(rows[y][x]));
    }
};

QTEST_GUILESS_MAIN(TestWlrScreencopy)
#include "test_wlrscreencopy.moc"
