#pragma once

#include "directory/passwordpolicy.h"
#include "text/result.h"

class Directory;

// The password rules the pupils' generated passwords need, and the check that the domain lets them
// have such passwords before any pupil account is written.
namespace PupilPolicy {

// What step 1 gives the members of eleves: six characters are enough, any kind, no history, no
// minimum age, no expiry.
PasswordPolicy settings();
// The length of every generated pupil password.
inline constexpr int kPasswordLength = 6;

// Reads the policy a member of eleves meets (one or two requests to the directory); fails with
// what it demands, and how to give the pupils their own, when no generated password can meet it,
// or with the reason when it cannot be read.
Status check(Directory &directory);

} // namespace PupilPolicy
