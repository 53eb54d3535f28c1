#include "toolsdialogs.h"

#include "services.h"

void defineToolsDialogs(Services &services)
{
    Q_UNUSED(services);
}
