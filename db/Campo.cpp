#include "Campo.h"

#include "ErroBancoDados.h"

#include <charconv>
#include <cmath>
#include <limits>

std::string TCampo::ComoTexto() const
{
    switch (FTipo) {
    case TTipo::Nulo:
        return {};
    case TTipo::Inteiro:
        return std::to_string(FInteiro);
    case TTipo::Texto:
    case TTipo::Decimal:
        break;
    }
    return FTexto;
}

std::int64_t TCampo::ComoInteiro64() const
{
    switch (FTipo) {
    case TTipo::Nulo:
        return 0;
    case TTipo::Inteiro:
        return FInteiro;
    case TTipo::Decimal: {
        // Numbers with a fraction are truncated toward zero, as a conversion to integer does.
        const double valor = std::strtod(FTexto.c_str(), nullptr);
        if (!(std::fabs(valor) < 9.2e18))
            break;
        return static_cast<std::int64_t>(valor);
    }
    case TTipo::Texto: {
        std::int64_t valor = 0;
        const char* inicio = FTexto.data();
        const char* fim = inicio + FTexto.size();
        while (inicio < fim && *inicio == ' ')
            ++inicio;
        while (fim > inicio && fim[-1] == ' ')
            --fim;
        if (*inicio == '+')
            ++inicio;
        const auto [ptr, erro] = std::from_chars(inicio, fim, valor);
        if (erro == std::errc() && ptr == fim && inicio != fim)
            return valor;
        break;
    }
    }
    throw EBancoDados::DaCamada("\"" + FTexto + "\" não é um valor inteiro válido.");
}

std::int32_t TCampo::ComoInteiro() const
{
    const std::int64_t valor = ComoInteiro64();
    if (valor < std::numeric_limits<std::int32_t>::min() ||
        valor > std::numeric_limits<std::int32_t>::max())
        throw EBancoDados::DaCamada("O valor " + std::to_string(valor) +
                                    " não cabe num inteiro de 32 bits.");
    return static_cast<std::int32_t>(valor);
}
