#pragma once

#include <exception>

// Ends the current command without any further message: the message was already shown. The
// application's top-level error display recognises it by its type and stays silent.
class ESilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};
