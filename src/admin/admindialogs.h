#pragma once

struct Services;

// Makes the dialogs of group and account administration known to the dialog host:
// "ajoutusergrp", "ajoututilform", "suputilform", "deverouillage".
void defineAdminDialogs(Services &services);
