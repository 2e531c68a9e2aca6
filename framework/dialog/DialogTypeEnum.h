#pragma once

#include "AbstractEnumeration.h"
#include "ResourceIconEnum.h"

// The kinds of message the message service shows; each carries the icon its window shows.
// The window derives the title from the kind, so dtWarning and dtAbort differ only in the
// icon.
class TDialogTypeEnum final : public TAbstractEnumeration<TDialogTypeEnum> {
public:
    const TResourceIconEnum& Icone() const noexcept { return FIcone; }

    static const TDialogTypeEnum& dtError();
    static const TDialogTypeEnum& dtInfo();
    static const TDialogTypeEnum& dtWarning();
    static const TDialogTypeEnum& dtConfirm();
    static const TDialogTypeEnum& dtAbort();

private:
    friend class TAbstractEnumeration<TDialogTypeEnum>;

    explicit TDialogTypeEnum(const TResourceIconEnum& AIcone) noexcept : FIcone(AIcone) {}

    struct TInstancias;
    static const TInstancias& Instancias();

    const TResourceIconEnum& FIcone;
};
