#include "CatalogoRelacoes.h"

#include "Consulta.h"
#include "RegistroChavesPendentes.h"

namespace {

const char* const SQLColunas =
    "  select trim(R.RDB$RELATION_NAME) as TABELA,\r\n"
    "         iif(R.RDB$VIEW_SOURCE is null, 0, 1) as VISAO,\r\n"
    "         trim(RF.RDB$FIELD_NAME) as COLUNA,\r\n"
    "         trim(RF.RDB$FIELD_SOURCE) as DOMINIO,\r\n"
    "         FI.RDB$FIELD_TYPE as TIPO,\r\n"
    "         coalesce(FI.RDB$FIELD_SUB_TYPE, 0) as SUBTIPO,\r\n"
    "         coalesce(FI.RDB$CHARACTER_LENGTH, FI.RDB$FIELD_LENGTH) as CARACTERES,\r\n"
    "         coalesce(FI.RDB$FIELD_PRECISION, 0) as PRECISAO,\r\n"
    "         -coalesce(FI.RDB$FIELD_SCALE, 0) as ESCALA,\r\n"
    "         coalesce(FI.RDB$CHARACTER_SET_ID, 0) as CONJUNTO,\r\n"
    "         iif(FI.RDB$COMPUTED_SOURCE is null, 0, 1) as CALCULADA,\r\n"
    "         coalesce(FI.RDB$DIMENSIONS, 0) as DIMENSOES,\r\n"
    "         iif(coalesce(RF.RDB$NULL_FLAG, 0) = 1 or coalesce(FI.RDB$NULL_FLAG, 0) = 1, 1, 0)\r\n"
    "           as OBRIGATORIA\r\n"
    "    from RDB$RELATIONS R\r\n"
    "    join RDB$RELATION_FIELDS RF\r\n"
    "      on RF.RDB$RELATION_NAME = R.RDB$RELATION_NAME\r\n"
    "    join RDB$FIELDS FI\r\n"
    "      on FI.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE\r\n"
    "   where R.RDB$SYSTEM_FLAG = 0\r\n"
    "order by R.RDB$RELATION_NAME, RF.RDB$FIELD_POSITION\r\n";

} // namespace

bool TColunaCatalogo::Numero() const noexcept
{
    switch (Tipo) {
    case 7:  // smallint
    case 8:  // integer
    case 10: // float
    case 16: // bigint and numeric
    case 27: // double precision
        return true;
    default:
        return false;
    }
}

const TColunaCatalogo* TRelacaoCatalogo::Coluna(const std::string& nome) const
{
    for (const TColunaCatalogo& coluna : Colunas)
        if (coluna.Nome == nome)
            return &coluna;
    return nullptr;
}

TCatalogoRelacoes LerCatalogoRelacoes(TConexao& conexao)
{
    TConsulta consulta(&conexao, SQLColunas);
    consulta.Abrir();
    TCatalogoRelacoes relacoes;
    for (; !consulta.Eof(); consulta.Proximo()) {
        const auto inteiro = [&consulta](const char* nome) {
            return consulta.Campo(nome).ComoInteiro();
        };
        TRelacaoCatalogo& relacao = relacoes[consulta.Campo("TABELA").ComoTexto()];
        relacao.Visao = inteiro("VISAO") != 0;
        TColunaCatalogo coluna;
        coluna.Nome = consulta.Campo("COLUNA").ComoTexto();
        coluna.Dominio = consulta.Campo("DOMINIO").ComoTexto();
        coluna.Tipo = inteiro("TIPO");
        coluna.SubTipo = inteiro("SUBTIPO");
        coluna.Caracteres = inteiro("CARACTERES");
        coluna.Precisao = inteiro("PRECISAO");
        coluna.Escala = inteiro("ESCALA");
        coluna.ConjuntoCaracteres = inteiro("CONJUNTO");
        coluna.Calculada = inteiro("CALCULADA") != 0;
        coluna.Vetor = inteiro("DIMENSOES") != 0;
        coluna.Obrigatoria = inteiro("OBRIGATORIA") != 0;
        relacao.Colunas.push_back(std::move(coluna));
    }
    // The tool's own table is none of the database's.
    relacoes.erase(TRegistroChavesPendentes::Tabela);
    return relacoes;
}
