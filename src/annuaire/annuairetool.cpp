#include "annuairetool.h"

#include "directory/sqlite/sqlitedirectory.h"
#include "text/controlcharacters.h"

#include <QDateTime>

#include <algorithm>
#include <functional>

namespace {

// The embedded store answers to any server name; this one only shows in paths nobody prints.
const QString P = QStringLiteral("WinNT://ANNUAIRE");
const QString dateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

constexpr int usageError = 2;

} // namespace

AnnuaireTool::AnnuaireTool(SqliteDirectory &directory, std::FILE *out, std::FILE *err, std::FILE *in)
    : m_directory(directory)
    , m_out(out)
    , m_err(err)
    , m_in(in)
{
}

QString AnnuaireTool::usage()
{
    return QStringLiteral("Usage : annuaire COMMANDE [ARGUMENTS]\n"
                          "Consulte et règle l'annuaire intégré (annuaire.db du dossier du programme).\n"
                          "\n"
                          "  users                      liste les comptes d'utilisateurs, un par ligne\n"
                          "  groups                     liste les groupes, un par ligne\n"
                          "  members GROUPE             liste les membres du groupe, un par ligne\n"
                          "  show NOM                   affiche les propriétés du compte ou du groupe,\n"
                          "                             une ligne Propriété=valeur par propriété\n"
                          "                             (un caractère de contrôle y est écrit \\xHH)\n"
                          "  lock NOM                   verrouille le compte, comme après des échecs de connexion\n"
                          "  last-login NOM \"AAAA-MM-JJ HH:MM:SS\"\n"
                          "                             enregistre la dernière connexion du compte (heure locale)\n"
                          "  check-password NOM         lit un mot de passe sur l'entrée standard (première ligne)\n"
                          "                             et réussit seulement s'il est celui du compte\n"
                          "  --help                     affiche cette aide\n"
                          "\n"
                          "Code de retour : 0 en cas de réussite, 1 en cas d'échec, 2 pour une commande mal formée.\n");
}

int AnnuaireTool::run(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return fail(QStringLiteral("commande manquante.\n") + usage(), usageError);
    const QString verb = arguments.first();
    const QStringList rest = arguments.mid(1);
    // Each verb with the number of arguments it takes and what it does.
    struct Verb
    {
        QString name;
        qsizetype arguments;
        std::function<int(const QStringList &)> action;
    };
    const QList<Verb> verbs = {
        {QStringLiteral("--help"), 0,
            [this](const QStringList &) {
                std::fputs(usage().toUtf8().constData(), m_out);
                return 0;
            }},
        {QStringLiteral("users"), 0, [this](const QStringList &) { return list(DirListed::User); }},
        {QStringLiteral("groups"), 0, [this](const QStringList &) { return list(DirListed::Group); }},
        {QStringLiteral("members"), 1, [this](const QStringList &a) { return members(a[0]); }},
        {QStringLiteral("show"), 1, [this](const QStringList &a) { return show(a[0]); }},
        {QStringLiteral("lock"), 1, [this](const QStringList &a) { return lock(a[0]); }},
        {QStringLiteral("last-login"), 2, [this](const QStringList &a) { return lastLogin(a[0], a[1]); }},
        {QStringLiteral("check-password"), 1, [this](const QStringList &a) { return checkPassword(a[0]); }},
    };
    const auto known = std::find_if(verbs.cbegin(), verbs.cend(), [&](const Verb &v) { return v.name == verb; });
    if (known == verbs.cend())
        return fail(QStringLiteral("commande inconnue « %1 ». Voir annuaire --help.").arg(verb), usageError);
    if (rest.size() != known->arguments)
        return fail(QStringLiteral("la commande « %1 » attend %2 argument(s). Voir annuaire --help.")
                        .arg(verb)
                        .arg(known->arguments),
            usageError);
    return known->action(rest);
}

void AnnuaireTool::print(const QString &line)
{
    // One line each, whole: a NUL would end the text early and a line break would start a new line.
    const QByteArray bytes = (ControlCharacters::escaped(line) + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
}

int AnnuaireTool::fail(const QString &message, int status)
{
    std::fputs((QStringLiteral("annuaire : ") + message + u'\n').toUtf8().constData(), m_err);
    return status;
}

int AnnuaireTool::list(DirListed kind)
{
    auto container = m_directory.bind(P);
    if (!container)
        return fail(container.message());
    const Status listed = (*container)->enumerate({kind}, [&](const DirEntry &entry) { print(entry.name); });
    return listed ? 0 : fail(listed.message());
}

int AnnuaireTool::members(const QString &group)
{
    auto bound = m_directory.bind(P + u'/' + group + QStringLiteral(",group"));
    if (!bound)
        return fail(bound.message());
    const Status listed = (*bound)->members([&](const DirEntry &entry) { print(entry.name); });
    return listed ? 0 : fail(listed.message());
}

int AnnuaireTool::show(const QString &name)
{
    auto bound = m_directory.bind(P + u'/' + name);
    if (!bound)
        return fail(bound.message());
    DirObject &object = **bound;
    // Every line comes, in the same order for both classes; what does not apply to the class is empty.
    const QList<DirProperty> properties = {
        DirProperty::Name,
        DirProperty::Class,
        DirProperty::FullName,
        DirProperty::Description,
        DirProperty::HomeDirectory,
        DirProperty::LoginScript,
        DirProperty::GroupType,
        DirProperty::IsAccountLocked,
        DirProperty::LastLogin,
    };
    QStringList lines;
    for (const DirProperty property : properties) {
        QString text;
        if (propertyApplies(object.kind(), property, object.name())) {
            auto value = object.get(property);
            if (!value)
                return fail(value.message());
            if (value->typeId() == QMetaType::Bool)
                text = value->toBool() ? QStringLiteral("true") : QStringLiteral("false");
            else if (value->typeId() == QMetaType::QDateTime)
                text = value->toDateTime().isValid() ? value->toDateTime().toString(dateFormat) : QString();
            else
                text = value->toString();
        }
        lines.append(propertyName(property) + u'=' + text);
    }
    for (const QString &line : std::as_const(lines))
        print(line);
    return 0;
}

int AnnuaireTool::lock(const QString &name)
{
    const Status locked = m_directory.setAccountLocked(name, true);
    return locked ? 0 : fail(locked.message());
}

int AnnuaireTool::lastLogin(const QString &name, const QString &when)
{
    const QDateTime at = QDateTime::fromString(when.trimmed(), dateFormat);
    if (!at.isValid())
        return fail(QStringLiteral("date invalide « %1 » : attendu AAAA-MM-JJ HH:MM:SS.").arg(when), usageError);
    const Status recorded = m_directory.setLastLogin(name, at);
    return recorded ? 0 : fail(recorded.message());
}

int AnnuaireTool::checkPassword(const QString &name)
{
    // The password comes on standard input, never on the command line where others could see it.
    QByteArray line;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, m_in)) {
        line += buffer;
        if (line.endsWith('\n'))
            break;
    }
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    auto matches = m_directory.checkPassword(name, QString::fromUtf8(line));
    if (!matches)
        return fail(matches.message());
    if (!*matches)
        return fail(QStringLiteral("le mot de passe de « %1 » ne correspond pas.").arg(name));
    return 0;
}
