#pragma once

#include "directory.h"

#include <QString>

#include <memory>

class PathResolver;

// The directory the program works on, chosen by the program folder's configuration: the embedded
// store "annuaire.db" unless "annuaire.conf" points elsewhere. A directory that cannot be opened
// still comes back, failing every call with the reason, which is also given in *problem.
std::unique_ptr<Directory> openDirectory(const PathResolver &paths, QString *problem = nullptr);
