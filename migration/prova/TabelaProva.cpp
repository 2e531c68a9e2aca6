#include "TabelaProva.h"

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

const char* const SQLColunas =
    "  select trim(RF.RDB$RELATION_NAME) as TABELA,\r\n"
    "         trim(RF.RDB$FIELD_NAME) as COLUNA,\r\n"
    "         trim(RF.RDB$FIELD_SOURCE) as DOMINIO,\r\n"
    "         FI.RDB$FIELD_TYPE as TIPO,\r\n"
    "         coalesce(FI.RDB$FIELD_SUB_TYPE, 0) as SUBTIPO,\r\n"
    "         coalesce(FI.RDB$CHARACTER_LENGTH, FI.RDB$FIELD_LENGTH) as CARACTERES,\r\n"
    "         coalesce(FI.RDB$FIELD_PRECISION, 0) as PRECISAO,\r\n"
    "         -coalesce(FI.RDB$FIELD_SCALE, 0) as ESCALA,\r\n"
    "         trim(CS.RDB$CHARACTER_SET_NAME) as CONJUNTO,\r\n"
    "         iif(FI.RDB$COMPUTED_SOURCE is null, 0, 1) as CALCULADA,\r\n"
    "         (select S.RDB$FIELD_POSITION\r\n"
    "            from RDB$RELATION_CONSTRAINTS C\r\n"
    "            join RDB$INDEX_SEGMENTS S\r\n"
    "              on S.RDB$INDEX_NAME = C.RDB$INDEX_NAME\r\n"
    "           where C.RDB$RELATION_NAME = RF.RDB$RELATION_NAME\r\n"
    "             and C.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY'\r\n"
    "             and S.RDB$FIELD_NAME = RF.RDB$FIELD_NAME) as POSICAO_CHAVE\r\n"
    "    from RDB$RELATIONS R\r\n"
    "    join RDB$RELATION_FIELDS RF\r\n"
    "      on RF.RDB$RELATION_NAME = R.RDB$RELATION_NAME\r\n"
    "    join RDB$FIELDS FI\r\n"
    "      on FI.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE\r\n"
    "    left join RDB$CHARACTER_SETS CS\r\n"
    "      on CS.RDB$CHARACTER_SET_ID = FI.RDB$CHARACTER_SET_ID\r\n"
    "   where R.RDB$SYSTEM_FLAG = 0\r\n"
    "     and R.RDB$VIEW_SOURCE is null\r\n"
    "order by R.RDB$RELATION_NAME, RF.RDB$FIELD_POSITION\r\n";

// The destination's type as a cast names it; empty for the types a cast would only blur
// (blobs, which the hash reads as they are) and for those this code does not know.
std::string TipoCast(TConsulta& consulta)
{
    const int tipo = consulta.Campo("TIPO").ComoInteiro();
    const int subtipo = consulta.Campo("SUBTIPO").ComoInteiro();
    const int escala = consulta.Campo("ESCALA").ComoInteiro();
    const int precisao = consulta.Campo("PRECISAO").ComoInteiro();
    const std::string caracteres = std::to_string(consulta.Campo("CARACTERES").ComoInteiro());
    const std::string conjunto = consulta.Campo("CONJUNTO").ComoTexto();
    const auto exato = [&](const char* inteiro, int precisaoPadrao) -> std::string {
        if (subtipo == 0 && escala == 0)
            return inteiro;
        return std::string(subtipo == 2 ? "decimal(" : "numeric(") +
               std::to_string(precisao > 0 ? precisao : precisaoPadrao) + "," +
               std::to_string(escala) + ")";
    };
    const std::string comConjunto = conjunto.empty() ? "" : " character set " + conjunto;
    switch (tipo) {
    case 7:
        return exato("smallint", 4);
    case 8:
        return exato("integer", 9);
    case 16:
        return exato("bigint", 18);
    case 10:
        return "float";
    case 27:
        return "double precision";
    case 12:
        return "date";
    case 13:
        return "time";
    case 35:
        return "timestamp";
    case 23:
        return "boolean";
    case 14:
        return "char(" + caracteres + ")" + comConjunto;
    case 37:
        return "varchar(" + caracteres + ")" + comConjunto;
    default:
        return {};
    }
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
// column's folded hash (a NULL counts as a value of its own); C1..Ck, the key's values.
std::string TTabelaProva::Base(TLado lado) const
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

std::string TTabelaProva::SQLResumo(TLado lado) const
{
    std::string sql = "select count(*)";
    for (std::size_t c = 0; c < Colunas.size(); ++c)
        sql += ", sum(mod(H" + std::to_string(c + 1) + " * K_, " + Primo + "))";
    return sql + " from (" + Base(lado) + ") X";
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
    TConsulta consulta(&destino, SQLColunas);
    consulta.Abrir();
    std::map<std::string, TTabelaProva> tabelas;
    std::map<std::string, std::vector<std::pair<int, std::size_t>>> chaves;
    for (; !consulta.Eof(); consulta.Proximo()) {
        const std::string nomeTabela = consulta.Campo("TABELA").ComoTexto();
        TTabelaProva& tabela = tabelas[nomeTabela];
        tabela.Nome = nomeTabela;
        const std::string nome = consulta.Campo("COLUNA").ComoTexto();
        if (consulta.Campo("CALCULADA").ComoInteiro() != 0 || nome == "COD_ATUALIZACAO")
            continue;
        TColunaProva coluna;
        coluna.Nome = nome;
        coluna.Tipo = TipoCast(consulta);
        coluna.SimNao = consulta.Campo("DOMINIO").ComoTexto() == "LOGICO";
        if (!consulta.Campo("POSICAO_CHAVE").EhNulo()) {
            coluna.PosicaoChave = consulta.Campo("POSICAO_CHAVE").ComoInteiro();
            chaves[nomeTabela].emplace_back(coluna.PosicaoChave, tabela.Colunas.size());
        }
        tabela.Colunas.push_back(std::move(coluna));
    }
    for (auto& [nome, colunas] : chaves) {
        std::sort(colunas.begin(), colunas.end());
        for (const auto& [posicao, indice] : colunas)
            tabelas[nome].Chave.push_back(indice);
    }
    return tabelas;
}
