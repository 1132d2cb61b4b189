#include "unexpected_failure.h"

#include <cstdio>
#include <exception>
#include <new>

namespace stakora {

std::string unexpectedFailureMessage(Interrupted how) {
    switch (how) {
        case Interrupted::NothingChanged:
            return "Si è verificato un errore inatteso e l'operazione non è stata completata.\n"
                   "I dati inseriti sono rimasti invariati.";
        case Interrupted::ResultsChanged:
            return "Si è verificato un errore inatteso e l'operazione non è stata completata.\n"
                   "I dati inseriti sono rimasti invariati, ma i risultati mostrati possono "
                   "essere incompleti: premere di nuovo ELABORA.";
        case Interrupted::InputsChanged:
            return "Si è verificato un errore inatteso e l'operazione si è interrotta a metà.\n"
                   "Una parte dei dati inseriti è già stata cambiata: controllarli prima di "
                   "continuare.";
        case Interrupted::NotStarted:
            break;
    }
    return "Si è verificato un errore inatteso e Stakora non può essere avviato.";
}

void logUnexpectedFailure(const char* where) noexcept {
    const char* detail = "an exception of unknown type";
    try {
        if (std::exception_ptr failure = std::current_exception()) {
            std::rethrow_exception(failure);
        }
        detail = "no exception in flight";
    } catch (const std::exception& error) {
        detail = error.what();
    } catch (...) {
    }
    std::fprintf(stderr, "stakora: unexpected failure in %s: %s\n", where, detail);
}

}  // namespace stakora
