#include "ReplicacaoTabela.h"

#include <algorithm>
#include <utility>

namespace {

constexpr const char* FimLinha = "\r\n";

// Blank in the sense of the catalogue: nothing left once blanks and control characters are
// taken off both ends.
bool EhVazio(const std::string& texto)
{
    return std::all_of(texto.begin(), texto.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

std::string Espacos(std::size_t quantidade) { return std::string(quantidade, ' '); }

} // namespace

TReplicacaoTabela::TReplicacaoTabela() : FCamposIgnorar{"COD_ATUALIZACAO"} {}

TReplicacaoTabela::~TReplicacaoTabela() = default;

void TReplicacaoTabela::AdicionarCampo(std::string nome)
{
    FCampos.push_back(std::make_unique<TReplicacaoCampo>(std::move(nome)));
}

void TReplicacaoTabela::AdicionarCampoChavePrimaria(std::string nome)
{
    FCamposChavePrimaria.push_back(std::make_unique<TReplicacaoCampo>(std::move(nome)));
}

void TReplicacaoTabela::AdicionarCampoIgnorar(std::string nome)
{
    FCamposIgnorar.push_back(std::move(nome));
}

void TReplicacaoTabela::MarcarChavePrimaria()
{
    for (const auto& campo : FCampos)
        campo->FEhChavePrimaria =
            std::any_of(FCamposChavePrimaria.begin(), FCamposChavePrimaria.end(),
                        [&](const auto& chave) { return chave->Nome() == campo->Nome(); });
}

std::string TReplicacaoTabela::NomeGatilhoReplicacao() const
{
    return (EhVazio(FNomeGatilho) ? FNome : FNomeGatilho) + "_RPL";
}

// The statement is built line by line from fixed pieces and the loaded names only, so the same
// table always gives the same text and a rerun rewrites the trigger in place.
//
// The guard RPL_<table> keeps the trigger from replicating its own writes. It lives as long as
// the transaction, so every way out of the trigger after it is set must clear it, or the
// application's next write to the table in that transaction would go unreplicated: it is set
// only once the writing company is known to be in a group, and a failure clears it before
// being raised again unchanged.
std::string TReplicacaoTabela::GetSQLGatilho() const
{
    const std::string contexto = "'USER_TRANSACTION', 'RPL_" + FNome + "'";

    const std::string itens[] = {
        "CREATE OR ALTER TRIGGER " + NomeGatilhoReplicacao() + " FOR " + FNome,
        "ACTIVE AFTER INSERT OR UPDATE OR DELETE POSITION 32766",
        "AS",
        "  declare variable vEmpresaOrigem smallint;",
        "  declare variable vEmpresaDestino smallint;",
        "  declare variable vReplicando varchar(1);",
        "  declare variable vGrupoReplicacao varchar(1);",
        "  declare variable vRegistrosEncontrados Integer;",
        "  declare variable vEhInsercao varchar(1);",
        "begin",
        "  vReplicando = coalesce(RDB$GET_CONTEXT(" + contexto + "), 'N');",
        "  if (vReplicando = 'S') then",
        "    exit;",
        "",
        "  if (deleting) then",
        "    vEmpresaOrigem = old.EMPRESA;",
        "  else",
        "    vEmpresaOrigem = new.EMPRESA;",
        "",
        "  select GRUPO_REPLICACAO",
        "    from EMPRESAS",
        "   where EMPRESA = :vEmpresaOrigem",
        "    into :vGrupoReplicacao;",
        "",
        "  if ((vGrupoReplicacao is null) or (vGrupoReplicacao = '')) then",
        "    exit;",
        "",
        "  RDB$SET_CONTEXT(" + contexto + ", 'S');",
        "",
        "  /* Seleciona todas as empresas, exceto a atual */",
        "  for select EMPRESA",
        "        from EMPRESAS",
        "       where EMPRESA <> :vEmpresaOrigem",
        "         and GRUPO_REPLICACAO = :vGrupoReplicacao",
        "         and ATIVA = 'S'",
        "        into :vEmpresaDestino",
        "  do",
        "  begin",
        "    if (deleting) then",
        "    begin",
        GetSQLDelete(),
        "    end",
        "    else",
        "    begin",
        "      vEhInsercao = 'N';",
        "      if (inserting) then",
        "        vEhInsercao = 'S';",
        "      else",
        "      begin",
        GetSQLContarRegistros(),
        "",
        "        if (vRegistrosEncontrados = 0) then",
        "          vEhInsercao = 'S';",
        "      end",
        "",
        "      if (vEhInsercao = 'S') then",
        "      begin",
        GetSQLInsert(),
        "      end",
        "      else",
        "      begin",
        GetSQLUpdate(),
        "      end",
        "    end",
        "  end",
        "",
        "  RDB$SET_CONTEXT(" + contexto + ", 'N');",
        "",
        "  when any do",
        "  begin",
        "    RDB$SET_CONTEXT(" + contexto + ", 'N');",
        "    exception;",
        "  end",
        "end",
    };

    std::string sql;
    for (const std::string& item : itens)
        sql += item + FimLinha;
    return sql;
}

// The key condition of the delete, the count probe and the update. The company column points
// at the company being written; every other key column at the changed row's old value.
// Further conditions go on lines of their own, indented by `espacos`, so that the "and"s line
// up under the "where" of the statement.
std::string TReplicacaoTabela::GetSQLWhere(std::size_t espacos) const
{
    std::string condicao;
    for (const auto& chave : FCamposChavePrimaria) {
        if (!condicao.empty())
            condicao += FimLinha + Espacos(espacos) + " and ";
        condicao += chave->Nome() == "EMPRESA"
                        ? std::string("EMPRESA = :vEmpresaDestino")
                        : chave->Nome() + " = old." + chave->Nome();
    }
    return condicao;
}

std::string TReplicacaoTabela::GetSQLDelete() const
{
    return "      delete from " + FNome + FimLinha + "            where " + GetSQLWhere(13) + ";";
}

std::string TReplicacaoTabela::GetSQLContarRegistros() const
{
    return "        select count(*)" + std::string(FimLinha) + "          from " + FNome +
           FimLinha + "         where " + GetSQLWhere(10) + FimLinha +
           "          into :vRegistrosEncontrados;";
}

// Every replicated column, keys included, with the company replaced by the one being written.
// A table with a sequence then tells SET_GENERATOR the id it has just used, so that the other
// company does not hand it out again.
std::string TReplicacaoTabela::GetSQLInsert() const
{
    const std::string separador = "," + std::string(FimLinha);
    std::string colunas;
    std::string valores;
    for (const auto& campo : FCampos) {
        if (!colunas.empty()) {
            colunas += separador;
            valores += separador;
        }
        colunas += Espacos(20) + campo->Nome();
        valores += Espacos(20) + (campo->Nome() == "EMPRESA" ? std::string(":vEmpresaDestino")
                                                             : "new." + campo->Nome());
    }

    std::string sql = "        insert into " + FNome + "(" + FimLinha + colunas + ")" + FimLinha +
                      "             values (" + FimLinha + valores + ");";
    if (!FNomeSequence.empty())
        sql += std::string(FimLinha) + FimLinha +
               "        execute procedure SET_GENERATOR(:vEmpresaDestino, '" + FNomeSequence +
               "', new." + FNomeCampoId + ");";
    return sql;
}

// Only non-key columns are assigned: the other company's row keeps its key and its company.
std::string TReplicacaoTabela::GetSQLUpdate() const
{
    std::string atribuicoes;
    for (const auto& campo : FCampos) {
        if (campo->EhChavePrimaria())
            continue;
        if (!atribuicoes.empty())
            atribuicoes += "," + std::string(FimLinha);
        atribuicoes += Espacos(15) + campo->Nome() + " = new." + campo->Nome();
    }
    return "        update " + FNome + FimLinha + "           set " + FimLinha + atribuicoes +
           FimLinha + "         where " + GetSQLWhere(10) + ";";
}
