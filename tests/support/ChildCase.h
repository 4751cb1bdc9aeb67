#pragma once

#include <QString>
#include <QStringList>

// Runs the running case again in a copy of this test program at `copy` (a file in a folder of the test's
// own), started through `launcher` when given; the child's result becomes this case's, and a child that
// skips the case fails it. The child sees QUILLET_TEST_CHILD set.
void runCaseInCopy(const QString& copy, const QStringList& launcher = {});
bool isChildCase();

// Permissions do not stop root, so a case about them proves nothing when the tests run as root (as CI
// does). There the running case runs again in a copy dropped to the user "nobody".
//
// Returns true where the caller is to run the case itself (not root, or already the child); false when
// the child ran it, passed or failed.
bool runsUnprivileged();
