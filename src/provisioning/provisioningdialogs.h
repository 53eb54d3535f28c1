#pragma once

struct Services;

// Makes the enrolment and removal dialogs known to the dialog host:
// "ajouteleve", "ajoutprof", "suppprof", "suppeleves", "verifeleves".
void defineProvisioningDialogs(Services &services);
