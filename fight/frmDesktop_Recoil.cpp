#include "fight/frmDesktop.h"

#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <algorithm>
#include <cmath>

void frmDesktop::DrawRecoil(int dx, int dy)
{
    // A kick during a kick starts from the resting pointer, not from the kicked one.
    const bool kicked = m_kickedCursorKey != 0 && cursor().pixmap().cacheKey() == m_kickedCursorKey;
    if (!kicked)
        m_restingCursor = cursor();
    const QPixmap picture = m_restingCursor.pixmap();
    if (picture.isNull() || (dx == 0 && dy == 0))
        return;

    // The same picture on a larger transparent sheet, drawn off its hot spot by the kick: the
    // player sees the pointer jump while the window system keeps it where it is.
    const qreal ratio = picture.devicePixelRatio() > 0 ? picture.devicePixelRatio() : 1.0;
    const QPointF shift(dx / m_dpr, dy / m_dpr);
    const int pad = int(std::ceil(std::max(std::abs(shift.x()), std::abs(shift.y()))));
    const QSizeF logical = QSizeF(picture.size()) / ratio;
    QPixmap sheet((QSizeF(logical.width() + 2 * pad, logical.height() + 2 * pad) * ratio).toSize());
    sheet.setDevicePixelRatio(ratio);
    sheet.fill(Qt::transparent);
    QPainter p(&sheet);
    p.drawPixmap(QPointF(pad + shift.x(), pad + shift.y()), picture);
    p.end();
    const QPoint hot = m_restingCursor.hotSpot();
    setCursor(QCursor(sheet, hot.x() + pad, hot.y() + pad));
    m_kickedCursorKey = cursor().pixmap().cacheKey();

    const int serial = ++m_recoilSerial;
    QTimer::singleShot(RecoilMs, Qt::PreciseTimer, this, [this, serial] {
        // Only the latest kick puts the pointer back, and only if nothing else changed it since.
        if (serial != m_recoilSerial || cursor().pixmap().cacheKey() != m_kickedCursorKey)
            return;
        setCursor(m_restingCursor);
        m_kickedCursorKey = 0;
    });
}
