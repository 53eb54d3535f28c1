#include "provisioningdialogs.h"

#include "ajouteleve.h"
#include "ajoutprof.h"
#include "program/services.h"
#include "suppeleves.h"
#include "suppprof.h"
#include "ui/dialoghost.h"
#include "verifeleves.h"

void defineProvisioningDialogs(Services &services)
{
    services.dialogs->define(QStringLiteral("ajouteleve"), [&services] { return AjoutEleve::open(services); });
    services.dialogs->define(QStringLiteral("ajoutprof"), [&services] { return AjoutProf::open(services); });
    services.dialogs->define(QStringLiteral("suppprof"), [&services] { return SuppProf::open(services); });
    services.dialogs->define(QStringLiteral("suppeleves"), [&services] { return SuppEleves::open(services); });
    services.dialogs->define(QStringLiteral("verifeleves"), [&services] { return VerifEleves::open(services); });
}
