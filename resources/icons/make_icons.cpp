// Draws the seven tray icons (32 x 32) into resources/icons/: 1 idle, 2 timed fights,
// 3 available, 4 connected, 5 opponent away, 6 away, 7 connecting; and the program's icon, the
// idle head alone, at the sizes a desktop asks for into resources/icons/app/ (app/*.svg is the
// same drawing by hand, for scalable use).
// Build with the "make_icons" target and run it from the source folder; the PNGs are committed.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

void head(QPainter& p, QPointF c, qreal s, QColor skin, bool sleepy)
{
    p.save();
    p.translate(c);
    p.scale(s, s);
    p.setPen(QPen(QColor(20, 40, 10), 1.2));
    p.setBrush(skin);
    QPainterPath ears;
    ears.moveTo(-9, -3); ears.lineTo(-15, -12); ears.lineTo(-4, -8); ears.closeSubpath();
    ears.moveTo(9, -3); ears.lineTo(15, -12); ears.lineTo(4, -8); ears.closeSubpath();
    p.drawPath(ears);
    p.drawEllipse(QPointF(0, 0), 10, 9);
    if (sleepy) {
        p.setPen(QPen(Qt::black, 1.4));
        p.drawLine(QPointF(-6, -2), QPointF(-2, -2));
        p.drawLine(QPointF(2, -2), QPointF(6, -2));
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 230, 40));
        p.drawEllipse(QPointF(-4, -2), 2.8, 2.4);
        p.drawEllipse(QPointF(4, -2), 2.8, 2.4);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(-3.5, -1.8), 1.1, 1.6);
        p.drawEllipse(QPointF(4.5, -1.8), 1.1, 1.6);
    }
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(QColor(120, 0, 0));
    QPainterPath mouth;
    mouth.moveTo(-5, 3); mouth.quadTo(0, 8, 5, 3); mouth.closeSubpath();
    p.drawPath(mouth);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(-3, 3.6), QPointF(-2, 5.4), QPointF(-1, 3.9)}));
    p.drawPolygon(QPolygonF({QPointF(1, 3.9), QPointF(2, 5.4), QPointF(3, 3.6)}));
    p.restore();
}

void badge(QPainter& p, QColor fill)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(fill);
    p.drawEllipse(QPointF(24.5, 24.5), 7, 7);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QColor green(70, 170, 50), grey(150, 160, 150), blue(60, 120, 220);
    for (int i = 1; i <= 7; ++i) {
        QImage img(32, 32, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        const bool away = i == 6;
        head(p, QPointF(14, 15), 1.15, away ? grey : green, away);
        switch (i) {
        case 2: // timed fights: a clock
            badge(p, Qt::white);
            p.setPen(QPen(Qt::black, 1.5));
            p.drawLine(QPointF(24.5, 24.5), QPointF(24.5, 19.5));
            p.drawLine(QPointF(24.5, 24.5), QPointF(28, 26));
            break;
        case 3: // available: a green light
            badge(p, QColor(40, 220, 60));
            p.setPen(QPen(Qt::white, 1.6));
            p.drawArc(QRectF(20.5, 20.5, 8, 8), 30 * 16, 120 * 16);
            break;
        case 4: // connected: the opponent's head
        case 5: // opponent away: the opponent asleep
            head(p, QPointF(24, 24), 0.62, i == 5 ? grey : blue, i == 5);
            if (i == 5) {
                p.setPen(QPen(Qt::white, 1.6));
                QFont f; f.setPixelSize(9); f.setBold(true);
                p.setFont(f);
                p.drawText(QRectF(22, 6, 10, 10), Qt::AlignCenter, QStringLiteral("z"));
            }
            break;
        case 6: // away: a moon
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 210, 60));
            p.drawEllipse(QPointF(25, 24), 6, 6);
            p.setBrush(QColor(40, 40, 80));
            p.drawEllipse(QPointF(27.5, 22), 5, 5);
            break;
        case 7: // connecting: three dots
            badge(p, QColor(255, 150, 30));
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            for (int k = -1; k <= 1; ++k)
                p.drawEllipse(QPointF(24.5 + 3.2 * k, 24.5), 1.3, 1.3);
            break;
        default:
            break;
        }
        p.end();
        img.save(QStringLiteral("resources/icons/tray%1.png").arg(i));
    }
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QImage img(size, size, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        head(p, QPointF(16, 17.5), 1.0, green, false);
        p.end();
        img.save(QStringLiteral("resources/icons/app/%1.png").arg(size));
    }
    return 0;
}
