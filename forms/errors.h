// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Numbered run-time errors and the trap that catches them.

#include "tally/calculation.h"

#include <QString>

#include <cstdint>
#include <exception>
#include <functional>

namespace forms {

// Run-time error numbers, as the classic runtime numbered them; those a
// calculation can end with are the calculation's own.
enum ErrorNumber : std::int32_t {
    kOverflow = ::kOverflow,
    kOutOfMemory = 7,
    kTypeMismatch = ::kTypeMismatch,
    kInternalError = 51,
    kInvalidPropertyValue = ::kInvalidPropertyValue,
    kFormAlreadyShown = 400,
};

class RuntimeError : public std::exception {
public:
    explicit RuntimeError(std::int32_t number) noexcept : number_(number) { }
    std::int32_t Number() const noexcept { return number_; }
    const char* what() const noexcept override;

private:
    std::int32_t number_;
};

[[noreturn]] void Raise(std::int32_t number);

// The Italian description the user is shown for an error number.
QString Description(std::int32_t number);

// Runs body under an armed trap: returns the number of the error that ended
// it, or 0 when it ran to the end. No error passes to the caller: a C++
// exception counts as kOutOfMemory (std::bad_alloc) or kInternalError.
std::int32_t Trap(const std::function<void()>& body);

} // namespace forms
