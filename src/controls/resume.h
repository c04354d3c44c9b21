// Resume-on-error: a handler runs each of its steps through these helpers. A step that fails
// (throws) is skipped without a message and the handler goes on with its next step.
#pragma once

#include <exception>

// Thrown by the process ending in tests; deliberately not a std::exception, so that no
// resume-on-error step swallows it.
struct ProcessEnded {
    int code = 0;
};

// Runs one step; a failure is swallowed.
template <typename Step> void step(Step &&s)
{
    try {
        s();
    } catch (const std::exception &) {
    }
}

// Evaluates the test of a branch. A test that fails counts as true: execution resumes at the
// next statement in written order, which is the first statement of the branch.
template <typename Test> bool branch(Test &&t)
{
    try {
        return static_cast<bool>(t());
    } catch (const std::exception &) {
        return true;
    }
}
