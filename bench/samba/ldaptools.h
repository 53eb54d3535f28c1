#pragma once

#include "config/ldapconfig.h"
#include "text/result.h"

#include <QString>
#include <QStringList>

// Runs ldapadd, ldapsearch or ldapmodify against the test DC as an administrator would type it:
// simple bind with the DC's administrator, its password from a file, TLS against the test CA. The
// tool's output is dropped; a failure carries what it wrote on its error output.
Status runLdapTool(const LdapConfig &config, const QString &program, const QStringList &arguments);
