#include "ChaveEstrangeira.h"

#include "NomeSql.h"

#include <regex>

namespace {

std::string ListaNomes(const std::vector<std::string>& nomes)
{
    std::string lista;
    for (const std::string& nome : nomes) {
        if (!lista.empty())
            lista += ',';
        lista += NomeSql(nome);
    }
    return lista;
}

std::string Regra(const char* acao, const std::string& regra)
{
    if (regra.empty() || regra == "RESTRICT")
        return {};
    return std::string(" on ") + acao + " " + regra;
}

} // namespace

bool TChaveEstrangeira::NomeGerado() const
{
    static const std::regex gerado("INTEG_[0-9]+");
    return std::regex_match(Nome, gerado);
}

std::string TChaveEstrangeira::SQLCriar() const
{
    std::string sql = "alter table " + NomeSql(Tabela) + " add ";
    if (!NomeGerado())
        sql += "constraint " + NomeSql(Nome) + " ";
    sql += "foreign key (" + ListaNomes(Campos) + ") references " + NomeSql(TabelaReferenciada) +
           " (" + ListaNomes(CamposReferenciados) + ")";
    sql += Regra("update", RegraAtualizacao);
    sql += Regra("delete", RegraExclusao);
    // The server names an index after its constraint, and RDB$... when it names both; any
    // other name was given with "using index" and is kept.
    if (Indice != Nome && Indice.rfind("RDB$", 0) != 0)
        sql += std::string(" using ") + (IndiceDescendente ? "descending " : "") + "index " +
               NomeSql(Indice);
    return sql;
}

std::string TChaveEstrangeira::SQLExcluir() const
{
    return "alter table " + NomeSql(Tabela) + " drop constraint " + NomeSql(Nome);
}

std::string TChaveEstrangeira::Identidade() const
{
    return NomeGerado() ? SQLCriar() : NomeSql(Tabela) + " " + NomeSql(Nome);
}

std::string TChaveEstrangeira::Definicao() const
{
    // A character no name holds keeps the parts apart.
    const char separador = '\x1f';
    return Tabela + separador + ListaNomes(Campos) + separador + TabelaReferenciada + separador +
           ListaNomes(CamposReferenciados) + separador + RegraAtualizacao + separador +
           RegraExclusao;
}
