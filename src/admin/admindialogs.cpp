#include "admindialogs.h"

#include "ajoutusergrp.h"
#include "ajoututilform.h"
#include "deverouillage.h"
#include "program/services.h"
#include "suputilform.h"
#include "ui/dialoghost.h"

void defineAdminDialogs(Services &services)
{
    DialogHost &dialogs = *services.dialogs;
    dialogs.define(QStringLiteral("ajoutusergrp"), [&services] { return AjoutUserGrp::open(services); });
    dialogs.define(QStringLiteral("ajoututilform"), [&services] { return AjoutUtilForm::open(services); });
    dialogs.define(QStringLiteral("suputilform"), [&services] { return SupUtilForm::open(services); });
    dialogs.define(QStringLiteral("deverouillage"), [&services]() -> QWidget * {
        auto *dialog = new Deverouillage(services);
        dialog->load();
        return dialog;
    });
}
