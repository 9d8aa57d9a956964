#pragma once

// Running the independent programs that cross-check what the libraries write (pdftotext,
// LibreOffice, unrtf, Python): whether one is installed, so that a check can skip with its
// reason, and what a shell command prints.
//
// Header only, like TempFolder.h, so that any test binary can use it without linking the
// windowed harness of this folder.

#include <cstdio>
#include <cstdlib>
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

} // namespace uitest
