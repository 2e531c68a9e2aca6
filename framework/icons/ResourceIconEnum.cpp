#include "ResourceIconEnum.h"

// The creation order is the ordinal order.
struct TResourceIconEnum::TInstancias {
    const TResourceIconEnum& riNone = Registrar(std::string(""));
    const TResourceIconEnum& riClose16 = Registrar(std::string("CLOSE_16"));
    const TResourceIconEnum& riError16 = Registrar(std::string("ERROR_16"));
    const TResourceIconEnum& riError32 = Registrar(std::string("ERROR_32"));
    const TResourceIconEnum& riError64 = Registrar(std::string("ERROR_64"));
    const TResourceIconEnum& riError128 = Registrar(std::string("ERROR_128"));
    const TResourceIconEnum& riError256 = Registrar(std::string("ERROR_256"));
    const TResourceIconEnum& riError2_16 = Registrar(std::string("ERROR2_16"));
    const TResourceIconEnum& riError2_32 = Registrar(std::string("ERROR2_32"));
    const TResourceIconEnum& riError2_64 = Registrar(std::string("ERROR2_64"));
    const TResourceIconEnum& riError2_128 = Registrar(std::string("ERROR2_128"));
    const TResourceIconEnum& riError2_256 = Registrar(std::string("ERROR2_256"));
    const TResourceIconEnum& riInfo16 = Registrar(std::string("INFO_16"));
    const TResourceIconEnum& riInfo32 = Registrar(std::string("INFO_32"));
    const TResourceIconEnum& riInfo64 = Registrar(std::string("INFO_64"));
    const TResourceIconEnum& riInfo128 = Registrar(std::string("INFO_128"));
    const TResourceIconEnum& riInfo256 = Registrar(std::string("INFO_256"));
    const TResourceIconEnum& riOk16 = Registrar(std::string("OK_16"));
    const TResourceIconEnum& riOk32 = Registrar(std::string("OK_32"));
    const TResourceIconEnum& riOk64 = Registrar(std::string("OK_64"));
    const TResourceIconEnum& riOk128 = Registrar(std::string("OK_128"));
    const TResourceIconEnum& riOk256 = Registrar(std::string("OK_256"));
    const TResourceIconEnum& riQuestion16 = Registrar(std::string("QUESTION_16"));
    const TResourceIconEnum& riQuestion32 = Registrar(std::string("QUESTION_32"));
    const TResourceIconEnum& riQuestion64 = Registrar(std::string("QUESTION_64"));
    const TResourceIconEnum& riQuestion128 = Registrar(std::string("QUESTION_128"));
    const TResourceIconEnum& riQuestion256 = Registrar(std::string("QUESTION_256"));
    const TResourceIconEnum& riWarning16 = Registrar(std::string("WARNING_16"));
    const TResourceIconEnum& riWarning32 = Registrar(std::string("WARNING_32"));
    const TResourceIconEnum& riWarning64 = Registrar(std::string("WARNING_64"));
    const TResourceIconEnum& riWarning128 = Registrar(std::string("WARNING_128"));
    const TResourceIconEnum& riWarning256 = Registrar(std::string("WARNING_256"));
};

const TResourceIconEnum::TInstancias& TResourceIconEnum::Instancias()
{
    static const TInstancias instancias;
    return instancias;
}

const TResourceIconEnum& TResourceIconEnum::riNone() { return Instancias().riNone; }
const TResourceIconEnum& TResourceIconEnum::riClose16() { return Instancias().riClose16; }
const TResourceIconEnum& TResourceIconEnum::riError16() { return Instancias().riError16; }
const TResourceIconEnum& TResourceIconEnum::riError32() { return Instancias().riError32; }
const TResourceIconEnum& TResourceIconEnum::riError64() { return Instancias().riError64; }
const TResourceIconEnum& TResourceIconEnum::riError128() { return Instancias().riError128; }
const TResourceIconEnum& TResourceIconEnum::riError256() { return Instancias().riError256; }
const TResourceIconEnum& TResourceIconEnum::riError2_16() { return Instancias().riError2_16; }
const TResourceIconEnum& TResourceIconEnum::riError2_32() { return Instancias().riError2_32; }
const TResourceIconEnum& TResourceIconEnum::riError2_64() { return Instancias().riError2_64; }
const TResourceIconEnum& TResourceIconEnum::riError2_128() { return Instancias().riError2_128; }
const TResourceIconEnum& TResourceIconEnum::riError2_256() { return Instancias().riError2_256; }
const TResourceIconEnum& TResourceIconEnum::riInfo16() { return Instancias().riInfo16; }
const TResourceIconEnum& TResourceIconEnum::riInfo32() { return Instancias().riInfo32; }
const TResourceIconEnum& TResourceIconEnum::riInfo64() { return Instancias().riInfo64; }
const TResourceIconEnum& TResourceIconEnum::riInfo128() { return Instancias().riInfo128; }
const TResourceIconEnum& TResourceIconEnum::riInfo256() { return Instancias().riInfo256; }
const TResourceIconEnum& TResourceIconEnum::riOk16() { return Instancias().riOk16; }
const TResourceIconEnum& TResourceIconEnum::riOk32() { return Instancias().riOk32; }
const TResourceIconEnum& TResourceIconEnum::riOk64() { return Instancias().riOk64; }
const TResourceIconEnum& TResourceIconEnum::riOk128() { return Instancias().riOk128; }
const TResourceIconEnum& TResourceIconEnum::riOk256() { return Instancias().riOk256; }
const TResourceIconEnum& TResourceIconEnum::riQuestion16() { return Instancias().riQuestion16; }
const TResourceIconEnum& TResourceIconEnum::riQuestion32() { return Instancias().riQuestion32; }
const TResourceIconEnum& TResourceIconEnum::riQuestion64() { return Instancias().riQuestion64; }
const TResourceIconEnum& TResourceIconEnum::riQuestion128() { return Instancias().riQuestion128; }
const TResourceIconEnum& TResourceIconEnum::riQuestion256() { return Instancias().riQuestion256; }
const TResourceIconEnum& TResourceIconEnum::riWarning16() { return Instancias().riWarning16; }
const TResourceIconEnum& TResourceIconEnum::riWarning32() { return Instancias().riWarning32; }
const TResourceIconEnum& TResourceIconEnum::riWarning64() { return Instancias().riWarning64; }
const TResourceIconEnum& TResourceIconEnum::riWarning128() { return Instancias().riWarning128; }
const TResourceIconEnum& TResourceIconEnum::riWarning256() { return Instancias().riWarning256; }
