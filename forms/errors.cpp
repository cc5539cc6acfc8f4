// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/errors.h"

#include <new>

namespace forms {

const char* RuntimeError::what() const noexcept
{
    return "run-time error";
}

void Raise(std::int32_t number)
{
    throw RuntimeError(number);
}

QString Description(std::int32_t number)
{
    switch (number) {
    case kOverflow:
        return QStringLiteral("Overflow");
    case kOutOfMemory:
        return QStringLiteral("Memoria esaurita");
    case kInternalError:
        return QStringLiteral("Errore interno");
    case kTypeMismatch:
        return QStringLiteral("Tipo non corrispondente");
    case kInvalidPropertyValue:
        return QStringLiteral("Valore della proprietà non valido");
    case kFormAlreadyShown:
        return QStringLiteral("Form già visualizzato. Impossibile visualizzarlo come modale");
    }
    return QStringLiteral("Errore definito dall'applicazione o dall'oggetto");
}

std::int32_t Trap(const std::function<void()>& body)
{
    try {
        body();
    } catch (const RuntimeError& error) {
        return error.Number();
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        // Anything else would unwind through Qt's event loop and end the program.
        return kInternalError;
    }
    return 0;
}

} // namespace forms
