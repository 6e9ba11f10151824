#include "fight/frmDesktop.h"

frmDesktop::frmDesktop() = default;
frmDesktop::~frmDesktop() = default;

void frmDesktop::Show()
{
}
