#include "ldapconfig.h"

#include "text/controlcharacters.h"
#include "text/pathresolver.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

const QString fileName = QStringLiteral("annuaire.conf");

QString inFolder(const QString &path, const QString &folder)
{
    // Only "/" starts a path of this machine: Qt's own helpers would also take ":name" for one of its
    // resources and leave it out of the folder.
    if (path.isEmpty() || path.startsWith(u'/'))
        return path;
    return folder + u'/' + path;
}

Status lineFailure(int line, const QString &what)
{
    return Status::failure(QStringLiteral("%1, ligne %2 : %3").arg(fileName).arg(line).arg(what));
}

} // namespace

std::optional<Result<LdapConfig>> LdapConfig::ofProgramFolder(const PathResolver &paths)
{
    const QString folder = paths.programFolder();
    const QString file = paths.toHost(folder + QStringLiteral("\\annuaire.conf"));
    if (!QFileInfo::exists(file))
        return std::nullopt;
    return read(file, folder);
}

Result<LdapConfig> LdapConfig::read(const QString &hostFile, const QString &programFolder)
{
    QFile file(hostFile);
    if (!file.open(QIODevice::ReadOnly))
        return Result<LdapConfig>::failure(
            QStringLiteral("Le fichier « %1 » ne peut pas être lu : %2.").arg(fileName, file.errorString()));
    return parse(file.readAll(), programFolder);
}

Result<LdapConfig> LdapConfig::parse(const QByteArray &text, const QString &programFolder)
{
    LdapConfig config;
    QStringList seen;
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = QString::fromUtf8(lines[i]);
        // A comment starts at a "#" that begins the line or follows a blank; a "#" inside a value stays.
        for (qsizetype at = line.indexOf(u'#'); at >= 0; at = line.indexOf(u'#', at + 1)) {
            if (at == 0 || line[at - 1].isSpace()) {
                line.truncate(at);
                break;
            }
        }
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            return lineFailure(i + 1, QStringLiteral("« clé=valeur » attendu."));
        const QString key = line.left(equals).trimmed().toLower();
        const QString value = line.mid(equals + 1).trimmed();
        if (seen.contains(key))
            return lineFailure(i + 1, QStringLiteral("la clé « %1 » est donnée deux fois.").arg(key));
        // Values go to the LDAP library and to Samba as they stand: one that a NUL would cut, or a
        // line break or a tab would split, is refused like an unknown key.
        if (ControlCharacters::any(value))
            return lineFailure(i + 1,
                QStringLiteral("la valeur de « %1 » contient un caractère de contrôle.")
                    .arg(ControlCharacters::escaped(key)));
        seen.append(key);
        if (key == QStringLiteral("uri"))
            config.uri = value;
        else if (key == QStringLiteral("base"))
            config.base = value;
        else if (key == QStringLiteral("realm"))
            config.realm = value;
        else if (key == QStringLiteral("binddn"))
            config.bindDn = value;
        else if (key == QStringLiteral("passwordfile"))
            config.passwordFile = inFolder(value, programFolder);
        else if (key == QStringLiteral("cafile"))
            config.caFile = inFolder(value, programFolder);
        else if (key == QStringLiteral("sambaconf"))
            config.sambaConf = inFolder(value, programFolder);
        else if (key == QStringLiteral("tls")) {
            if (value.compare(QStringLiteral("demand"), Qt::CaseInsensitive) == 0)
                config.verifyServer = true;
            else if (value.compare(QStringLiteral("never"), Qt::CaseInsensitive) == 0)
                config.verifyServer = false;
            else
                return lineFailure(
                    i + 1, QStringLiteral("« tls » vaut « demand » ou « never », pas « %1 ».").arg(value));
        } else {
            return lineFailure(i + 1, QStringLiteral("clé inconnue « %1 ».").arg(key));
        }
    }

    const auto missing = [](const QString &key) {
        return Result<LdapConfig>::failure(QStringLiteral("%1 : la clé « %2 » manque ou est vide.").arg(fileName, key));
    };
    if (config.uri.isEmpty())
        return missing(QStringLiteral("uri"));
    if (!config.uri.startsWith(QStringLiteral("ldaps://"), Qt::CaseInsensitive)
        && !config.uri.startsWith(QStringLiteral("ldap://"), Qt::CaseInsensitive))
        return Result<LdapConfig>::failure(
            QStringLiteral("%1 : « uri » commence par ldaps:// ou ldap://, pas « %2 ».").arg(fileName, config.uri));
    if (config.uri.contains(u' '))
        return Result<LdapConfig>::failure(QStringLiteral("%1 : « uri » ne désigne qu'un serveur.").arg(fileName));
    if (config.base.isEmpty())
        return missing(QStringLiteral("base"));
    if (config.bindDn.isEmpty())
        return missing(QStringLiteral("binddn"));
    if (config.passwordFile.isEmpty())
        return missing(QStringLiteral("passwordfile"));
    if (config.realm.isEmpty())
        config.realm = realmFromBase(config.base);
    if (config.realm.isEmpty())
        return missing(QStringLiteral("realm"));
    return config;
}

QString LdapConfig::realmFromBase(const QString &base)
{
    QStringList parts;
    for (const QString &rdn : base.split(u',')) {
        const QString trimmed = rdn.trimmed();
        // Blanks around a component's value, or an empty value, make no part of a realm.
        const QString value = trimmed.mid(3).trimmed();
        if (trimmed.startsWith(QStringLiteral("DC="), Qt::CaseInsensitive) && !value.isEmpty())
            parts.append(value.toLower());
    }
    return parts.join(u'.');
}

Result<QByteArray> LdapConfig::readPassword() const
{
    const QByteArray local = QFile::encodeName(passwordFile);
    struct stat info;
    if (::stat(local.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return Result<QByteArray>::failure(
            QStringLiteral("Le fichier du mot de passe de l'annuaire « %1 » est introuvable.").arg(passwordFile));
    // The password opens the whole domain: refuse it while others can read it.
    if (info.st_mode & (S_IRGRP | S_IROTH))
        return Result<QByteArray>::failure(
            QStringLiteral("Le fichier du mot de passe de l'annuaire « %1 » est lisible par d'autres que son "
                           "propriétaire : le serveur d'annuaire n'est pas utilisé. Rendez-le privé "
                           "(chmod 600) puis relancez le programme.")
                .arg(passwordFile));
    QFile file(passwordFile);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QByteArray>::failure(
            QStringLiteral("Le fichier du mot de passe de l'annuaire « %1 » ne peut pas être lu : %2.")
                .arg(passwordFile, file.errorString()));
    QByteArray password = file.readAll();
    // One line; its end is not part of the password.
    const qsizetype end = password.indexOf('\n');
    if (end >= 0)
        password.truncate(end);
    if (password.endsWith('\r'))
        password.chop(1);
    // An empty password would make an anonymous bind, which the server accepts and which can do nothing.
    if (password.isEmpty())
        return Result<QByteArray>::failure(
            QStringLiteral("Le fichier du mot de passe de l'annuaire « %1 » est vide.").arg(passwordFile));
    return password;
}
