#include "adminsupport.h"

namespace AdminSupport {

QString stopMessage(const QString &what, const Status &failure)
{
    if (failure.message().isEmpty())
        return what;
    return what + u'\r' + failure.message();
}

QString quoted(const QString &name)
{
    return QStringLiteral("« ") + name + QStringLiteral(" »");
}

} // namespace AdminSupport
