#include "dialogs/frmTip.h"

void ShowTipWindow() {}
