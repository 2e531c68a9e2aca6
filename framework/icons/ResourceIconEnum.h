#pragma once

#include "AbstractEnumeration.h"

#include <string>

// The icons built into the executable, addressed by value. Each instance names one PNG image
// by its resource name (kind in capitals, underscore, edge length in pixels); riNone names
// none. Standard C++ only: code without a window can still name an icon.
class TResourceIconEnum final : public TAbstractEnumeration<TResourceIconEnum> {
public:
    const std::string& ResourceName() const noexcept { return FResourceName; }

    static const TResourceIconEnum& riNone();
    static const TResourceIconEnum& riClose16();
    static const TResourceIconEnum& riError16();
    static const TResourceIconEnum& riError32();
    static const TResourceIconEnum& riError64();
    static const TResourceIconEnum& riError128();
    static const TResourceIconEnum& riError256();
    static const TResourceIconEnum& riError2_16();
    static const TResourceIconEnum& riError2_32();
    static const TResourceIconEnum& riError2_64();
    static const TResourceIconEnum& riError2_128();
    static const TResourceIconEnum& riError2_256();
    static const TResourceIconEnum& riInfo16();
    static const TResourceIconEnum& riInfo32();
    static const TResourceIconEnum& riInfo64();
    static const TResourceIconEnum& riInfo128();
    static const TResourceIconEnum& riInfo256();
    static const TResourceIconEnum& riOk16();
    static const TResourceIconEnum& riOk32();
    static const TResourceIconEnum& riOk64();
    static const TResourceIconEnum& riOk128();
    static const TResourceIconEnum& riOk256();
    static const TResourceIconEnum& riQuestion16();
    static const TResourceIconEnum& riQuestion32();
    static const TResourceIconEnum& riQuestion64();
    static const TResourceIconEnum& riQuestion128();
    static const TResourceIconEnum& riQuestion256();
    static const TResourceIconEnum& riWarning16();
    static const TResourceIconEnum& riWarning32();
    static const TResourceIconEnum& riWarning64();
    static const TResourceIconEnum& riWarning128();
    static const TResourceIconEnum& riWarning256();

private:
    friend class TAbstractEnumeration<TResourceIconEnum>;

    explicit TResourceIconEnum(std::string AResourceName) : FResourceName(std::move(AResourceName)) {}

    struct TInstancias;
    static const TInstancias& Instancias();

    std::string FResourceName;
};
