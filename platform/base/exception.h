#pragma once

#include "platform/base/strings.h"

// The base of every exception the platform raises; what the application
// object shows in its error box.
class Exception {
public:
    explicit Exception(const UnicodeString& message) : FMessage(message) {}
    virtual ~Exception() = default;

    const UnicodeString& Message() const { return FMessage; }

private:
    UnicodeString FMessage;
};
