#pragma once

#include <cstdint>
#include <string>

// One value of a query row, as read at open. NULL reads as empty text and as 0.
class TCampo {
public:
    enum class TTipo { Nulo, Texto, Inteiro, Decimal };

    static TCampo Nulo() { return TCampo(TTipo::Nulo, {}, 0); }
    static TCampo DeTexto(std::string texto) { return TCampo(TTipo::Texto, std::move(texto), 0); }
    static TCampo DeInteiro(std::int64_t valor) { return TCampo(TTipo::Inteiro, {}, valor); }
    // A value with a decimal point or an exponent, kept as the text the program shows.
    static TCampo DeDecimal(std::string texto) { return TCampo(TTipo::Decimal, std::move(texto), 0); }

    bool EhNulo() const noexcept { return FTipo == TTipo::Nulo; }
    std::string ComoTexto() const;
    // 32 bits; a value outside that range fails instead of wrapping.
    std::int32_t ComoInteiro() const;
    std::int64_t ComoInteiro64() const;

private:
    TCampo(TTipo tipo, std::string texto, std::int64_t inteiro)
        : FTipo(tipo), FTexto(std::move(texto)), FInteiro(inteiro)
    {
    }

    TTipo FTipo;
    std::string FTexto;
    std::int64_t FInteiro;
};
