#include "DialogTypeEnum.h"

// The creation order is the ordinal order. Naming the icons here creates the icon set first,
// whichever of the two sets is asked for first.
struct TDialogTypeEnum::TInstancias {
    const TDialogTypeEnum& dtError = Registrar(TResourceIconEnum::riError64());
    const TDialogTypeEnum& dtInfo = Registrar(TResourceIconEnum::riInfo64());
    const TDialogTypeEnum& dtWarning = Registrar(TResourceIconEnum::riWarning64());
    const TDialogTypeEnum& dtConfirm = Registrar(TResourceIconEnum::riQuestion64());
    const TDialogTypeEnum& dtAbort = Registrar(TResourceIconEnum::riError2_64());
};

const TDialogTypeEnum::TInstancias& TDialogTypeEnum::Instancias()
{
    static const TInstancias instancias;
    return instancias;
}

const TDialogTypeEnum& TDialogTypeEnum::dtError() { return Instancias().dtError; }
const TDialogTypeEnum& TDialogTypeEnum::dtInfo() { return Instancias().dtInfo; }
const TDialogTypeEnum& TDialogTypeEnum::dtWarning() { return Instancias().dtWarning; }
const TDialogTypeEnum& TDialogTypeEnum::dtConfirm() { return Instancias().dtConfirm; }
const TDialogTypeEnum& TDialogTypeEnum::dtAbort() { return Instancias().dtAbort; }
