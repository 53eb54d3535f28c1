#include "pupilpolicy.h"

#include "directory/directory.h"
#include "passwords/passwordgenerator.h"

namespace {

const QString pupilsGroup = QStringLiteral("eleves");

QString howToMakeIt()
{
    return QStringLiteral("L'étape 1, « Créer les groupes », donne aux membres du groupe eleves une stratégie "
                          "qui admet leurs mots de passe. On peut aussi la créer à la main sur le contrôleur de "
                          "domaine :")
        + u'\r' + groupPolicyByHand(pupilsGroup, PupilPolicy::settings());
}

} // namespace

namespace PupilPolicy {

PasswordPolicy settings()
{
    PasswordPolicy policy;
    policy.source = PasswordPolicy::Source::Group;
    policy.name = groupPolicyName(pupilsGroup);
    policy.minimumLength = kPasswordLength;
    policy.complexity = false;
    policy.historyLength = 0;
    policy.minimumAge = std::chrono::seconds(0);
    policy.maximumAge = std::chrono::seconds(0);
    return policy;
}

Status check(Directory &directory)
{
    const auto policy = directory.passwordPolicyOfMembers(pupilsGroup);
    if (!policy)
        return Status::failure(
            QStringLiteral("La stratégie de mots de passe des élèves n'a pas pu être lue : %1 Aucun compte n'a été "
                           "créé.")
                .arg(policy.message())
            + u'\r' + howToMakeIt());
    if (policy->admits(kPasswordLength, QString::fromLatin1(PasswordGenerator::kAlphabet)))
        return {};
    return Status::failure(
        QStringLiteral(
            "Les membres du groupe eleves suivent %1, qui demande %2 : les mots de passe des élèves "
            "(%3 caractères, lettres minuscules et chiffres) ne peuvent pas la respecter. Aucun compte n'a été créé.")
            .arg(policy->origin(), policy->demands())
            .arg(kPasswordLength)
        + u'\r' + howToMakeIt());
}

} // namespace PupilPolicy
