#pragma once

#include <cstdint>
#include <string>

// The common root of every enumeration class, so that an instance of one class can be asked
// whether it equals any enumeration instance at all, of whatever class.
class TEnumeration {
public:
    TEnumeration(const TEnumeration&) = delete;
    TEnumeration& operator=(const TEnumeration&) = delete;
    virtual ~TEnumeration() = default;

    std::int32_t Ordinal() const noexcept { return FOrdinal; }

    // The ordinal in decimal digits.
    virtual std::string ToString() const;

    // Same concrete class (exactly, not a derived one) and same ordinal; false for nullptr.
    bool Equals(const TEnumeration* AValue) const noexcept;

protected:
    explicit TEnumeration(std::int32_t AOrdinal) noexcept : FOrdinal(AOrdinal) {}

private:
    std::int32_t FOrdinal;
};
