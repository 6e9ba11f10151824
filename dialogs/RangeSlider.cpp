#include "dialogs/RangeSlider.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>

RangeSlider::RangeSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setTickPosition(QSlider::TicksBelow);
    connect(this, &QSlider::sliderMoved, this, &RangeSlider::showMinutes);
}

void RangeSlider::setSelStart(int start)
{
    if (start == m_selStart)
        return;
    m_selStart = start;
    update();
    emit rangeChanged(m_selStart, m_selLength);
}

void RangeSlider::setSelLength(int length)
{
    if (length == m_selLength)
        return;
    m_selLength = length;
    update();
    emit rangeChanged(m_selStart, m_selLength);
}

void RangeSlider::ApplyPress(bool shift)
{
    if (!shift)
        return;
    setSelStart(value());
    setSelLength(0);
}

void RangeSlider::ApplyRelease(bool shift)
{
    if (!shift) {
        setSelLength(0);
        return;
    }
    // A thumb left of the start would give a negative length: the range stays as it is.
    const int length = value() - m_selStart;
    if (length >= 0)
        setSelLength(length);
}

void RangeSlider::mousePressEvent(QMouseEvent* event)
{
    QSlider::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        ApplyPress(event->modifiers() & Qt::ShiftModifier);
}

void RangeSlider::mouseReleaseEvent(QMouseEvent* event)
{
    QSlider::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        ApplyRelease(event->modifiers() & Qt::ShiftModifier);
}

void RangeSlider::showMinutes(int value)
{
    const QString text = QStringLiteral("%1 minutes").arg(value / 60);
    setToolTip(text);
    QToolTip::showText(mapToGlobal(HandleCentre(value) - QPoint(0, height() / 2)), text, this);
}

QPoint RangeSlider::HandleCentre(int v) const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    const int x = groove.x() + handle.width() / 2
        + QStyle::sliderPositionFromValue(minimum(), maximum(), v, span, opt.upsideDown);
    return QPoint(x, handle.center().y());
}

void RangeSlider::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QStyleOptionSlider opt;
    initStyleOption(&opt);

    // Groove and ticks first, then the selected range inside the groove, the thumb on top.
    // Some styles fill the groove up to the thumb; with the thumb drawn at the minimum for
    // this pass, only the selected range shows as filled.
    QStyleOptionSlider grooveOpt = opt;
    grooveOpt.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderTickmarks;
    grooveOpt.sliderPosition = grooveOpt.sliderValue = minimum();
    style()->drawComplexControl(QStyle::CC_Slider, &grooveOpt, &p, this);

    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const int start = std::clamp(m_selStart, minimum(), maximum());
    const int end = std::clamp(m_selStart + m_selLength, minimum(), maximum());
    const int x0 = HandleCentre(start).x();
    const int x1 = HandleCentre(end).x();
    const int h = std::max(3, groove.height() / 2);
    const QRect band(x0 - 1, groove.center().y() - h / 2, x1 - x0 + 3, h);
    const QColor fill = isEnabled() ? palette().color(QPalette::Highlight) : palette().color(QPalette::Mid);
    p.fillRect(band, fill);

    opt.subControls = QStyle::SC_SliderHandle;
    if (isSliderDown())
        opt.activeSubControls = QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &p, this);
}
