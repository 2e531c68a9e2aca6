#include "Enumeration.h"

#include <typeinfo>

std::string TEnumeration::ToString() const
{
    return std::to_string(FOrdinal);
}

bool TEnumeration::Equals(const TEnumeration* AValue) const noexcept
{
    return AValue != nullptr && typeid(*AValue) == typeid(*this) && AValue->FOrdinal == FOrdinal;
}
