#pragma once
#include <QPoint>

// The mouse pointer in the fight's coordinates: device pixels of the primary screen, origin at
// its top-left corner (the fight window and its snapshot cover exactly that screen).
namespace ScreenPointer {

QPoint Pos();
// False where the window system lets no program move the pointer (Wayland).
bool SetPos(int x, int y);
// Device pixels per logical pixel of the primary screen (1 unless the screen is scaled).
double Ratio();

} // namespace ScreenPointer
