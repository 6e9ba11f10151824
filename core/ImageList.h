#pragma once
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QVector>

// A list of pictures addressed from 1, each with a tag text and, for pointers, a hot spot.
class ImageList {
public:
    struct Item {
        QPixmap Picture;
        QString Tag;
        QPoint HotSpot;
    };
    void Add(const QPixmap& picture, const QString& tag = QString(), QPoint hotSpot = QPoint());
    int Count() const { return m_items.size(); }
    // 1-based; an index out of range yields an empty item.
    const Item& ListImage(int index) const;

private:
    QVector<Item> m_items;
};
