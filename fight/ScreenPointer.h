#pragma once
#include <QPoint>

// The mouse pointer in the fight's coordinates: device pixels of the primary screen, origin at
// its top-left corner (the fight window and its snapshot cover exactly that screen).
namespace ScreenPointer {

QPoint Pos();
void SetPos(int x, int y);
// Device pixels per logical pixel of the primary screen (1 unless the screen is scaled).
double Ratio();

} // namespace ScreenPointer
