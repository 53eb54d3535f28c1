// annuaire.conf: whatever the file holds, it is read or refused with a message, never half-taken. An
// accepted file gives every key the program needs, paths of this machine for its files, values free
// of control characters, and reads back the same once written out again.
//
// Input: the file's bytes.
#include "config/ldapconfig.h"
#include "fuzzsupport.h"
#include "text/controlcharacters.h"

namespace {

const QString programFolder = QStringLiteral("/srv/velmar");

QByteArray writtenOut(const LdapConfig &config)
{
    QString text = QStringLiteral("uri=") + config.uri + QStringLiteral("\nbase=") + config.base
        + QStringLiteral("\nrealm=") + config.realm + QStringLiteral("\nbinddn=") + config.bindDn
        + QStringLiteral("\npasswordfile=") + config.passwordFile + QStringLiteral("\ntls=")
        + (config.verifyServer ? QStringLiteral("demand") : QStringLiteral("never"));
    if (!config.caFile.isEmpty())
        text += QStringLiteral("\ncafile=") + config.caFile;
    if (!config.sambaConf.isEmpty())
        text += QStringLiteral("\nsambaconf=") + config.sambaConf;
    return text.toUtf8() + '\n';
}

QString shown(const LdapConfig &c)
{
    return QStringList {c.uri, c.base, c.realm, c.bindDn, c.passwordFile, c.caFile, c.sambaConf}.join(u'|');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text = Fuzz::bytesOf(data, size);
    const Result<LdapConfig> parsed = LdapConfig::parse(text, programFolder);
    if (!parsed) {
        FUZZ_CHECK(parsed.message().startsWith(QStringLiteral("annuaire.conf")), parsed.message());
        return 0;
    }
    const LdapConfig &config = *parsed;
    const QString what = shown(config);
    FUZZ_CHECK(config.uri.startsWith(QStringLiteral("ldaps://"), Qt::CaseInsensitive)
            || config.uri.startsWith(QStringLiteral("ldap://"), Qt::CaseInsensitive),
        what);
    FUZZ_CHECK(!config.uri.contains(u' '), what);
    FUZZ_CHECK(!config.base.isEmpty() && !config.bindDn.isEmpty() && !config.realm.isEmpty(), what);
    FUZZ_CHECK(config.passwordFile.startsWith(u'/'), what);
    FUZZ_CHECK(config.caFile.isEmpty() || config.caFile.startsWith(u'/'), what);
    FUZZ_CHECK(config.sambaConf.isEmpty() || config.sambaConf.startsWith(u'/'), what);
    for (const QString &value :
        {config.uri, config.base, config.realm, config.bindDn, config.passwordFile, config.caFile, config.sambaConf})
        FUZZ_CHECK(!ControlCharacters::any(value), QStringLiteral("control character in ") + what);

    const Result<LdapConfig> again = LdapConfig::parse(writtenOut(config), programFolder);
    FUZZ_CHECK(again.ok(), what + QStringLiteral(" written out is refused: ") + again.message());
    FUZZ_CHECK(shown(*again) == what && again->verifyServer == config.verifyServer,
        what + QStringLiteral(" written out reads back as ") + shown(*again));
    return 0;
}
