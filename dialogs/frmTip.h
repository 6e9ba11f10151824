#pragma once

// Shows the first-run tip without waiting.
void ShowTipWindow();
