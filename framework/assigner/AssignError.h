#pragma once

#include <QString>

#include <stdexcept>

// A copy the assigner could not carry out: a property that would not take its value, an object
// graph that leads back to a copy already under way, or an instruction given objects it does
// not work on.
class EAssignError : public std::runtime_error {
public:
    explicit EAssignError(const QString& AMessage) : std::runtime_error(AMessage.toStdString()) {}
};
