#pragma once

// Running the independent programs that cross-check what the libraries write (pdftotext,
// LibreOffice, unrtf, Python): whether one is installed, so that a check can skip with its
// reason (or fail in CI, where every one is installed), and what a shell command prints.
//
// Header only, like TempFolder.h, so that any test binary can use it without linking the
// windowed harness of this folder.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace uitest {

// True when a program of that name is on the PATH.
inline bool HaveCommand(const std::string& Name)
{
    return std::system(("command -v '" + Name + "' > /dev/null 2>&1").c_str()) == 0;
}

// What a shell command writes on its standard output; empty when it cannot be started.
inline std::string CommandOutput(const std::string& Command)
{
    std::string Out;
    if (FILE* P = ::popen(Command.c_str(), "r")) {
        char Buf[4096];
        size_t N;
        while ((N = std::fread(Buf, 1, sizeof Buf, P)) > 0)
            Out.append(Buf, N);
        ::pclose(P);
    }
    return Out;
}

// True in a continuous-integration run (CI=true in the environment): scripts/install-deps has
// installed every tool a test uses and scripts/test has started every service.
inline bool InCi()
{
    const char* Ci = std::getenv("CI");
    return Ci && std::strcmp(Ci, "true") == 0;
}

// For a test that misses a tool or service it needs; Missing says which. Outside CI the test is
// reported as skipped with that reason; in CI it fails, since the tool should be there. Either
// way what follows still runs, so a test whose every check needs the tool returns at once:
//     if (!HaveCommand("unrtf"))
//         return uitest::SkipMissing("unrtf is not installed");
// while a test that has another half to run goes on with it (and is still reported as
// skipped, or failed, at its end).
inline void SkipMissing(const std::string& Missing)
{
    if (InCi()) {
        ::testing::internal::AssertHelper(::testing::TestPartResult::kFatalFailure, __FILE__, __LINE__,
                                          (Missing + " (CI=true: scripts/install-deps installs every tool "
                                                     "and scripts/test starts every service)")
                                              .c_str()) = ::testing::Message();
    } else {
        ::testing::internal::AssertHelper(::testing::TestPartResult::kSkip, __FILE__, __LINE__,
                                          Missing.c_str()) = ::testing::Message();
    }
}

} // namespace uitest
