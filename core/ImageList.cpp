#include "core/ImageList.h"

void ImageList::Add(const QPixmap& picture, const QString& tag, QPoint hotSpot)
{
    m_items.append(Item{picture, tag, hotSpot});
}

const ImageList::Item& ImageList::ListImage(int index) const
{
    static const Item empty;
    if (index < 1 || index > m_items.size())
        return empty;
    return m_items.at(index - 1);
}
