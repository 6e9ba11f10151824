#pragma once
// A horizontal slider that keeps and paints a selected range (start and length) apart from
// its thumb. The mouse sets the range: a press with Shift held fixes the start at the
// thumb's value; releasing with Shift held sets the length to the distance covered;
// releasing without Shift collapses the range to its start. While the thumb is dragged, its
// tooltip shows the value in whole minutes.
#include <QSlider>

class RangeSlider : public QSlider {
    Q_OBJECT
public:
    explicit RangeSlider(QWidget* parent = nullptr);

    int SelStart() const { return m_selStart; }
    int SelLength() const { return m_selLength; }
    void setSelStart(int start);
    void setSelLength(int length);

    // The thumb's centre in widget coordinates, for a given value.
    QPoint HandleCentre(int value) const;

    // The mouse rules on their own, as the press and release handlers apply them to the
    // thumb's value at that moment.
    void ApplyPress(bool shift);
    void ApplyRelease(bool shift);

signals:
    void rangeChanged(int start, int length);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showMinutes(int value);
    int m_selStart = 0;
    int m_selLength = 0;
};
