#pragma once

struct EnrolFixture;

// The year of a school after the bulk creation, with the real interpreter and scripts of the
// fixture's program folder: the three steps of the panel on two classes, a late pupil in each
// class, a teacher who arrives and leaves, and at the end of the year every pupil goes. Checked in
// the fixture's directory, the folders and the shares, wherever the interpreter keeps them: the
// chain runs on the embedded store as on a domain controller.
void runSchoolYear(EnrolFixture &f);
