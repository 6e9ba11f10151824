#include "fight/FightResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initFightQrc()
{
    Q_INIT_RESOURCE(fight);
}

void InitFightResources()
{
    initFightQrc();
}
