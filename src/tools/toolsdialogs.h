#pragma once

struct Services;

// Makes the maintenance dialogs known to the dialog host: "mails", "diruse", "suppmail".
void defineToolsDialogs(Services &services);
