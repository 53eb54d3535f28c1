#include "provisioningdialogs.h"

#include "services.h"

void defineProvisioningDialogs(Services &services)
{
    Q_UNUSED(services);
}
