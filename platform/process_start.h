#pragma once

#include "platform/service_slot.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

// Splits a parameter string into arguments the way a Windows program's C
// runtime does: blanks separate, double quotes group, 2n backslashes before a
// quote give n backslashes and a quoting quote, 2n+1 give n and a literal
// quote, other backslashes are literal, "" inside quotes is a literal quote.
std::vector<std::string> SplitWindowsCommandLine(std::string_view commandLine);
// The inverse for one argument: always in double quotes, a quote inside as
// backslash + quote, the backslashes before a quote or the end doubled, so
// that SplitWindowsCommandLine gives back exactly arg.
std::string QuoteWindowsArgument(std::string_view arg);
std::string JoinWindowsCommandLine(const std::vector<std::string>& arguments);

// One detached program start.
struct ProcessStartRequest {
    std::string program;
    std::vector<std::string> arguments;
    std::string workingFolder;                                    // empty: the caller's
    std::vector<std::pair<std::string, std::string>> environment; // added to the caller's
    std::string outputPath; // empty: output is discarded; else stdout and stderr appended there
    // Windows only: the parameter string as the caller gave it, handed to the
    // program as it is (arguments holds its split form); empty elsewhere.
    std::string parameters;
    bool operator==(const ProcessStartRequest&) const = default;
};

// Starts programs without waiting for or watching them.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // True when the process was started.
    virtual bool start(const ProcessStartRequest& request) = 0;
};

// The real thing: picks the runner (ResolveProgramRunner) and starts it from
// the request's bytes, detached (its own session, no zombie), stdin from
// /dev/null. False when the program could not be executed.
class DetachedProcessStarter : public ProcessStarter {
public:
    bool start(const ProcessStartRequest& request) override;
};

// Remembers every request; passes it on to the real starter when forward is set.
class RecordingProcessStarter : public ProcessStarter {
public:
    explicit RecordingProcessStarter(bool forward = false) : m_forward(forward) {}
    bool start(const ProcessStartRequest& request) override;
    const std::vector<ProcessStartRequest>& requests() const { return m_requests; }
    void setResult(bool ok) { m_result = ok; }

private:
    std::vector<ProcessStartRequest> m_requests;
    bool m_forward;
    bool m_result = true;
};

// The starter every start goes through; the detached one unless replaced.
ProcessStarter& CurrentProcessStarter();
// Installs starter (nullptr restores the real one); returns the one before.
ProcessStarter* SetProcessStarter(ProcessStarter* starter);

// Installs a starter for the lifetime of the guard.
using ScopedProcessStarter = ScopedService<ProcessStarter, SetProcessStarter>;

// True when the file starts like a program this system runs itself: an ELF
// image or a "#!" script.
bool IsNativeExecutable(const std::string& path);
// Full path of an executable found on PATH, or nothing.
std::optional<std::string> FindOnPath(const std::string& name);

// What a Windows program started through Wine or Proton is given for each
// argument: the UTF-8 of its display text. A native program gets the bytes.
std::vector<std::string> ArgumentsForWindowsProgram(std::vector<std::string> arguments);

// Starts request exactly as given (a program without "/" is looked up on
// PATH): argv[0] is request.program. Returns once the program was executed or
// failed to be; error says why.
bool SpawnDetached(const ProcessStartRequest& request, std::string* error);

// The request that actually runs program: a ".exe" that is not a native
// executable runs through "wine" when that is on PATH (nothing otherwise),
// its arguments as ArgumentsForWindowsProgram gives them.
std::optional<ProcessStartRequest> ResolveProgramRunner(ProcessStartRequest request);

// The stand-in for ShellExecute "open" of a program: splits parameters by the
// Windows rules and hands {program, arguments, workingFolder} to the current
// starter (which a recorder sees as given, before any runner is chosen).
bool StartProgram(const std::string& program, const std::string& parameters,
                  const std::string& workingFolder);

} // namespace qm
