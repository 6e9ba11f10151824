#include "platform/SysInfo.h"

#include <QGuiApplication>
#include <QStyleHints>

namespace platform {

SysInfo::SysInfo(QObject* parent) : QObject(parent) {}
SysInfo::~SysInfo() = default;

int SysInfo::DoubleClickTime()
{
    return QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

} // namespace platform
