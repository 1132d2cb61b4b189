// What every edition says when something fails that no handler expected. The player reads, in
// Italian, words that match what the window now shows; the technical detail, in whatever
// language the failure speaks, goes to standard error, where a developer looks for it.
#pragma once

#include <string>

namespace stakora {

// How far an operation had got when it failed.
enum class Interrupted {
    NothingChanged,  // it had changed nothing the player sees
    ResultsChanged,  // it had written some result cells; the typed data is as it was
    InputsChanged,   // it had already changed some of the typed data
    NotStarted,      // the window itself could not be made
};

std::string unexpectedFailureMessage(Interrupted how);

// Called inside a catch block: writes what the failure in flight says, and where it was caught,
// to standard error. Never throws.
void logUnexpectedFailure(const char* where) noexcept;

}  // namespace stakora
