#include "ValorMensagem.h"

#include "ConjuntosCaracteres.h"
#include "Firebird.h"
#include "Texto.h"

#include <charconv>
#include <cstdio>
#include <cstring>

using namespace Firebird;

namespace {

constexpr unsigned CharsetOctets = 1;
constexpr unsigned CharsetUnicodeFss = 3;
constexpr unsigned CharsetUtf8 = 4;

// Bytes of OCTETS and text already in UTF-8 pass as they are; the rest is the connection's
// WIN1252.
std::string TextoDoBanco(const char* dados, std::size_t tamanho, unsigned charset)
{
    if (charset == CharsetOctets || charset == CharsetUnicodeFss || charset == CharsetUtf8)
        return std::string(dados, tamanho);
    return ConverterDoBanco(std::string_view(dados, tamanho));
}

// A scaled integer as decimal text: 12345 with scale -2 reads "123.45".
std::string TextoDecimal(std::int64_t valor, int escala)
{
    if (escala >= 0) {
        std::string texto = std::to_string(valor);
        texto.append(static_cast<std::size_t>(escala), '0');
        return texto;
    }
    const bool negativo = valor < 0;
    std::string digitos = std::to_string(valor);
    if (negativo)
        digitos.erase(0, 1);
    const auto casas = static_cast<std::size_t>(-escala);
    if (digitos.size() <= casas)
        digitos.insert(0, casas - digitos.size() + 1, '0');
    digitos.insert(digitos.size() - casas, ".");
    return negativo ? "-" + digitos : digitos;
}

std::string TextoReal(double valor)
{
    char texto[64];
    const auto r = std::to_chars(texto, texto + sizeof texto, valor);
    return std::string(texto, r.ptr);
}

std::string TextoData(ISC_DATE data)
{
    unsigned ano, mes, dia;
    fb::Util()->decodeDate(data, &ano, &mes, &dia);
    char texto[16];
    std::snprintf(texto, sizeof texto, "%04u-%02u-%02u", ano, mes, dia);
    return texto;
}

std::string TextoHora(ISC_TIME hora)
{
    unsigned h, m, s, fracao;
    fb::Util()->decodeTime(hora, &h, &m, &s, &fracao);
    char texto[24];
    std::snprintf(texto, sizeof texto, "%02u:%02u:%02u.%04u", h, m, s, fracao);
    return texto;
}

std::string LerBlob(IAttachment* anexo, ITransaction* transacao, ISC_QUAD id)
{
    fb::TStatus status;
    fb::TBlob blob(anexo->openBlob(&status, transacao, &id, 0, nullptr));
    std::string conteudo;
    char bloco[32768];
    for (;;) {
        unsigned lidos = 0;
        const int r = blob->getSegment(&status, sizeof bloco, bloco, &lidos);
        if (r == IStatus::RESULT_NO_DATA)
            break;
        conteudo.append(bloco, lidos);
    }
    fb::Fechar(blob, status);
    return conteudo;
}

} // namespace

TCampo LerValorMensagem(IMessageMetadata* meta, unsigned i, const unsigned char* linha,
                        IAttachment* anexo, ITransaction* transacao)
{
    fb::TStatus status;
    if (*reinterpret_cast<const short*>(linha + meta->getNullOffset(&status, i)))
        return TCampo::Nulo();
    const unsigned char* dados = linha + meta->getOffset(&status, i);
    const unsigned tipo = meta->getType(&status, i) & ~1u;
    const int escala = meta->getScale(&status, i);
    const unsigned charset = ConjuntoDoId(meta->getCharSet(&status, i));

    auto inteiro = [&](std::int64_t valor) {
        return escala == 0 ? TCampo::DeInteiro(valor)
                           : TCampo::DeDecimal(TextoDecimal(valor, escala));
    };

    switch (tipo) {
    case SQL_TEXT: {
        std::size_t tamanho = meta->getLength(&status, i);
        const auto* texto = reinterpret_cast<const char*>(dados);
        if (charset != CharsetOctets)
            while (tamanho > 0 && texto[tamanho - 1] == ' ')
                --tamanho;
        return TCampo::DeTexto(TextoDoBanco(texto, tamanho, charset));
    }
    case SQL_VARYING: {
        unsigned short tamanho;
        std::memcpy(&tamanho, dados, sizeof tamanho);
        return TCampo::DeTexto(
            TextoDoBanco(reinterpret_cast<const char*>(dados) + 2, tamanho, charset));
    }
    case SQL_SHORT:
        return inteiro(*reinterpret_cast<const std::int16_t*>(dados));
    case SQL_LONG:
        return inteiro(*reinterpret_cast<const std::int32_t*>(dados));
    case SQL_INT64:
        return inteiro(*reinterpret_cast<const std::int64_t*>(dados));
    case SQL_FLOAT:
        return TCampo::DeDecimal(TextoReal(*reinterpret_cast<const float*>(dados)));
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return TCampo::DeDecimal(TextoReal(*reinterpret_cast<const double*>(dados)));
    case SQL_TYPE_DATE:
        return TCampo::DeTexto(TextoData(*reinterpret_cast<const ISC_DATE*>(dados)));
    case SQL_TYPE_TIME:
        return TCampo::DeTexto(TextoHora(*reinterpret_cast<const ISC_TIME*>(dados)));
    case SQL_TIMESTAMP: {
        const auto* ts = reinterpret_cast<const ISC_TIMESTAMP*>(dados);
        return TCampo::DeTexto(TextoData(ts->timestamp_date) + " " +
                               TextoHora(ts->timestamp_time));
    }
    case SQL_BOOLEAN:
        return TCampo::DeTexto(*dados ? "True" : "False");
    case SQL_BLOB: {
        if (!anexo)
            throw EBancoDados::DaCamada("A coluna " + std::to_string(i + 1) +
                                        " é um blob, que aqui não se lê.");
        const std::string conteudo =
            LerBlob(anexo, transacao, *reinterpret_cast<const ISC_QUAD*>(dados));
        if (meta->getSubType(&status, i) == isc_blob_text)
            return TCampo::DeTexto(TextoDoBanco(conteudo.data(), conteudo.size(), charset));
        return TCampo::DeTexto(conteudo);
    }
    case SQL_NULL:
        return TCampo::Nulo();
    default:
        throw EBancoDados::DaCamada("A coluna " + std::to_string(i + 1) +
                                    " tem um tipo que esta versão não lê (" +
                                    std::to_string(tipo) + ").");
    }
}
