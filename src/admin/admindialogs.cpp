#include "admindialogs.h"

#include "services.h"

void defineAdminDialogs(Services &services)
{
    Q_UNUSED(services);
}
