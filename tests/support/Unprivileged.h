#pragma once

// Permissions do not stop root, so a case about them proves nothing when the tests run as root (as CI
// does). There the running case is run again in a child copy of this test program that has dropped to
// the user "nobody", and its result becomes this case's result.
//
// Returns true where the caller is to run the case itself (not root, or already the child); false when
// the child ran it, passed or failed.
bool runsUnprivileged();
