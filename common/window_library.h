#pragma once

#include <string>

// The entry a window library exports: extern "C" QM_WINDOW_ENTRY int
// <Name>WindowMain(int argc, char** argv).
#ifdef _WIN32
#define QM_WINDOW_ENTRY __declspec(dllexport)
#else
#define QM_WINDOW_ENTRY __attribute__((visibility("default")))
#endif

namespace qm {

// Where one of the suite's own libraries is: beside the running program (the
// build, a kit install), else in the install prefix's library folder; "" when
// in neither.
std::string FindSuiteLibrary(const std::string& fileName);

// A program whose window lives in a library of its own, so that its command
// lines start without the widget toolkit: loads libraryFile from beside the
// program (the build, a kit install), else from the install prefix's library
// folder, and runs its entry with the program's arguments. The library stays
// loaded to the process's end. When it cannot be loaded, says so on stderr
// and returns 1.
int RunWindowLibrary(const char* program, const std::string& libraryFile, const char* entry,
                     int argc, char** argv);

} // namespace qm
