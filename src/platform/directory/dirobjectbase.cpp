#include "dirobjectbase.h"

#include "directorypath.h"

#include <QDateTime>

DirObjectBase::DirObjectBase(QString server, Kind kind, QString name)
    : m_server(std::move(server))
    , m_kind(kind)
    , m_name(std::move(name))
{
}

QString DirObjectBase::adsPath() const
{
    if (m_kind == Kind::Container)
        return QStringLiteral("WinNT://") + m_server;
    return DirNames::objectPath(m_server, m_name);
}

Status DirObjectBase::needContainer() const
{
    if (m_kind == Kind::Container)
        return {};
    return Status::failure(QStringLiteral("« %1 » n'est pas un conteneur de l'annuaire.").arg(m_name));
}

Status DirObjectBase::needStoredGroup(bool stored) const
{
    if (m_kind != Kind::Group)
        return Status::failure(QStringLiteral("« %1 » n'est pas un groupe.").arg(m_name));
    if (!stored)
        return Status::failure(
            QStringLiteral("Le groupe « %1 » n'est pas encore enregistré dans l'annuaire.").arg(m_name));
    return {};
}

Status DirObjectBase::needUser() const
{
    if (m_kind != Kind::User)
        return Status::failure(QStringLiteral("Seul un compte d'utilisateur a un mot de passe."));
    return {};
}

Status DirObjectBase::canCreate(Kind kind, const QString &name)
{
    if (kind == Kind::Container)
        return Status::failure(QStringLiteral("Seuls un compte ou un groupe peuvent être créés dans l'annuaire."));
    return DirNames::checkName(kind, name);
}

Result<QString> DirObjectBase::classToDelete(Kind kind)
{
    if (kind == Kind::Container)
        return Result<QString>::failure(
            QStringLiteral("Seuls un compte ou un groupe peuvent être supprimés de l'annuaire."));
    return classNameOf(kind);
}

Result<QVariant> DirObjectBase::get(DirProperty property)
{
    if (Status s = carries(property); !s)
        return s;
    if (const auto own = ownValue(property))
        return *own;
    const QHash<DirProperty, QVariant> &pending = pendingValues();
    if (const auto found = pending.constFind(property); found != pending.cend())
        return *found;
    if (!isStored())
        return defaultValue(property);
    return storedValue(property);
}

Status DirObjectBase::put(DirProperty property, const QVariant &value)
{
    if (Status s = carries(property); !s)
        return s;
    const auto kept = valueToPut(property, value);
    if (!kept)
        return kept.status();
    pendingValues().insert(property, *kept);
    return {};
}

QList<DirListed> DirObjectBase::listing(const QList<DirListed> &filter)
{
    if (filter.isEmpty())
        return {DirListed::User, DirListed::Group};
    QList<DirListed> classes;
    for (const DirListed wanted : filter) {
        if (!classes.contains(wanted))
            classes.append(wanted);
    }
    return classes;
}

std::optional<QVariant> DirObjectBase::ownValue(DirProperty property) const
{
    switch (property) {
    case DirProperty::Name:
        return QVariant(name());
    case DirProperty::Class:
        return QVariant(className());
    case DirProperty::ADsPath:
        return QVariant(adsPath());
    default:
        return std::nullopt;
    }
}

Result<QVariant> DirObjectBase::valueToPut(DirProperty property, const QVariant &value)
{
    const QString asked = propertyName(property);
    switch (property) {
    case DirProperty::Name:
    case DirProperty::Class:
    case DirProperty::ADsPath:
    case DirProperty::LastLogin:
        return Result<QVariant>::failure(QStringLiteral("La propriété « %1 » est en lecture seule.").arg(asked));
    case DirProperty::GroupType: {
        bool ok = false;
        const int type = value.toInt(&ok);
        if (!ok || (type != globalGroupType && type != domainLocalGroupType))
            return Result<QVariant>::failure(
                QStringLiteral("Type de groupe non pris en charge : « %1 » (%2 pour un groupe global).")
                    .arg(value.toString())
                    .arg(globalGroupType));
        return QVariant(type);
    }
    case DirProperty::IsAccountLocked:
        // Only failed logons lock an account; the administrator can only unlock it.
        if (value.toBool())
            return Result<QVariant>::failure(
                QStringLiteral("Un compte ne peut pas être verrouillé à la main, seulement déverrouillé."));
        return QVariant(false);
    default:
        if (value.isValid() && !value.canConvert<QString>())
            return Result<QVariant>::failure(QStringLiteral("La propriété « %1 » attend un texte.").arg(asked));
        return QVariant(value.toString());
    }
}

QVariant DirObjectBase::defaultValue(DirProperty property)
{
    switch (property) {
    case DirProperty::GroupType:
        return globalGroupType;
    case DirProperty::IsAccountLocked:
        return false;
    case DirProperty::LastLogin:
        return QDateTime();
    default:
        return QString();
    }
}
