#include "Texto.h"

#include "ErroBancoDados.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace {

class TConversor {
public:
    TConversor(const char* para, const char* de) : FHandle(iconv_open(para, de))
    {
        if (FHandle == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv não converte de ") + de + " para " + para);
    }
    ~TConversor() { iconv_close(FHandle); }
    TConversor(const TConversor&) = delete;
    TConversor& operator=(const TConversor&) = delete;

    // Returns false at the first byte that cannot be converted when no substitute is given;
    // with a substitute, that byte is replaced and the conversion goes on.
    bool Converter(std::string_view entrada, std::string& saida, const char* substituto)
    {
        iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
        saida.clear();
        auto* in = const_cast<char*>(entrada.data());
        std::size_t restante = entrada.size();
        char bloco[4096];
        while (restante > 0) {
            char* out = bloco;
            std::size_t livre = sizeof bloco;
            const std::size_t r = iconv(FHandle, &in, &restante, &out, &livre);
            saida.append(bloco, static_cast<std::size_t>(out - bloco));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
                if (!substituto)
                    return false;
                saida += substituto;
                ++in;
                --restante;
            }
        }
        return true;
    }

private:
    iconv_t FHandle;
};

// One converter per thread and direction: iconv handles keep state and are not shared.
TConversor& ParaBanco()
{
    thread_local TConversor conversor("WINDOWS-1252", "UTF-8");
    return conversor;
}

TConversor& DoBanco()
{
    thread_local TConversor conversor("UTF-8", "WINDOWS-1252");
    return conversor;
}

bool Ascii(std::string_view texto)
{
    for (unsigned char c : texto)
        if (c >= 0x80)
            return false;
    return true;
}

} // namespace

std::string ConverterParaBanco(std::string_view utf8)
{
    if (Ascii(utf8))
        return std::string(utf8);
    std::string saida;
    if (!ParaBanco().Converter(utf8, saida, nullptr))
        throw EBancoDados::DaCamada("O texto \"" + std::string(utf8) +
                                    "\" tem caracteres que o conjunto WIN1252 não representa.");
    return saida;
}

bool RepresentavelNoBanco(std::string_view utf8)
{
    std::string saida;
    return Ascii(utf8) || ParaBanco().Converter(utf8, saida, nullptr);
}

std::string ConverterDoBanco(std::string_view win1252)
{
    if (Ascii(win1252))
        return std::string(win1252);
    std::string saida;
    if (!DoBanco().Converter(win1252, saida, nullptr))
        throw EBancoDados::DaCamada("Um texto lido do banco tem bytes que o conjunto WIN1252 "
                                    "não define.");
    return saida;
}

std::string ConverterMensagemDoBanco(std::string_view win1252)
{
    if (Ascii(win1252))
        return std::string(win1252);
    std::string saida;
    DoBanco().Converter(win1252, saida, "?");
    return saida;
}
