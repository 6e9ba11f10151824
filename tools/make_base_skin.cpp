// Draws the base skin's pictures into resources/skins/base/: "sheet.png", the sprite sheet
// (700 x 200: seven 100 px attack frames over six death frames, transparent where the sheet
// will show the mask colour) and "pointer.cur", the fight's crosshair (32 x 32).
// tools/make_base_skin.sh builds and runs it and packs the skin.
//
// The enemy is a bigger, nastier fighting cousin of the tray icon's gremlin: it wakes up,
// grins, raises its pistol and fires it at the player; hit, it screams, drops the gun, keels
// over and lies dead while its ghost leaves.
#include <QDataStream>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cstdio>

namespace {

const QColor Outline(18, 38, 12);
const QColor Skin(76, 168, 48);
const QColor SkinDark(46, 118, 32);
const QColor Belly(150, 200, 92);
const QColor Cloth(112, 70, 36);
const QColor Metal(72, 78, 90);
const QColor MetalLight(140, 148, 160);
const QColor Blood(150, 0, 0);
const QColor BloodLight(205, 30, 20);

enum class Eyes { Open, Narrow, Wide, Dead };

struct Pose {
    qreal squash = 1.0;   // crouch: vertical scale of the body
    qreal tilt = 0;       // degrees, falling backwards to the right
    qreal aim = 0;        // 0 gun hanging down, 1 pointed at the player
    qreal flash = 0;      // muzzle flash, 0 none to 1 full
    qreal mouth = 0.3;    // 0 closed grin to 1 wide open
    Eyes eyes = Eyes::Open;
    qreal blood = 0;      // chest wound
    qreal droop = 0;      // ears hanging
    qreal puddle = 0;     // blood on the ground
    bool gunInHand = true;
    bool tongue = false;
    bool ghost = false;
    // The dropped gun, in frame coordinates (shown when not in hand and gunAngle >= 0).
    QPointF gunAt;
    qreal gunAngle = -1;
};

QPen outlinePen(qreal w = 1.6) { return QPen(Outline, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

// A pistol seen from the side, muzzle towards +x, grip at the origin.
void gunProfile(QPainter& p)
{
    p.setPen(outlinePen(1.2));
    p.setBrush(Metal);
    p.drawRoundedRect(QRectF(-4, -7, 18, 7), 1.5, 1.5);    // slide
    p.drawRect(QRectF(14, -6, 7, 4));                      // barrel
    p.drawRoundedRect(QRectF(-4, -1, 6, 9), 1.5, 1.5);     // grip
    p.setPen(Qt::NoPen);
    p.setBrush(MetalLight);
    p.drawRect(QRectF(-2, -6, 14, 1.6));
    p.setBrush(QColor(220, 40, 30));                        // a mean red sight
    p.drawEllipse(QPointF(10, -7.5), 1.4, 1.2);
}

// The same pistol pointed straight at the viewer: the bore looks back at you.
void gunFront(QPainter& p, qreal flash)
{
    p.setPen(outlinePen(1.2));
    p.setBrush(Metal);
    p.drawRoundedRect(QRectF(-9, -8, 18, 14), 3, 3);
    p.drawRoundedRect(QRectF(-4, 4, 8, 9), 2, 2);   // grip under it
    p.setBrush(MetalLight);
    p.drawEllipse(QPointF(0, -1), 6.5, 6.5);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(0, -1), 3.8, 3.8);
    if (flash <= 0)
        return;
    // The shot: a starburst that grows out of the bore.
    const QPointF c(0, -1);
    auto star = [&](qreal outer, qreal inner, const QColor& color, int spikes, qreal turn) {
        QPolygonF poly;
        for (int i = 0; i < spikes * 2; ++i) {
            const qreal r = (i % 2 ? inner : outer) * flash;
            const qreal a = turn + M_PI * i / spikes;
            poly << c + QPointF(r * qCos(a), r * qSin(a));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPolygon(poly);
    };
    star(34, 15, QColor(255, 120, 10), 11, 0.1);
    star(26, 12, QColor(255, 215, 40), 9, 0.35);
    star(15, 8, QColor(255, 250, 190), 7, 0.0);
    p.setBrush(Qt::white);
    p.drawEllipse(c, 6 * flash, 6 * flash);
}

void ear(QPainter& p, int side, qreal droop)
{
    const qreal tipX = side * (46 - 10 * droop);
    const qreal tipY = -88 + 34 * droop;
    QPainterPath e;
    e.moveTo(side * 17, -76);
    e.quadTo(side * 32, -84 + 12 * droop, tipX, tipY);
    e.quadTo(side * 30, -66 + 6 * droop, side * 15, -60);
    e.closeSubpath();
    p.setPen(outlinePen());
    p.setBrush(Skin);
    p.drawPath(e);
    QPainterPath inner;
    inner.moveTo(side * 19, -73);
    inner.quadTo(side * 31, -79 + 11 * droop, tipX - side * 7, tipY + 5);
    inner.quadTo(side * 28, -68 + 6 * droop, side * 18, -64);
    inner.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(188, 112, 78));
    p.drawPath(inner);
}

void eye(QPainter& p, int side, Eyes eyes)
{
    const QPointF c(side * 9, -69);
    if (eyes == Eyes::Dead) {
        p.setPen(QPen(Qt::black, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(-4, -4), c + QPointF(4, 4));
        p.drawLine(c + QPointF(-4, 4), c + QPointF(4, -4));
        return;
    }
    const qreal ry = eyes == Eyes::Narrow ? 2.6 : eyes == Eyes::Wide ? 7 : 5;
    const qreal rx = eyes == Eyes::Wide ? 7 : 6;
    p.setPen(outlinePen(1.2));
    p.setBrush(QColor(255, 226, 40));
    p.drawEllipse(c, rx, ry);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    if (eyes == Eyes::Wide)
        p.drawEllipse(c, 1.8, 1.8);            // shrunk to a dot in terror
    else
        p.drawEllipse(c + QPointF(-side * 1.2, 0), 1.5, ry * 0.85);   // a slit, looking at you
    if (eyes != Eyes::Wide) {
        // Angry brows slanting down to the nose.
        p.setPen(QPen(Outline, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(side * 17, -78), QPointF(side * 3, -73));
    } else {
        p.setPen(QPen(Outline, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(side * 15, -79), QPointF(side * 4, -80));
    }
}

void mouth(QPainter& p, qreal open, bool tongue)
{
    const qreal depth = 4 + 11 * open;
    QPainterPath m;
    m.moveTo(-15, -59);
    m.quadTo(0, -55, 15, -59);
    m.quadTo(8, -59 + depth * 1.4, 0, -59 + depth);
    m.quadTo(-8, -59 + depth * 1.4, -15, -59);
    p.setPen(outlinePen(1.4));
    p.setBrush(QColor(105, 0, 8));
    p.drawPath(m);
    if (tongue) {
        p.setBrush(QColor(220, 90, 90));
        p.drawEllipse(QRectF(-1, -56, 9, 12 + depth * 0.4));
    }
    // A row of crooked teeth and two fangs.
    p.setPen(QPen(Outline, 0.6));
    p.setBrush(QColor(250, 246, 220));
    for (int i = -5; i <= 5; ++i) {
        const qreal x = i * 2.5;
        const qreal top = -58.2 + qAbs(i) * 0.16;
        const qreal len = (i == -4 || i == 4) ? 5.5 + 2 * open : 2.6;
        p.drawPolygon(QPolygonF({QPointF(x - 1.2, top), QPointF(x + 1.2, top), QPointF(x, top + len)}));
    }
    if (open > 0.5) {   // lower fangs show when it roars
        for (int side : {-1, 1})
            p.drawPolygon(QPolygonF({QPointF(side * 6 - 1.3, -59 + depth), QPointF(side * 6 + 1.3, -59 + depth),
                                     QPointF(side * 6, -59 + depth - 4)}));
    }
}

void head(QPainter& p, const Pose& pose)
{
    ear(p, -1, pose.droop);
    ear(p, 1, pose.droop);
    p.setPen(outlinePen());
    p.setBrush(Skin);
    p.drawEllipse(QPointF(0, -66), 23, 19.5);
    // Shading under the jaw and warts on the scalp.
    p.setPen(Qt::NoPen);
    p.setBrush(SkinDark);
    p.drawChord(QRectF(-21, -74, 42, 26), 200 * 16, 140 * 16);
    for (QPointF w : {QPointF(-12, -80), QPointF(7, -83), QPointF(15, -76)})
        p.drawEllipse(w, 1.6, 1.3);
    // Nose.
    p.setBrush(SkinDark);
    p.setPen(outlinePen(1.0));
    p.drawEllipse(QPointF(0, -64), 4, 2.6);
    p.setPen(Qt::NoPen);
    p.setBrush(Outline);
    p.drawEllipse(QPointF(-1.6, -63.6), 0.8, 0.7);
    p.drawEllipse(QPointF(1.6, -63.6), 0.8, 0.7);
    eye(p, -1, pose.eyes);
    eye(p, 1, pose.eyes);
    mouth(p, pose.mouth, pose.tongue);
}

// One limb: a thick outlined stroke through the given points.
void limb(QPainter& p, const QPolygonF& points, qreal width)
{
    QPainterPath path;
    path.moveTo(points.first());
    for (int i = 1; i < points.size(); ++i)
        path.lineTo(points[i]);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Outline, width + 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(Skin, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

void claw(QPainter& p, QPointF at)
{
    p.setPen(outlinePen(1.2));
    p.setBrush(Skin);
    p.drawEllipse(at, 4.6, 4.2);
    p.setBrush(QColor(235, 230, 200));
    for (int k = -1; k <= 1; ++k)
        p.drawPolygon(QPolygonF({at + QPointF(k * 3 - 1, 3), at + QPointF(k * 3 + 1, 3), at + QPointF(k * 3.4, 7)}));
}

void body(QPainter& p, const Pose& pose)
{
    // Legs and clawed feet.
    for (int side : {-1, 1}) {
        limb(p, QPolygonF({QPointF(side * 9, -20), QPointF(side * 11, -4)}), 9);
        p.setPen(outlinePen());
        p.setBrush(SkinDark);
        p.drawEllipse(QPointF(side * 12, -2.5), 8, 3.5);
    }
    // Torso, belly, loincloth and an ammunition belt across the chest.
    p.setPen(outlinePen());
    p.setBrush(Skin);
    p.drawEllipse(QPointF(0, -34), 21, 17);
    p.setPen(Qt::NoPen);
    p.setBrush(Belly);
    p.drawEllipse(QPointF(0, -30), 12, 10);
    p.setPen(outlinePen(1.2));
    p.setBrush(Cloth);
    p.drawPolygon(QPolygonF({QPointF(-18, -24), QPointF(18, -24), QPointF(14, -12), QPointF(4, -15),
                             QPointF(0, -10), QPointF(-4, -15), QPointF(-14, -12)}));
    p.setPen(QPen(QColor(60, 40, 20), 4.5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(-16, -46), QPointF(17, -24));
    p.setPen(QPen(Outline, 0.5));
    p.setBrush(QColor(215, 170, 50));
    for (int k = 0; k < 5; ++k) {
        const QPointF c = QPointF(-12, -43.5) + QPointF(6.2, -4.1 * -1) * k;
        p.drawRect(QRectF(c.x() - 1, c.y() - 2.6, 2, 3.6));
    }
    if (pose.blood > 0) {
        // The hit: a wound on the chest and blood running from it.
        p.setPen(Qt::NoPen);
        p.setBrush(Blood);
        const qreal b = pose.blood;
        p.drawEllipse(QPointF(-5, -38), 5 * b + 2, 4.5 * b + 2);
        p.drawRoundedRect(QRectF(-7, -38, 3.5, 14 * b), 1.5, 1.5);
        p.drawRoundedRect(QRectF(-3, -37, 2.6, 9 * b), 1.2, 1.2);
        p.setBrush(BloodLight);
        p.drawEllipse(QPointF(-6, -39), 2 * b + 0.5, 1.6 * b + 0.5);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(-5, -38), 1.6, 1.6);
    }
}

void arms(QPainter& p, const Pose& pose)
{
    // The free arm hangs with its claws ready.
    limb(p, QPolygonF({QPointF(-18, -44), QPointF(-29, -32), QPointF(-27, -20)}), 7);
    claw(p, QPointF(-27, -18));
    // The gun arm swings from hanging down to straight at the player.
    const qreal a = pose.gunInHand ? pose.aim : 0;
    const QPointF shoulder(18, -44);
    const QPointF hand = QPointF(28, -18) * (1 - a) + QPointF(9, -40) * a;
    const QPointF elbow = QPointF(30, -31) * (1 - a) + QPointF(24, -38) * a;
    limb(p, QPolygonF({shoulder, elbow, hand}), 7);
    if (!pose.gunInHand) {
        claw(p, hand + QPointF(0, 2));
        return;
    }
    p.save();
    p.translate(hand);
    if (a < 0.8) {
        p.rotate(90 - 100 * a / 0.8);   // muzzle down, then swinging up past level
        gunProfile(p);
        p.restore();
        claw(p, hand);
    } else {
        claw(p, hand + QPointF(0, 5));
        gunFront(p, pose.flash);
        p.restore();
    }
}

void ghost(QPainter& p)
{
    // The soul leaving: a pale, wavy gremlin outline rising from the body.
    p.save();
    p.translate(64, 26);
    p.scale(0.42, 0.42);
    QPainterPath g;
    g.moveTo(-22, 10);
    g.cubicTo(-26, -40, 26, -40, 22, 10);
    g.lineTo(22, 30);
    for (int k = 0; k < 4; ++k)
        g.quadTo(16 - 11 * k, 40 - (k % 2) * 10, 11 - 11 * k, 30);
    g.closeSubpath();
    p.setPen(QPen(QColor(150, 190, 160), 3));
    p.setBrush(QColor(225, 245, 230));
    p.drawPath(g);
    for (int side : {-1, 1}) {
        p.drawPolygon(QPolygonF({QPointF(side * 16, -16), QPointF(side * 40, -34), QPointF(side * 20, -4)}));
        p.setPen(QPen(QColor(60, 80, 70), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(side * 10 - 4, -8), QPointF(side * 10 + 4, -8));
        p.setPen(QPen(QColor(150, 190, 160), 3));
    }
    p.setPen(QPen(QColor(255, 220, 90), 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, -36), 18, 5);   // halo, of all things
    p.restore();
}

void frame(QPainter& p, const Pose& pose)
{
    if (pose.puddle > 0) {
        p.setPen(Qt::NoPen);
        p.setBrush(Blood);
        p.drawEllipse(QPointF(56, 95.5), 34 * pose.puddle + 4, 3.5 * pose.puddle + 1);
    }
    // The body falls backwards about its feet; the feet slide left and the back comes down
    // to the ground, so a body lying flat still fits the frame.
    const qreal t = qBound(0.0, pose.tilt / 90.0, 1.0);
    p.save();
    p.translate(50 - 40 * t, 97 - 19 * t);
    p.rotate(pose.tilt);
    p.scale(0.93, 0.93 * pose.squash);   // a little room for the ears and the fall
    body(p, pose);
    arms(p, pose);
    head(p, pose);
    p.restore();
    if (!pose.gunInHand && pose.gunAngle >= 0) {
        p.save();
        p.translate(pose.gunAt);
        p.rotate(pose.gunAngle);
        gunProfile(p);
        p.restore();
    }
    if (pose.ghost)
        ghost(p);
}

// Draws one frame at four times the size and brings it down, then makes every pixel either
// fully opaque or fully transparent: the sheet has a mask colour, not an alpha channel.
QImage renderFrame(const Pose& pose)
{
    constexpr int Scale = 4;
    QImage big(100 * Scale, 100 * Scale, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(Scale, Scale);
        frame(p, pose);
    }
    QImage small = big.scaled(100, 100, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < small.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(small.scanLine(y));
        for (int x = 0; x < small.width(); ++x)
            line[x] = qAlpha(line[x]) >= 110 ? (line[x] | 0xFF000000u) : 0u;
    }
    return small;
}

QList<Pose> attackPoses()
{
    QList<Pose> poses(7);
    poses[0].squash = 0.86; poses[0].mouth = 0.05; poses[0].eyes = Eyes::Narrow;
    poses[1].squash = 0.95; poses[1].mouth = 0.35; poses[1].aim = 0.12;
    poses[2].mouth = 0.75; poses[2].aim = 0.4;
    poses[3].mouth = 0.45; poses[3].aim = 0.68; poses[3].eyes = Eyes::Narrow;
    poses[4].mouth = 0.25; poses[4].aim = 1; poses[4].eyes = Eyes::Narrow;
    poses[5].mouth = 0.7; poses[5].aim = 1; poses[5].flash = 0.35; poses[5].eyes = Eyes::Narrow;
    poses[6].mouth = 1; poses[6].aim = 1; poses[6].flash = 1; poses[6].tilt = -4;
    return poses;
}

QList<Pose> deathPoses()
{
    QList<Pose> poses(6);
    for (Pose& d : poses)
        d.gunInHand = false;
    poses[0].tilt = -4; poses[0].eyes = Eyes::Wide; poses[0].mouth = 1; poses[0].blood = 0.6;
    poses[0].gunAt = QPointF(74, 14); poses[0].gunAngle = 35;
    poses[1].tilt = 16; poses[1].eyes = Eyes::Wide; poses[1].mouth = 0.85; poses[1].blood = 0.85;
    poses[1].droop = 0.3; poses[1].gunAt = QPointF(86, 56); poses[1].gunAngle = 130;
    poses[2].tilt = 42; poses[2].eyes = Eyes::Dead; poses[2].mouth = 0.6; poses[2].blood = 1;
    poses[2].droop = 0.6; poses[2].gunAt = QPointF(91, 88); poses[2].gunAngle = 180;
    poses[3].tilt = 70; poses[3].eyes = Eyes::Dead; poses[3].mouth = 0.5; poses[3].blood = 1;
    poses[3].droop = 0.85; poses[3].puddle = 0.25; poses[3].gunAt = QPointF(91, 88); poses[3].gunAngle = 180;
    poses[4].tilt = 90; poses[4].eyes = Eyes::Dead; poses[4].mouth = 0.4; poses[4].blood = 1;
    poses[4].droop = 1; poses[4].puddle = 0.6; poses[4].tongue = true;
    poses[5] = poses[4];
    poses[5].puddle = 1; poses[5].ghost = true;
    return poses;
}

// A ".cur" file: one 32 x 32 true-colour image with its AND mask and the hot spot.
bool writeCursor(const QImage& image, int hotX, int hotY, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    const int w = image.width(), h = image.height();
    const int maskStride = ((w + 31) / 32) * 4;
    const quint32 bytes = 40 + quint32(w * h * 4 + maskStride * h);
    out << quint16(0) << quint16(2) << quint16(1);
    out << quint8(w) << quint8(h) << quint8(0) << quint8(0) << quint16(hotX) << quint16(hotY)
        << bytes << quint32(22);
    out << quint32(40) << qint32(w) << qint32(h * 2) << quint16(1) << quint16(32) << quint32(0)
        << quint32(w * h * 4 + maskStride * h) << qint32(0) << qint32(0) << quint32(0) << quint32(0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const QRgb c = image.pixel(x, y);
            out << quint8(qBlue(c)) << quint8(qGreen(c)) << quint8(qRed(c)) << quint8(qAlpha(c));
        }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(maskStride, 0);
        for (int x = 0; x < w; ++x)
            if (qAlpha(image.pixel(x, y)) == 0)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        out.writeRawData(row.constData(), row.size());
    }
    return out.status() == QDataStream::Ok;
}

QImage crosshair()
{
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(15.5, 15.5);
    for (int pass = 0; pass < 2; ++pass) {
        // A white rim under the red lines keeps the sight visible on any desktop.
        const QPen pen(pass == 0 ? QColor(255, 255, 255, 230) : QColor(220, 20, 20), pass == 0 ? 3.4 : 1.6);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 9, 9);
        p.drawLine(c + QPointF(0, -15), c + QPointF(0, -4));
        p.drawLine(c + QPointF(0, 4), c + QPointF(0, 15));
        p.drawLine(c + QPointF(-15, 0), c + QPointF(-4, 0));
        p.drawLine(c + QPointF(4, 0), c + QPointF(15, 0));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 20, 20));
    p.drawEllipse(c, 1.3, 1.3);
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources/skins/base");
    QImage sheet(700, 200, QImage::Format_ARGB32);
    sheet.fill(Qt::transparent);
    {
        QPainter p(&sheet);
        const QList<Pose> attack = attackPoses();
        for (int i = 0; i < attack.size(); ++i)
            p.drawImage(i * 100, 0, renderFrame(attack[i]));
        const QList<Pose> death = deathPoses();
        for (int i = 0; i < death.size(); ++i)
            p.drawImage(i * 100, 100, renderFrame(death[i]));
    }
    if (!sheet.save(out + QStringLiteral("/sheet.png"))) {
        std::fprintf(stderr, "cannot write the sprite sheet\n");
        return 1;
    }
    if (!writeCursor(crosshair(), 15, 15, out + QStringLiteral("/pointer.cur"))) {
        std::fprintf(stderr, "cannot write the pointer\n");
        return 1;
    }
    return 0;
}
