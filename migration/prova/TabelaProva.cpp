#include "TabelaProva.h"

#include "Consulta.h"
#include "Estreitamento.h"
#include "NomeSql.h"

#include <algorithm>
#include <cstdint>

namespace {

// The modulus of every fold: a product of two folded values stays below 2^62, and a table's
// sum of up to 2^32 row digests inside a BIGINT.
constexpr std::int64_t Primo = 2147483647;
const std::string P = std::to_string(Primo);
// The width of one range of the key's fold.
const long long LarguraFaixa = (Primo + TTabelaProva::Faixas - 1) / TTabelaProva::Faixas;

// Every primary key's columns, in key order.
const char* const SQLChaves =
    "  select trim(C.RDB$RELATION_NAME) as TABELA,\r\n"
    "         trim(S.RDB$FIELD_NAME) as COLUNA\r\n"
    "    from RDB$RELATION_CONSTRAINTS C\r\n"
    "    join RDB$INDEX_SEGMENTS S\r\n"
    "      on S.RDB$INDEX_NAME = C.RDB$INDEX_NAME\r\n"
    "   where C.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY'\r\n"
    "order by C.RDB$RELATION_NAME, S.RDB$FIELD_POSITION\r\n";

// The constants of the folds: fixed, so that both sides and every run compute the same
// digests, and unrelated to each other and to the values, so that no simple change of a
// value (a digit, a swap of two parts) is undone by another. splitmix64 of the place.
std::int64_t Constante(std::uint64_t finalidade, std::size_t coluna, std::size_t parte)
{
    std::uint64_t z = 0x9E3779B97F4A7C15ULL * (finalidade * 1000003ULL + coluna * 17ULL + parte + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<std::int64_t>(z % static_cast<std::uint64_t>(Primo - 1)) + 1;
}

enum TFinalidade : std::uint64_t { PesoValor = 1, NuloColuna = 2, PesoChave = 3 };

// One integer a value is taken apart into. Reduzida: it already lies within (-P, P), so that a
// weight below P times it stays below 2^62 without folding it first. NaoNegativa: never below
// 0. SemPeso: added as it is (a length, below 2^32).
struct TParte {
    std::string Sql;
    bool Reduzida = false;
    bool NaoNegativa = false;
    bool SemPeso = false;
};

// A 64-bit integer as two parts within (-P, P).
std::vector<TParte> Inteiro64(const std::string& v)
{
    return {{"mod(" + v + ", " + P + ")", true}, {"mod(" + v + " / " + P + ", " + P + ")", true}};
}

// The integers one value is taken apart into; NULL for a NULL value.
std::vector<TParte> Partes(const TColunaProva& coluna, const std::string& v)
{
    switch (coluna.Classe) {
    case TClasseValor::Inteiro:
        if (!coluna.Largo)
            return {{v, true}};
        return Inteiro64(v);
    case TClasseValor::Decimal: {
        // Exact arithmetic on the stored number, cheaper than its text: the integer part and
        // the decimals times 10^scale.
        const std::string inteira = "cast(trunc(" + v + ") as bigint)";
        std::vector<TParte> partes = coluna.Largo ? Inteiro64(inteira)
                                                  : std::vector<TParte>{{inteira, true}};
        partes.push_back({"cast((" + v + " - trunc(" + v + ")) * 1" +
                              std::string(static_cast<std::size_t>(coluna.Escala), '0') +
                              " as bigint)",
                          coluna.Escala <= 9});
        return partes;
    }
    case TClasseValor::Flutuante: {
        // Scaled by a power of two (exact) so that the mantissa becomes an integer of 58 to 60
        // bits, whichever way the logarithm rounds; below 1e-270 in two steps, so that no
        // factor leaves a double's range.
        const std::string e =
            "cast(floor(ln(abs(" + v + ")) * 1.4426950408889634e0) as integer)";
        const std::string m = "cast(" + v + " * power(2e0, 58 - " + e + ") as bigint)";
        const std::string minimo = "cast(" + v + " * power(2e0, 29 - " + e + " / 2) * power(2e0, 29 - " +
                                   e + " + " + e + " / 2) as bigint)";
        return {{"iif(" + v + " = 0, 0, mod(iif(abs(" + v + ") < 1e-270, " + minimo + ", " + m +
                     "), " + P + "))",
                 true},
                {"iif(" + v + " = 0, -2000, " + e + ")", true}};
    }
    case TClasseValor::Data:
        return {{"datediff(day from date '2000-01-01' to " + v + ")", true}};
    case TClasseValor::Hora:
        return {{"cast(datediff(millisecond from time '00:00:00' to " + v + ") * 10 as integer)",
                 true}};
    case TClasseValor::DataHora:
        return Inteiro64("cast(datediff(millisecond from timestamp '2000-01-01 00:00:00' to " + v +
                         ") * 10 as bigint)");
    case TClasseValor::Logico:
        return {{"case when " + v + " then 2 when not " + v + " then 1 end", true}};
    case TClasseValor::Texto:
        break;
    }
    // hash() alone lets 'Ab' and 'BR' meet, and loses leading zero bytes; the same hash of the
    // reversed text weighs every byte differently, and the length counts every byte.
    return {{"hash(" + v + ")", false, true},
            {"hash(reverse(" + v + "))", false, true},
            {"octet_length(" + v + ")", true, true, true}};
}

// The parts of a value folded into one sum, each by a weight of its own. Two weighted parts
// and a length stay below 2^63; another weighted part is added to the ones before folded.
struct TDobra {
    std::string Sql;
    bool NaoNegativa = true;
    bool Pequena = true; // within (-2^62, 2^62)
};

TDobra Dobra(const std::vector<TParte>& partes, TFinalidade finalidade, std::size_t coluna)
{
    TDobra dobra;
    for (std::size_t j = 0; j < partes.size(); ++j) {
        const TParte& parte = partes[j];
        const std::string valor = parte.Reduzida ? parte.Sql : "mod(" + parte.Sql + ", " + P + ")";
        const std::string termo =
            parte.SemPeso ? valor
                          : std::to_string(Constante(finalidade, coluna, j)) + " * " + valor;
        if (j == 0)
            dobra.Sql = termo;
        else if (j == 1 || parte.SemPeso)
            dobra.Sql += " + " + termo;
        else
            dobra.Sql = "mod(" + dobra.Sql + ", " + P + ") + " + termo;
        dobra.NaoNegativa = dobra.NaoNegativa && parte.NaoNegativa;
        dobra.Pequena = j == 0 && !parte.SemPeso;
    }
    return dobra;
}

TClasseValor Classe(const TColunaCatalogo& coluna)
{
    switch (coluna.Tipo) {
    case 7:
    case 8:
    case 16:
        return coluna.Escala == 0 ? TClasseValor::Inteiro : TClasseValor::Decimal;
    case 10:
    case 27:
        return TClasseValor::Flutuante;
    case 12:
        return TClasseValor::Data;
    case 13:
        return TClasseValor::Hora;
    case 35:
        return TClasseValor::DataHora;
    case 23:
        return TClasseValor::Logico;
    default:
        return TClasseValor::Texto;
    }
}

// The type a cast names; for a blob only a text blob's character set, binary blobs are read
// as they are.
std::string TipoCast(const TColunaCatalogo& coluna)
{
    if (coluna.Tipo == 261)
        return coluna.TextoLongo() && !coluna.NomeConjunto.empty() ? coluna.TipoSql(false)
                                                                    : std::string();
    return coluna.TipoSql(false);
}

// The type both sides are compared at decides how a value is taken apart.
void DefinirClasse(TColunaProva& coluna, const TColunaCatalogo& tipo)
{
    coluna.Classe = Classe(tipo);
    coluna.Largo = tipo.Tipo == 16;
    coluna.Escala = tipo.Escala;
}

TColunaProva ColunaProva(const TColunaCatalogo& destino, const TColunaCatalogo* origem)
{
    TColunaProva coluna;
    coluna.Nome = destino.Nome;
    coluna.SimNao = destino.SimNao();
    DefinirClasse(coluna, destino);
    if (!origem)
        coluna.TipoOrigem = TipoCast(destino);
    else if (PodeEstreitar(*origem, destino)) {
        // What the destination's type dropped must show: the destination's value is taken
        // back to the source's type, and compared with the source's as it is.
        coluna.TipoDestino = TipoCast(*origem);
        DefinirClasse(coluna, *origem);
    } else if (!MesmoArmazenamento(*origem, destino))
        coluna.TipoOrigem = TipoCast(destino);
    return coluna;
}

} // namespace

std::string TTabelaProva::Valor(TLado lado, const TColunaProva& coluna) const
{
    std::string valor = NomeSql(coluna.Nome);
    const std::string& tipo = lado == TLado::Origem ? coluna.TipoOrigem : coluna.TipoDestino;
    if (!tipo.empty())
        valor = "cast(" + valor + " as " + tipo + ")";
    if (lado == TLado::Origem && coluna.SimNao)
        valor = "coalesce(" + valor + ", 'N')";
    return valor;
}

// The column's factor, between 1 and the prime less 1: never 0, so no other factor of the
// row can hide behind it. A fold that may be negative is moved above 0 first: by 2^62 when it
// is small enough, else folded by the prime and moved by it.
std::string TTabelaProva::Fator(TLado lado, std::size_t c) const
{
    const TColunaProva& coluna = Colunas[c];
    const TDobra dobra = Dobra(Partes(coluna, Valor(lado, coluna)), PesoValor, c);
    std::string valor = "coalesce(" + dobra.Sql + ", " + std::to_string(Constante(NuloColuna, c, 0)) + ")";
    if (!dobra.NaoNegativa)
        valor = dobra.Pequena ? valor + " + 4611686018427387904"
                              : "mod(" + valor + ", " + P + ") + " + P;
    return "mod(" + valor + ", " + std::to_string(Primo - 1) + ") + 1";
}

std::string TTabelaProva::DigestoLinha(TLado lado) const
{
    if (Colunas.empty())
        return "1";
    std::string produto = Fator(lado, 0);
    for (std::size_t c = 1; c < Colunas.size(); ++c)
        produto = "mod((" + produto + ") * (" + Fator(lado, c) + "), " + P + ")";
    return produto;
}

// The key's values folded into one number from 0 to the prime, which places a row in its range.
std::string TTabelaProva::DobraChave(TLado lado) const
{
    std::string soma;
    for (std::size_t k = 0; k < Chave.size(); ++k) {
        const TColunaProva& coluna = Colunas[Chave[k]];
        soma += std::string(k ? " + " : "") + "coalesce(mod(" +
                Dobra(Partes(coluna, Valor(lado, coluna)), PesoChave, k).Sql + ", " + P + "), 0)";
    }
    return "abs(mod(" + (soma.empty() ? std::string("0") : soma) + ", " + P + "))";
}

std::string TTabelaProva::SQLResumo(TLado lado, bool comMarca) const
{
    std::string sql = "select count(*)";
    for (const TColunaProva& coluna : Colunas)
        sql += ", count(" +
               (lado == TLado::Origem && coluna.SimNao ? Valor(lado, coluna) : NomeSql(coluna.Nome)) +
               ")";
    sql += ", coalesce(sum(" + DigestoLinha(lado) + "), 0)";
    if (comMarca)
        sql += ", coalesce(max(RDB$RECORD_VERSION), 0)";
    return sql + " from " + NomeSql(Nome);
}

std::string TTabelaProva::SQLMarca() const
{
    return "select count(*), coalesce(max(RDB$RECORD_VERSION), 0) from " + NomeSql(Nome);
}

std::string TTabelaProva::SQLFaixas(TLado lado) const
{
    return "select K_ / " + std::to_string(LarguraFaixa) + ", count(*), sum(R_) from (select " +
           DobraChave(lado) + " as K_, " + DigestoLinha(lado) + " as R_ from " + NomeSql(Nome) +
           ") X group by 1";
}

std::string TTabelaProva::SQLLinhas(TLado lado, const std::vector<long long>& faixas) const
{
    std::string colunas;
    std::string base = "select " + DobraChave(lado) + " as K_, " + DigestoLinha(lado) + " as R_";
    for (std::size_t k = 0; k < Chave.size(); ++k) {
        colunas += "C" + std::to_string(k + 1) + ", ";
        base += ", " + Valor(lado, Colunas[Chave[k]]) + " as C" + std::to_string(k + 1);
    }
    std::string lista;
    for (long long faixa : faixas)
        lista += (lista.empty() ? "" : ", ") + std::to_string(faixa);
    return "select " + colunas + "R_ from (" + base + " from " + NomeSql(Nome) + ") X where K_ / " +
           std::to_string(LarguraFaixa) + " in (" + lista + ")";
}

std::map<std::string, TTabelaProva> LerTabelasProva(TConexao& destino,
                                                    const TCatalogoRelacoes& origem)
{
    std::map<std::string, TTabelaProva> tabelas;
    for (const auto& [nome, relacao] : LerCatalogoRelacoes(destino)) {
        if (relacao.Visao)
            continue;
        TTabelaProva& tabela = tabelas[nome];
        tabela.Nome = nome;
        const auto daOrigem = origem.find(nome);
        for (const TColunaCatalogo& coluna : relacao.Colunas)
            if (coluna.Copiada())
                tabela.Colunas.push_back(ColunaProva(
                    coluna, daOrigem == origem.end() ? nullptr : daOrigem->second.Coluna(coluna.Nome)));
    }
    TConsulta consulta(&destino, SQLChaves);
    consulta.Abrir();
    for (; !consulta.Eof(); consulta.Proximo()) {
        const auto tabela = tabelas.find(consulta.Campo("TABELA").ComoTexto());
        if (tabela == tabelas.end())
            continue;
        std::vector<TColunaProva>& colunas = tabela->second.Colunas;
        const std::string nome = consulta.Campo("COLUNA").ComoTexto();
        const auto coluna = std::find_if(colunas.begin(), colunas.end(),
                                         [&nome](const TColunaProva& c) { return c.Nome == nome; });
        if (coluna == colunas.end())
            continue;
        coluna->PosicaoChave = static_cast<int>(tabela->second.Chave.size());
        tabela->second.Chave.push_back(static_cast<std::size_t>(coluna - colunas.begin()));
    }
    return tabelas;
}
