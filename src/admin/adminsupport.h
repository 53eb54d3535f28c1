#pragma once

#include "text/result.h"

#include <QString>

// What the panel and the dialogs of group and account administration share: how they word a failure
// and quote a name in their messages.
namespace AdminSupport {

// The text of a box that reports a failure which stopped an action: what did not happen, then why.
QString stopMessage(const QString &what, const Status &failure);

// "« name »", the way names are quoted in messages.
QString quoted(const QString &name);

} // namespace AdminSupport
