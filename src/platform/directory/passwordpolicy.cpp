#include "passwordpolicy.h"

#include <QStringList>

namespace {

constexpr int kindsForComplexity = 3;

// The kinds of characters a complex password mixes, as the domain counts them.
int kindsIn(const QString &characters)
{
    bool upper = false;
    bool lower = false;
    bool digit = false;
    bool other = false;
    for (const QChar c : characters) {
        if (c.isUpper())
            upper = true;
        else if (c.isLower())
            lower = true;
        else if (c.isDigit())
            digit = true;
        else
            other = true;
    }
    return int(upper) + int(lower) + int(digit) + int(other);
}

qint64 days(std::chrono::seconds age)
{
    return std::chrono::duration_cast<std::chrono::days>(age).count();
}

} // namespace

bool PasswordPolicy::admits(int length, const QString &alphabet) const
{
    if (length < minimumLength)
        return false;
    if (complexity && (kindsIn(alphabet) < kindsForComplexity || length < kindsForComplexity))
        return false;
    return true;
}

QString PasswordPolicy::demands() const
{
    QStringList parts;
    if (minimumLength > 0)
        parts << QStringLiteral("au moins %1 caractères").arg(minimumLength);
    if (complexity)
        parts << QStringLiteral("des caractères de trois sortes parmi majuscules, minuscules, chiffres et symboles");
    if (parts.isEmpty())
        return QStringLiteral("aucune longueur ni sorte de caractères");
    return parts.join(QStringLiteral(" et "));
}

QString PasswordPolicy::origin() const
{
    switch (source) {
    case Source::Domain:
        return QStringLiteral("la stratégie de mots de passe du domaine");
    case Source::Group:
        return QStringLiteral("la stratégie de mots de passe « %1 »").arg(name);
    case Source::None:
        break;
    }
    return QStringLiteral("aucune stratégie de mots de passe");
}

QString groupPolicyName(const QString &group)
{
    return QStringLiteral("velmar-") + group;
}

QString groupPolicyByHand(const QString &group, const PasswordPolicy &settings)
{
    const QString name = groupPolicyName(group);
    return QStringLiteral("samba-tool domain passwordsettings pso create %1 %2 --min-pwd-length=%3 --complexity=%4 "
                          "--history-length=%5 --min-pwd-age=%6 --max-pwd-age=%7")
               .arg(name)
               .arg(kGroupPolicyPrecedence)
               .arg(settings.minimumLength)
               .arg(settings.complexity ? QStringLiteral("on") : QStringLiteral("off"))
               .arg(settings.historyLength)
               .arg(days(settings.minimumAge))
               .arg(days(settings.maximumAge))
        + u'\r' + QStringLiteral("samba-tool domain passwordsettings pso apply %1 %2").arg(name, group);
}
