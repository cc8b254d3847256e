#pragma once

#include <QByteArray>

// File modes stop an ordinary user, not root. A test of a file's mode runs
// its scenario as an ordinary user: in the test program itself when it runs
// as one, else in a child of the same test program that becomes the user
// "nobody" before anything else (CI runs the tests as root). It is never
// skipped.
namespace OrdinaryUser {

// The user the child becomes ("nobody" on Debian).
constexpr unsigned kNobody = 65534;

// First thing in main(): a child started by runCurrentTest becomes that
// user, before any file or thread is made. False when it cannot.
bool becomeAskedUser();

// File modes stop this process.
bool modesHold();

// Runs the test function that is running, at its data row, in a child as
// kNobody; true when the child passed. output receives its failures, or,
// when it did not end by itself in time (its function limit is a minute
// shorter than this process's), all it printed.
bool runCurrentTest(QByteArray *output);

} // namespace OrdinaryUser

// main() of a test whose functions may run as an ordinary user.
#define RANGE_TEST_MAIN_AS_ORDINARY_USER(TestObject)                                              \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        if (!OrdinaryUser::becomeAskedUser())                                                      \
            return 1;                                                                              \
        QTEST_MAIN_IMPL(TestObject)                                                                \
    }
