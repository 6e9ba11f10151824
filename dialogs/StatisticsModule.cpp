#include "dialogs/StatisticsModule.h"

#include "core/Logging.h"
#include "core/modGremlok.h"
#include "dialogs/DialogFights.h"
#include "dialogs/frmStatistics.h"
#include "platform/OptionalModule.h"
#include "platform/Trace.h"

#include <QDialog>
#include <QMessageBox>

namespace modGremlok {

int ShowStatistics(QWidget* owner)
{
    static platform::OptionalModule statistics(QStringLiteral("gremlok_statistics"));
    const auto show = statistics.Function<decltype(&gremlok_statistics_show)>("gremlok_statistics_show");
    if (show)
        return show(owner);
    qCWarning(lcDialogs) << "no Statistics window:" << statistics.ErrorString();
    platform::Trace("statistics", QStringLiteral("not loaded"));
    // Held like any dialog of the program: no timed fight over the message.
    SuspendAutomaticFights();
    QMessageBox::critical(owner, AppTitle,
                          QStringLiteral("The statistics could not be loaded.\n\n%1").arg(statistics.ErrorString()));
    RearmAutomaticFights();
    return QDialog::Rejected;
}

} // namespace modGremlok
