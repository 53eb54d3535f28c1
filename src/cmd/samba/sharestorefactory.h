#pragma once

#include "cmd/sharestore.h"

#include <memory>

class PathResolver;

// Where the interpreter keeps shares: in the domain controller's Samba when the program folder's
// "annuaire.conf" names its smb.conf ("sambaconf"), else in the program folder's own list.
std::unique_ptr<ShareStore> openShareStore(const PathResolver &paths);
