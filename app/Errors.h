#pragma once
// Internal inconsistencies are raised as exceptions of these two classes. They are caught at
// every window-procedure boundary and shown by the one application-wide handler (message 2001),
// after which the program carries on.
#include <stdexcept>
#include <string>

namespace typa {

class ETypaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    // The class name shown in the unexpected-error box.
    virtual const char* ClassName() const noexcept = 0;
};

// A message number without text (error 3000+n or question 3100+n).
class EUndefinedMessage : public ETypaError {
public:
    using ETypaError::ETypaError;
    const char* ClassName() const noexcept override { return "EUndefinedMessage"; }
};

// A state the program never expects to reach, e.g. an unknown enumeration pass.
class EUnexpected : public ETypaError {
public:
    using ETypaError::ETypaError;
    const char* ClassName() const noexcept override { return "EUnexpected"; }
};

} // namespace typa
