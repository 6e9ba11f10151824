#include "shell/frmMain.h"

void frmMain::SysInfo_DeviceArrival() {}
void frmMain::SysInfo_DeviceRemoveComplete() {}
void frmMain::SysInfo_DisplayChanged() {}
void frmMain::SysInfo_PowerSuspend() {}
void frmMain::SysInfo_PowerResume() {}
void frmMain::SysInfo_SettingChanged(int) {}
