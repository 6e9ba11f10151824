#pragma once
#include <QPoint>

class QScreen;

// The mouse pointer in the fight's coordinates: device pixels of the fight's screen, origin at
// its top-left corner (the fight window and its snapshot cover exactly that screen).
namespace ScreenPointer {

// The screen the fight covers: the one ChooseScreen() picked, the primary one before that or
// once the picked one has gone.
QScreen* Screen();
// Makes the screen under the pointer the fight's screen and returns it.
QScreen* ChooseScreen();

QPoint Pos();
// The pointer's device pixel exactly, where the window system tells it (X11); false elsewhere.
bool DevicePos(QPoint& position);
// False where the window system lets no program move the pointer (Wayland).
bool SetPos(int x, int y);
// Device pixels per logical pixel of the fight's screen (1 unless the screen is scaled).
double Ratio();

} // namespace ScreenPointer
