#include "LinhaRecusada.h"

#include "Firebird.h"
#include "NomeSql.h"
#include "ValorMensagem.h"

#include <algorithm>

using namespace Firebird;

namespace {

constexpr unsigned CharsetUnicodeFss = 3;
constexpr unsigned CharsetUtf8 = 4;
constexpr std::size_t PrimeiraLinhaInsercao = 4;

// A double-quoted name from position i on, inner quotes doubled; moves i past it.
std::string LerEntreAspas(const std::string& texto, std::size_t& i)
{
    std::string nome;
    for (++i; i < texto.size(); ++i) {
        if (texto[i] == '"') {
            if (i + 1 < texto.size() && texto[i + 1] == '"') {
                nome += '"';
                ++i;
                continue;
            }
            ++i;
            break;
        }
        nome += texto[i];
    }
    return nome;
}

} // namespace

std::optional<std::size_t> LinhaRecusada(const std::string& local, std::size_t linhas)
{
    if (linhas == 1)
        return 0;
    // The block is the outermost place: a trigger the insert fired comes before it.
    static const std::string Marca = "At block line: ";
    const std::size_t achada = local.rfind(Marca);
    if (achada == std::string::npos)
        return std::nullopt;
    std::size_t numero = 0;
    for (std::size_t i = achada + Marca.size();
         i < local.size() && local[i] >= '0' && local[i] <= '9'; ++i)
        numero = numero * 10 + static_cast<std::size_t>(local[i] - '0');
    if (numero < PrimeiraLinhaInsercao || numero - PrimeiraLinhaInsercao >= linhas)
        return std::nullopt;
    return numero - PrimeiraLinhaInsercao;
}

std::string ColunaDaMensagem(const std::string& mensagem)
{
    static const std::string Marca = "validation error for column ";
    std::size_t i = mensagem.find(Marca);
    if (i == std::string::npos)
        return {};
    i += Marca.size();
    if (i >= mensagem.size() || mensagem[i] != '"') {
        const std::size_t fim = mensagem.find_first_of(", \r\n", i);
        return mensagem.substr(i, fim == std::string::npos ? std::string::npos : fim - i);
    }
    std::string nome = LerEntreAspas(mensagem, i);
    // "TABLE"."COLUMN": the column is the second name.
    if (i + 1 < mensagem.size() && mensagem[i] == '.' && mensagem[i + 1] == '"') {
        ++i;
        nome = LerEntreAspas(mensagem, i);
    }
    return nome;
}

std::optional<std::size_t> TLinhaMensagem::Caracteres(unsigned c,
                                                      const TConjuntosCaracteres& conjuntos) const
{
    fb::TStatus status;
    const unsigned campo = FPrimeiro + c;
    if (*reinterpret_cast<const short*>(FBuffer + FMeta->getNullOffset(&status, campo)))
        return std::nullopt;
    const unsigned char* dados = FBuffer + FMeta->getOffset(&status, campo);
    std::size_t bytes = 0;
    switch (FMeta->getType(&status, campo) & ~1u) {
    case SQL_VARYING:
        bytes = *reinterpret_cast<const unsigned short*>(dados);
        dados += 2;
        break;
    case SQL_TEXT:
        bytes = FMeta->getLength(&status, campo);
        while (bytes > 0 && dados[bytes - 1] == ' ')
            --bytes;
        break;
    default:
        return std::nullopt;
    }
    const unsigned conjunto = ConjuntoDoId(FMeta->getCharSet(&status, campo));
    if (conjunto == CharsetUtf8 || conjunto == CharsetUnicodeFss) {
        std::size_t caracteres = 0;
        for (std::size_t i = 0; i < bytes; ++i)
            caracteres += (dados[i] & 0xC0) != 0x80;
        return caracteres;
    }
    auto achado = conjuntos.find(conjunto);
    return bytes / (achado == conjuntos.end() ? 1 : std::max(1u, achado->second.BytesPorCaractere));
}

std::string TLinhaMensagem::ValorSql(unsigned c) const
{
    fb::TStatus status;
    const unsigned campo = FPrimeiro + c;
    const TCampo valor = LerValorMensagem(FMeta, campo, FBuffer, nullptr, nullptr);
    if (valor.EhNulo())
        return "null";
    switch (FMeta->getType(&status, campo) & ~1u) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return valor.ComoTexto();
    default:
        return LiteralSql(valor.ComoTexto());
    }
}
