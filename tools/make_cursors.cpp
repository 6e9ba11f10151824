// Draws the six pointer pictures of the fight (32 x 32, hot spot in the centre) into
// resources/cursors/pointer1.png .. pointer6.png. Run: make_cursors <resources/cursors folder>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kSize = 32;
constexpr int kC = 16;  // hot spot

QImage blank()
{
    QImage img(kSize, kSize, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    return img;
}

// Four arms around the centre with a gap, drawn as filled rectangles; `outline` pixels wide
// border of `edge` around arms of `core`.
void arms(QPainter& p, int gap, int len, int thick, const QColor& core, const QColor& edge, int outline)
{
    const int half = thick / 2;
    const QRect r[4] = {
        QRect(kC - half, kC - gap - len, thick, len),      // up
        QRect(kC - half, kC + gap + 1, thick, len),        // down
        QRect(kC - gap - len, kC - half, len, thick),      // left
        QRect(kC + gap + 1, kC - half, len, thick),        // right
    };
    if (outline > 0)
        for (const QRect& a : r)
            p.fillRect(a.adjusted(-outline, -outline, outline, outline), edge);
    for (const QRect& a : r)
        p.fillRect(a, core);
}

void dot(QPainter& p, const QColor& core, const QColor& edge)
{
    p.fillRect(QRect(kC - 1, kC - 1, 3, 3), edge);
    p.fillRect(QRect(kC, kC, 1, 1), core);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QImage pics[6];

    // 1 Default: black cross with a white edge, readable on any desktop.
    pics[0] = blank();
    { QPainter p(&pics[0]); arms(p, 3, 9, 1, Qt::black, Qt::white, 1); dot(p, Qt::black, Qt::white); }

    // 2 Inverse: white cross with a black edge.
    pics[1] = blank();
    { QPainter p(&pics[1]); arms(p, 3, 9, 1, Qt::white, Qt::black, 1); dot(p, Qt::white, Qt::black); }

    // 3 Black: a thin plain black cross.
    pics[2] = blank();
    { QPainter p(&pics[2]); arms(p, 2, 10, 1, Qt::black, Qt::black, 0); p.fillRect(kC, kC, 1, 1, Qt::black); }

    // 4 High Visibility: long, thick yellow arms with a black edge.
    pics[3] = blank();
    { QPainter p(&pics[3]); arms(p, 3, 11, 3, QColor(255, 230, 0), Qt::black, 1); dot(p, QColor(255, 230, 0), Qt::black); }

    // 5 Circular: a ring with short ticks and a centre dot.
    pics[4] = blank();
    {
        QPainter p(&pics[4]);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 3));
        p.drawEllipse(QPointF(kC + 0.5, kC + 0.5), 10, 10);
        p.setPen(QPen(Qt::black, 1.2));
        p.drawEllipse(QPointF(kC + 0.5, kC + 0.5), 10, 10);
        p.setRenderHint(QPainter::Antialiasing, false);
        arms(p, 7, 6, 1, Qt::black, Qt::white, 1);
        dot(p, Qt::black, Qt::white);
    }

    // 6 Skinned (stands in when a skin brings no pointer): a red sight with a dark edge.
    pics[5] = blank();
    { QPainter p(&pics[5]); arms(p, 4, 8, 1, QColor(220, 0, 0), QColor(40, 0, 0), 1); dot(p, QColor(255, 0, 0), QColor(40, 0, 0)); }

    int failures = 0;
    for (int i = 0; i < 6; ++i)
        if (!pics[i].save(QStringLiteral("%1/pointer%2.png").arg(dir).arg(i + 1)))
            ++failures;
    return failures;
}
