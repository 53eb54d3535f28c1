#pragma once

#include "directory/passwordpolicy.h"
#include "text/result.h"

#include <QString>

class LdapSession;

// Password policies on an Active Directory domain: the domain's own rules, kept on the domain's
// object, and the Password Settings Objects that give the members of a group theirs. Both calls
// cost the lookup of the group (none when it is known) and one search.
namespace LdapPolicies {

// The policy a member of the group meets: of the Password Settings Objects applied to the group,
// the one of lowest precedence; without any, the domain's.
Result<PasswordPolicy> ofMembers(LdapSession &session, const QString &group);
// Applies a Password Settings Object with these settings and the domain's lockout rules to the
// group, unless one applies to it already. One of the name it is made under that applies to no
// group any more is given these settings and applied again. True when one was made or applied.
Result<bool> ensureForGroup(LdapSession &session, const QString &group, const PasswordPolicy &settings);

} // namespace LdapPolicies
