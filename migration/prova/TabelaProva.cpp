#include "TabelaProva.h"

#include "CatalogoRelacoes.h"
#include "Consulta.h"
#include "ListaTextos.h"
#include "NomeSql.h"

#include <algorithm>

namespace {

// The prime every hash is folded by: a folded hash times a folded key stays below 2^63, and
// the sum of a table's folded values stays far from it.
const char* const Primo = "1000000007";
// The stand-in for a NULL's hash, which the server leaves NULL and a sum would skip.
const char* const HashNulo = "3";
// The width of one range of the key's hash.
const long long LarguraFaixa = (1000000007LL + TTabelaProva::Faixas - 1) / TTabelaProva::Faixas;

// Every primary key's columns, in key order.
const char* const SQLChaves =
    "  select trim(C.RDB$RELATION_NAME) as TABELA,\r\n"
    "         trim(S.RDB$FIELD_NAME) as COLUNA\r\n"
    "    from RDB$RELATION_CONSTRAINTS C\r\n"
    "    join RDB$INDEX_SEGMENTS S\r\n"
    "      on S.RDB$INDEX_NAME = C.RDB$INDEX_NAME\r\n"
    "   where C.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY'\r\n"
    "order by C.RDB$RELATION_NAME, S.RDB$FIELD_POSITION\r\n";

// The destination's type as a cast names it; none for blobs, which the hash reads as they
// are, and for the types this code does not know.
std::string TipoCast(const TColunaCatalogo& coluna)
{
    return coluna.Tipo == 261 ? std::string() : coluna.TipoSql(false);
}

} // namespace

std::string TTabelaProva::Valor(TLado lado, const TColunaProva& coluna) const
{
    std::string valor = NomeSql(coluna.Nome);
    if (lado == TLado::Destino)
        return valor;
    if (!coluna.Tipo.empty())
        valor = "cast(" + valor + " as " + coluna.Tipo + ")";
    if (coluna.SimNao)
        valor = "coalesce(" + valor + ", 'N')";
    return valor;
}

// Per row: K_, the folded hash of its key (1 for a table without one); H1..Hn, each copied
// column's folded hash (a NULL counts as a value of its own); C1..Ck, the key's values; V_,
// when asked for, the row's record version.
std::string TTabelaProva::Base(TLado lado, bool comVersao) const
{
    std::string chave = "1";
    for (std::size_t k = 0; k < Chave.size(); ++k) {
        const std::string hash =
            "mod(hash(" + Valor(lado, Colunas[Chave[k]]) + "), " + Primo + ")";
        chave = k == 0 ? hash : "mod(" + chave + " * 31 + " + hash + ", " + Primo + ")";
    }
    if (!Chave.empty())
        chave = "(" + chave + " + 1)";
    std::string sql = "select " + chave + " as K_";
    for (std::size_t c = 0; c < Colunas.size(); ++c)
        sql += ", coalesce(mod(hash(" + Valor(lado, Colunas[c]) + "), " + Primo + "), " +
               HashNulo + ") as H" + std::to_string(c + 1);
    for (std::size_t k = 0; k < Chave.size(); ++k)
        sql += ", " + Valor(lado, Colunas[Chave[k]]) + " as C" + std::to_string(k + 1);
    if (comVersao)
        sql += ", RDB$RECORD_VERSION as V_";
    return sql + " from " + NomeSql(Nome);
}

// One value per row from every column's hash bound to the key, each weighted by its column's
// place, so that values swapped between two columns of a row change it too.
std::string TTabelaProva::DigestoLinha() const
{
    std::string soma;
    for (std::size_t c = 0; c < Colunas.size(); ++c)
        soma += std::string(c ? " + " : "") + "mod(H" + std::to_string(c + 1) + " * K_, " +
                Primo + ") * " + std::to_string(c + 1);
    return "mod(" + (soma.empty() ? std::string("0") : soma) + ", " + Primo + ")";
}

std::string TTabelaProva::SQLResumo(TLado lado, bool comMarca) const
{
    std::string sql = "select count(*)";
    for (std::size_t c = 0; c < Colunas.size(); ++c)
        sql += ", sum(mod(H" + std::to_string(c + 1) + " * K_, " + Primo + "))";
    if (comMarca)
        sql += ", coalesce(max(V_), 0)";
    return sql + " from (" + Base(lado, comMarca) + ") X";
}

std::string TTabelaProva::SQLMarca() const
{
    return "select count(*), coalesce(max(RDB$RECORD_VERSION), 0) from " + NomeSql(Nome);
}

std::string TTabelaProva::SQLFaixas(TLado lado) const
{
    return "select K_ / " + std::to_string(LarguraFaixa) + ", count(*), sum(" + DigestoLinha() +
           ") from (" + Base(lado) + ") X group by 1";
}

std::string TTabelaProva::SQLLinhas(TLado lado, const std::vector<long long>& faixas) const
{
    std::string sql = "select ";
    for (std::size_t k = 0; k < Chave.size(); ++k)
        sql += "C" + std::to_string(k + 1) + ", ";
    std::string lista;
    for (long long faixa : faixas)
        lista += (lista.empty() ? "" : ", ") + std::to_string(faixa);
    return sql + DigestoLinha() + " from (" + Base(lado) + ") X where K_ / " +
           std::to_string(LarguraFaixa) + " in (" + lista + ")";
}

std::map<std::string, TTabelaProva> LerTabelasProva(TConexao& destino)
{
    std::map<std::string, TTabelaProva> tabelas;
    for (const auto& [nome, relacao] : LerCatalogoRelacoes(destino)) {
        if (relacao.Visao)
            continue;
        TTabelaProva& tabela = tabelas[nome];
        tabela.Nome = nome;
        for (const TColunaCatalogo& coluna : relacao.Colunas)
            if (coluna.Copiada())
                tabela.Colunas.push_back({coluna.Nome, TipoCast(coluna), coluna.SimNao()});
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
