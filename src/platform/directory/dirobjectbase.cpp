#include "dirobjectbase.h"

#include "directorypath.h"

#include <QDateTime>

DirObjectBase::DirObjectBase(QString server, Kind kind, QString name)
    : m_server(std::move(server))
    , m_kind(kind)
    , m_name(std::move(name))
{
}

QString DirObjectBase::className() const
{
    switch (m_kind) {
    case Kind::Container:
        return QStringLiteral("Domain");
    case Kind::User:
        return QStringLiteral("User");
    case Kind::Group:
        return QStringLiteral("Group");
    }
    return {};
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

Result<DirObjectBase::Kind> DirObjectBase::kindToCreate(const QString &className, const QString &name)
{
    auto canonical = knownClass(className);
    if (!canonical)
        return canonical.status();
    if (Status s = DirNames::checkName(*canonical, name); !s)
        return s;
    return kindOf(*canonical);
}

Result<QString> DirObjectBase::knownClass(const QString &className)
{
    const QString canonical = DirNames::canonicalClass(className);
    if (canonical.isEmpty())
        return Result<QString>::failure(QStringLiteral("Classe d'objet inconnue : « %1 ».").arg(className));
    return canonical;
}

Result<DirProperty> DirObjectBase::property(const QString &asked) const
{
    const auto known = propertyNamed(asked);
    if (!known)
        return Result<DirProperty>::failure(QStringLiteral("Propriété inconnue : « %1 ».").arg(asked));
    if (Status s = propertyApplies(m_kind, *known, asked, m_name); !s)
        return s;
    return *known;
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

Result<QVariant> DirObjectBase::valueToPut(DirProperty property, const QVariant &value, const QString &asked)
{
    switch (property) {
    case DirProperty::Name:
    case DirProperty::Class:
    case DirProperty::ADsPath:
    case DirProperty::LastLogin:
        return Result<QVariant>::failure(QStringLiteral("La propriété « %1 » est en lecture seule.").arg(asked));
    case DirProperty::GroupType: {
        bool ok = false;
        const int type = value.toInt(&ok);
        // 2: global group, 4: domain local group.
        if (!ok || (type != 2 && type != 4))
            return Result<QVariant>::failure(
                QStringLiteral("Type de groupe non pris en charge : « %1 » (2 pour un groupe global).")
                    .arg(value.toString()));
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
        return 2;
    case DirProperty::IsAccountLocked:
        return false;
    case DirProperty::LastLogin:
        return QDateTime();
    default:
        return QString();
    }
}
