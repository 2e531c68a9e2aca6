#include "ReplicacaoCadastros.h"

#include "Conexao.h"
#include "Consulta.h"
#include "ReplicacaoTabelas.h"

namespace {

const std::string SQLExcecoes =
    " select TABELA, COLUNA   from EXCECOES_REPLICACAO  where TABELA = :TABELA";

const std::string SQLCamposPrefixo =
    "   select trim(FLR.RDB$FIELD_NAME) as NOME,          FLD.RDB$FIELD_TYPE as TIPO,"
    "          FLD.RDB$FIELD_SUB_TYPE as SUBTIPO     from RDB$RELATION_FIELDS FLR"
    "     join RDB$FIELDS FLD       on FLR.RDB$FIELD_SOURCE = FLD.RDB$FIELD_NAME"
    "    where FLR.RDB$RELATION_NAME = :TABELA      and FLR.RDB$FIELD_NAME not in ('";

const std::string SQLCamposSufixo = "')      and FLD.RDB$COMPUTED_BLR is null"
                                    " order by FLR.RDB$FIELD_POSITION";

const std::string SQLChavePrimaria =
    "   select trim(FLR.RDB$FIELD_NAME) as NOME,          FLD.RDB$FIELD_TYPE as TIPO,"
    "          FLD.RDB$FIELD_SUB_TYPE as SUBTIPO     from RDB$RELATION_CONSTRAINTS C"
    "     join RDB$INDEX_SEGMENTS S       on C.RDB$INDEX_NAME = S.RDB$INDEX_NAME"
    "     join RDB$RELATION_FIELDS FLR       on S.RDB$FIELD_NAME = FLR.RDB$FIELD_NAME"
    "      and FLR.RDB$RELATION_NAME = C.RDB$RELATION_NAME"
    "     join RDB$FIELDS FLD       on FLR.RDB$FIELD_SOURCE = FLD.RDB$FIELD_NAME"
    "    where C.RDB$RELATION_NAME = :TABELA      and C.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY'"
    " order by FLR.RDB$FIELD_POSITION";

const std::string SQLEmpresasReplicando =
    "select count(*)  from EMPRESAS where GRUPO_REPLICACAO <> ''   and ATIVA = 'S'";

// The ignored names come from EXCECOES_REPLICACAO, i.e. from the database's own data: each is
// written as a quoted literal with its quotes doubled, so that no name can change the query.
std::string SQLCampos(const std::vector<std::string>& ignorar)
{
    std::string lista;
    for (const std::string& nome : ignorar) {
        if (&nome != &ignorar.front())
            lista += "','";
        for (char c : nome) {
            if (c == '\'')
                lista += '\'';
            lista += c;
        }
    }
    return SQLCamposPrefixo + lista + SQLCamposSufixo;
}

} // namespace

TReplicacaoCadastros::TReplicacaoCadastros(TConexao& conexao, IReceptorReplicacao* receptor)
    : FConexao(conexao), FReceptor(receptor)
{
    AdicionarTabelas();
}

TReplicacaoCadastros::~TReplicacaoCadastros() = default;

void TReplicacaoCadastros::AdicionarTabelas()
{
    FLista = CriarTabelasReplicacao();
    CarregarMetadados();
}

// The exceptions come first: the column query leaves out what they name.
void TReplicacaoCadastros::CarregarMetadados()
{
    CarregarExcecoes();
    CarregarCampos();
    CarregarChavePrimaria();
    MarcarChavePrimaria();
}

void TReplicacaoCadastros::CarregarExcecoes()
{
    TConsulta consulta(&FConexao, SQLExcecoes);
    for (const auto& tabela : FLista) {
        consulta.Parametro("TABELA", tabela->Nome());
        consulta.Abrir();
        for (; !consulta.Eof(); consulta.Proximo())
            tabela->AdicionarCampoIgnorar(consulta.Campo("COLUNA").ComoTexto());
        consulta.Fechar();
    }
}

// A table the database lacks simply yields no columns; its trigger then fails, and is
// reported, when it is installed.
void TReplicacaoCadastros::CarregarCampos()
{
    TConsulta consulta(&FConexao);
    for (const auto& tabela : FLista) {
        consulta.Fechar();
        consulta.DefinirSQL(SQLCampos(tabela->CamposIgnorar()));
        consulta.Parametro("TABELA", tabela->Nome());
        consulta.Abrir();
        for (; !consulta.Eof(); consulta.Proximo())
            tabela->AdicionarCampo(consulta.Campo("NOME").ComoTexto());
    }
}

// Key columns in position order, ignored or not: the trigger must find the other company's
// row by its whole key even when part of it is never copied.
void TReplicacaoCadastros::CarregarChavePrimaria()
{
    TConsulta consulta(&FConexao, SQLChavePrimaria);
    for (const auto& tabela : FLista) {
        consulta.Fechar();
        consulta.Parametro("TABELA", tabela->Nome());
        consulta.Abrir();
        for (; !consulta.Eof(); consulta.Proximo())
            tabela->AdicionarCampoChavePrimaria(consulta.Campo("NOME").ComoTexto());
    }
}

void TReplicacaoCadastros::MarcarChavePrimaria()
{
    for (const auto& tabela : FLista)
        tabela->MarcarChavePrimaria();
}

// One company alone has no one to share with: replication needs at least two.
bool TReplicacaoCadastros::TemReplicacao()
{
    return EmUso(FConexao);
}

bool TReplicacaoCadastros::EmUso(TConexao& conexao)
{
    TConsulta consulta(&conexao, SQLEmpresasReplicando);
    consulta.Abrir();
    return consulta.Campo(0).ComoInteiro() > 1;
}
