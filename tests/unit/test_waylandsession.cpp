#include "platform/WaylandSession.h"

#include <QtTest>

class TestWaylandSession : public QObject {
    Q_OBJECT
private slots:
    void allBlack_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<bool>("black");
        QImage rgb(64, 48, QImage::Format_RGB32);
        rgb.fill(Qt::black);
        QImage lastLit = rgb;
        lastLit.setPixel(63, 47, qRgb(0, 0, 1));
        QImage firstLit = rgb;
        firstLit.setPixel(0, 0, qRgb(40, 0, 0));
        QImage clear(16, 16, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        QImage gray(16, 16, QImage::Format_Grayscale8);
        gray.fill(0);
        QImage grayLit = gray;
        grayLit.setPixel(8, 8, qRgb(3, 3, 3));
        QImage packed(15, 9, QImage::Format_RGB888);
        packed.fill(Qt::black);
        packed.setPixel(14, 8, qRgb(0, 9, 0));
        QTest::newRow("null") << QImage() << true;
        QTest::newRow("black grab") << rgb << true;
        QTest::newRow("last pixel lit") << lastLit << false;
        QTest::newRow("first pixel lit") << firstLit << false;
        QTest::newRow("transparent") << clear << true;
        QTest::newRow("grey format, black") << gray << true;
        QTest::newRow("grey format, one lit") << grayLit << false;
        QTest::newRow("packed, odd width, corner lit") << packed << false;
    }
    void allBlack()
    {
        QFETCH(QImage, image);
        QFETCH(bool, black);
        QCOMPARE(platform::IsAllBlack(image), black);
    }

    void neutralBackground_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("full hd") << QSize(1920, 1080) << QSize(1920, 1080);
        QTest::newRow("4k") << QSize(3840, 2160) << QSize(3840, 2160);
        QTest::newRow("empty") << QSize(0, 0) << QSize(1, 1);
    }
    void neutralBackground()
    {
        QFETCH(QSize, size);
        QFETCH(QSize, expected);
        const QImage image = platform::NeutralBackground(size);
        QCOMPARE(image.size(), expected);
        QVERIFY(!platform::IsAllBlack(image));
        // Grey, not a colour: every pixel has its channels close together and is mid-bright.
        for (const QPoint p : {QPoint(0, 0), QPoint(expected.width() - 1, expected.height() - 1),
                               QPoint(expected.width() / 2, expected.height() / 2)}) {
            const QRgb c = image.pixel(p);
            QVERIFY2(qAbs(qRed(c) - qBlue(c)) < 24 && qGray(c) > 64 && qGray(c) < 192,
                     qPrintable(QStringLiteral("pixel %1,%2 is %3").arg(p.x()).arg(p.y()).arg(c, 8, 16)));
        }
    }

    void screenPart_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("desktop");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("part");
        QTest::newRow("one output") << QSize(1920, 1080) << QRect(0, 0, 1920, 1080) << QRect(0, 0, 1920, 1080)
                                    << QRect(0, 0, 1920, 1080);
        QTest::newRow("right of two") << QSize(3840, 1080) << QRect(0, 0, 3840, 1080)
                                      << QRect(1920, 0, 1920, 1080) << QRect(1920, 0, 1920, 1080);
        QTest::newRow("left of two, left at a negative place")
            << QSize(3200, 1080) << QRect(-1280, 0, 3200, 1080) << QRect(-1280, 56, 1280, 1024)
            << QRect(0, 56, 1280, 1024);
        QTest::newRow("scaled twice, the lower one")
            << QSize(3840, 4320) << QRect(0, 0, 1920, 2160) << QRect(0, 1080, 1920, 1080)
            << QRect(0, 2160, 3840, 2160);
        QTest::newRow("screen beyond the picture") << QSize(1920, 1080) << QRect(0, 0, 1920, 1080)
                                                   << QRect(1920, 0, 800, 600) << QRect();
        QTest::newRow("empty picture") << QSize() << QRect(0, 0, 1920, 1080) << QRect(0, 0, 1920, 1080)
                                       << QRect();
    }
    void screenPart()
    {
        QFETCH(QSize, picture);
        QFETCH(QRect, desktop);
        QFETCH(QRect, screen);
        QFETCH(QRect, part);
        const QRect got = platform::ScreenPartOfDesktop(picture, desktop, screen);
        QCOMPARE(got.isEmpty(), part.isEmpty());
        if (!part.isEmpty())
            QCOMPARE(got, part);
    }

    void windowSystem_data()
    {
        QTest::addColumn<QString>("forced");
        QTest::addColumn<QString>("sessionType");
        QTest::addColumn<QString>("waylandDisplay");
        QTest::addColumn<QString>("x11Display");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("wayland session") << "" << "wayland" << "wayland-0" << ":0" << "wayland;xcb";
        QTest::newRow("wayland socket only") << "" << "" << "wayland-0" << "" << "wayland;xcb";
        QTest::newRow("wayland session, no socket") << "" << "wayland" << "" << ":0" << "";
        QTest::newRow("x11 session") << "" << "x11" << "" << ":0" << "xcb";
        QTest::newRow("x11 session with a stray socket") << "" << "x11" << "wayland-0" << ":0" << "xcb";
        QTest::newRow("forced x11 on wayland") << "xcb" << "wayland" << "wayland-0" << ":0" << "xcb";
        QTest::newRow("forced wayland on x11") << "wayland" << "x11" << "wayland-0" << ":0" << "wayland";
    }
    void windowSystem()
    {
        QFETCH(QString, forced);
        QFETCH(QString, sessionType);
        QFETCH(QString, waylandDisplay);
        QFETCH(QString, x11Display);
        QFETCH(QString, chosen);
        const QByteArray saved = qgetenv("QT_QPA_PLATFORM");
        const auto set = [](const char* name, const QString& value) {
            if (value.isEmpty())
                qunsetenv(name);
            else
                qputenv(name, value.toLocal8Bit());
        };
        set("QT_QPA_PLATFORM", forced);
        set("XDG_SESSION_TYPE", sessionType);
        set("WAYLAND_DISPLAY", waylandDisplay);
        set("DISPLAY", x11Display);
        platform::ChooseWindowSystem();
        const QString result = qEnvironmentVariable("QT_QPA_PLATFORM");
        qputenv("QT_QPA_PLATFORM", saved);
        QCOMPARE(result, chosen);
    }
};

QTEST_GUILESS_MAIN(TestWaylandSession)
#include "test_waylandsession.moc"
