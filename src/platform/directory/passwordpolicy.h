#pragma once

#include <QString>

#include <chrono>

// What a domain asks of the passwords set on its accounts: its own rules, or those of a password
// policy given to a group, which its members meet instead. A directory that sets no rules answers
// a policy of source None, which admits any password.
struct PasswordPolicy
{
    enum class Source { None, Domain, Group };

    Source source = Source::None;
    QString name; // a group's policy: the name it is kept under
    int minimumLength = 0;
    // At least three kinds of characters among upper-case letters, lower-case letters, digits and
    // the others.
    bool complexity = false;
    int historyLength = 0; // earlier passwords that may not be used again
    std::chrono::seconds minimumAge {0}; // before a password may be changed again
    std::chrono::seconds maximumAge {0}; // before it expires; 0: never

    // Whether some password of that length, drawn from those characters, meets it.
    bool admits(int length, const QString &alphabet) const;
    // What it demands of a password, in French: "au moins 7 caractères et ...".
    QString demands() const;
    // Where it comes from, in French: "la stratégie de mots de passe du domaine", ...
    QString origin() const;
};

// The name a group's own password policy is made under on a domain controller.
QString groupPolicyName(const QString &group);
// Lower comes first when several policies apply to one account.
inline constexpr int kGroupPolicyPrecedence = 10;
// How an administrator makes that policy by hand on a Samba domain controller: two command lines.
QString groupPolicyByHand(const QString &group, const PasswordPolicy &settings);
