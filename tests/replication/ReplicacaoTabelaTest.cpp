#include "ReplicacaoTabela.h"
#include "ReplicacaoTabelas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Linhas(const std::vector<std::string>& linhas)
{
    std::string texto;
    for (const std::string& linha : linhas)
        texto += linha + "\r\n";
    return texto;
}

// A table as the catalogue would hold it once its columns and key have been read.
class TTabelaCarregada : public TReplicacaoTabela {
public:
    struct TDefinicao {
        std::string Nome;
        std::string NomeGatilho;
        std::string NomeSequence;
        std::string NomeCampoId;
        std::vector<std::string> Campos;
        std::vector<std::string> Chaves;
    };

    explicit TTabelaCarregada(const TDefinicao& definicao)
    {
        FNome = definicao.Nome;
        FNomeGatilho = definicao.NomeGatilho;
        FNomeSequence = definicao.NomeSequence;
        FNomeCampoId = definicao.NomeCampoId;
        for (const std::string& campo : definicao.Campos)
            AdicionarCampo(campo);
        for (const std::string& chave : definicao.Chaves)
            AdicionarCampoChavePrimaria(chave);
        MarcarChavePrimaria();
    }
};

// MARCAS of the catalogue after loading a destination whose MARCAS has EMPRESA, MAR_CODIGO,
// MAR_DESCRICAO and COD_ATUALIZACAO, keyed by (EMPRESA, MAR_CODIGO).
class TMarcaCarregada : public TReplicacaoTabelaMarca {
public:
    TMarcaCarregada()
    {
        AdicionarCampo("EMPRESA");
        AdicionarCampo("MAR_CODIGO");
        AdicionarCampo("MAR_DESCRICAO");
        AdicionarCampoChavePrimaria("EMPRESA");
        AdicionarCampoChavePrimaria("MAR_CODIGO");
        MarcarChavePrimaria();
    }
};

TEST(ReplicacaoTabelaTest, GatilhoDeMarcasTextoExato)
{
    const std::string esperado = Linhas({
        "CREATE OR ALTER TRIGGER MARCAS_RPL FOR MARCAS",
        "ACTIVE AFTER INSERT OR UPDATE OR DELETE POSITION 32766",
        "AS",
        "  declare variable vEmpresaOrigem smallint;",
        "  declare variable vEmpresaDestino smallint;",
        "  declare variable vReplicando varchar(1);",
        "  declare variable vGrupoReplicacao varchar(1);",
        "  declare variable vRegistrosEncontrados Integer;",
        "  declare variable vEhInsercao varchar(1);",
        "begin",
        "  vReplicando = coalesce(RDB$GET_CONTEXT('USER_TRANSACTION', 'RPL_MARCAS'), 'N');",
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
        "  RDB$SET_CONTEXT('USER_TRANSACTION', 'RPL_MARCAS', 'S');",
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
        "      delete from MARCAS",
        "            where EMPRESA = :vEmpresaDestino",
        "              and MAR_CODIGO = old.MAR_CODIGO;",
        "    end",
        "    else",
        "    begin",
        "      vEhInsercao = 'N';",
        "      if (inserting) then",
        "        vEhInsercao = 'S';",
        "      else",
        "      begin",
        "        select count(*)",
        "          from MARCAS",
        "         where EMPRESA = :vEmpresaDestino",
        "           and MAR_CODIGO = old.MAR_CODIGO",
        "          into :vRegistrosEncontrados;",
        "",
        "        if (vRegistrosEncontrados = 0) then",
        "          vEhInsercao = 'S';",
        "      end",
        "",
        "      if (vEhInsercao = 'S') then",
        "      begin",
        "        insert into MARCAS(",
        "                    EMPRESA,",
        "                    MAR_CODIGO,",
        "                    MAR_DESCRICAO)",
        "             values (",
        "                    :vEmpresaDestino,",
        "                    new.MAR_CODIGO,",
        "                    new.MAR_DESCRICAO);",
        "",
        "        execute procedure SET_GENERATOR(:vEmpresaDestino, 'MARCA', new.MAR_CODIGO);",
        "      end",
        "      else",
        "      begin",
        "        update MARCAS",
        "           set ",
        "               MAR_DESCRICAO = new.MAR_DESCRICAO",
        "         where EMPRESA = :vEmpresaDestino",
        "           and MAR_CODIGO = old.MAR_CODIGO;",
        "      end",
        "    end",
        "  end",
        "",
        "  RDB$SET_CONTEXT('USER_TRANSACTION', 'RPL_MARCAS', 'N');",
        "",
        "  when any do",
        "  begin",
        "    RDB$SET_CONTEXT('USER_TRANSACTION', 'RPL_MARCAS', 'N');",
        "    exception;",
        "  end",
        "end",
    });
    const TMarcaCarregada marcas;
    EXPECT_EQ(marcas.GetSQLGatilho(), esperado);
    EXPECT_EQ(marcas.GetSQLGatilho(), marcas.GetSQLGatilho());
}

TEST(ReplicacaoTabelaTest, TabelaNovaIgnoraSoCodAtualizacao)
{
    const TReplicacaoTabelaMarca marcas;
    EXPECT_TRUE(marcas.Campos().empty());
    EXPECT_TRUE(marcas.CamposChavePrimaria().empty());
    EXPECT_EQ(marcas.CamposIgnorar(), std::vector<std::string>{"COD_ATUALIZACAO"});
}

TEST(ReplicacaoTabelaTest, MarcaSoCamposComMesmoNomeDeChave)
{
    const TTabelaCarregada tabela({.Nome = "ICMS",
                                   .Campos = {"EMPRESA", "ALIQUOTA", "uf", "REDUCAO"},
                                   .Chaves = {"EMPRESA", "UF"}});
    std::vector<bool> marcas;
    for (const auto& campo : tabela.Campos())
        marcas.push_back(campo->EhChavePrimaria());
    EXPECT_EQ(marcas, (std::vector<bool>{true, false, false, false}));
    for (const auto& chave : tabela.CamposChavePrimaria())
        EXPECT_FALSE(chave->EhChavePrimaria()) << chave->Nome();
}

// The pieces of a trigger that depend on the table: the four statements and the first line.
struct TPartesGatilho {
    std::string PrimeiraLinha;
    std::string Delete;
    std::string ContarRegistros;
    std::string Insert;
    std::string Update;
};

std::string Entre(const std::string& texto, const std::string& inicio, const std::string& fim,
                  bool ultimo = false)
{
    const std::size_t posInicio = ultimo ? texto.rfind(inicio) : texto.find(inicio);
    if (posInicio == std::string::npos)
        return "<sem '" + inicio + "'>";
    const std::size_t de = posInicio + inicio.size();
    const std::size_t ate = texto.find(fim, de);
    if (ate == std::string::npos)
        return "<sem '" + fim + "'>";
    return texto.substr(de, ate - de);
}

TPartesGatilho Partes(const std::string& gatilho)
{
    return {
        gatilho.substr(0, gatilho.find("\r\n")),
        Entre(gatilho, "    if (deleting) then\r\n    begin\r\n", "\r\n    end\r\n    else\r\n"),
        Entre(gatilho, "      else\r\n      begin\r\n", "\r\n\r\n        if (vRegistros"),
        Entre(gatilho, "      if (vEhInsercao = 'S') then\r\n      begin\r\n",
              "\r\n      end\r\n      else\r\n"),
        Entre(gatilho, "      else\r\n      begin\r\n", "\r\n      end\r\n    end\r\n  end\r\n",
              true),
    };
}

struct TCasoConstrutores {
    const char* Caso;
    TTabelaCarregada::TDefinicao Tabela;
    TPartesGatilho Esperado;
};

void PrintTo(const TCasoConstrutores& caso, std::ostream* saida) { *saida << caso.Caso; }

class ConstrutoresGatilhoTest : public ::testing::TestWithParam<TCasoConstrutores> {};

TEST_P(ConstrutoresGatilhoTest, Partes)
{
    const TCasoConstrutores& caso = GetParam();
    const TTabelaCarregada tabela(caso.Tabela);
    const std::string gatilho = tabela.GetSQLGatilho();
    const TPartesGatilho partes = Partes(gatilho);
    EXPECT_EQ(partes.PrimeiraLinha, caso.Esperado.PrimeiraLinha);
    EXPECT_EQ(partes.Delete, caso.Esperado.Delete);
    EXPECT_EQ(partes.ContarRegistros, caso.Esperado.ContarRegistros);
    EXPECT_EQ(partes.Insert, caso.Esperado.Insert);
    EXPECT_EQ(partes.Update, caso.Esperado.Update);
    const std::string liberar =
        "RDB$SET_CONTEXT('USER_TRANSACTION', 'RPL_" + caso.Tabela.Nome + "', 'N');";
    EXPECT_TRUE(gatilho.ends_with("  " + liberar + "\r\n\r\n  when any do\r\n  begin\r\n    " +
                                  liberar + "\r\n    exception;\r\n  end\r\nend\r\n"));
    EXPECT_EQ(gatilho, tabela.GetSQLGatilho());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ConstrutoresGatilhoTest,
    ::testing::Values(
        TCasoConstrutores{
            "SemSequence",
            {.Nome = "PORTADORES",
             .NomeCampoId = "POR_CODIGO",
             .Campos = {"EMPRESA", "POR_CODIGO", "POR_NOME"},
             .Chaves = {"EMPRESA", "POR_CODIGO"}},
            {"CREATE OR ALTER TRIGGER PORTADORES_RPL FOR PORTADORES",
             "      delete from PORTADORES\r\n"
             "            where EMPRESA = :vEmpresaDestino\r\n"
             "              and POR_CODIGO = old.POR_CODIGO;",
             "        select count(*)\r\n"
             "          from PORTADORES\r\n"
             "         where EMPRESA = :vEmpresaDestino\r\n"
             "           and POR_CODIGO = old.POR_CODIGO\r\n"
             "          into :vRegistrosEncontrados;",
             "        insert into PORTADORES(\r\n"
             "                    EMPRESA,\r\n"
             "                    POR_CODIGO,\r\n"
             "                    POR_NOME)\r\n"
             "             values (\r\n"
             "                    :vEmpresaDestino,\r\n"
             "                    new.POR_CODIGO,\r\n"
             "                    new.POR_NOME);",
             "        update PORTADORES\r\n"
             "           set \r\n"
             "               POR_NOME = new.POR_NOME\r\n"
             "         where EMPRESA = :vEmpresaDestino\r\n"
             "           and POR_CODIGO = old.POR_CODIGO;"}},
        TCasoConstrutores{
            "ChaveDeUmaColunaSemEmpresa",
            {.Nome = "CLIENTES_EMAIL",
             .NomeSequence = "CLIENTES_EMAIL",
             .NomeCampoId = "ID",
             .Campos = {"EMPRESA", "ID", "EMAIL"},
             .Chaves = {"ID"}},
            {"CREATE OR ALTER TRIGGER CLIENTES_EMAIL_RPL FOR CLIENTES_EMAIL",
             "      delete from CLIENTES_EMAIL\r\n"
             "            where ID = old.ID;",
             "        select count(*)\r\n"
             "          from CLIENTES_EMAIL\r\n"
             "         where ID = old.ID\r\n"
             "          into :vRegistrosEncontrados;",
             "        insert into CLIENTES_EMAIL(\r\n"
             "                    EMPRESA,\r\n"
             "                    ID,\r\n"
             "                    EMAIL)\r\n"
             "             values (\r\n"
             "                    :vEmpresaDestino,\r\n"
             "                    new.ID,\r\n"
             "                    new.EMAIL);\r\n"
             "\r\n"
             "        execute procedure SET_GENERATOR(:vEmpresaDestino, 'CLIENTES_EMAIL', "
             "new.ID);",
             "        update CLIENTES_EMAIL\r\n"
             "           set \r\n"
             "               EMPRESA = new.EMPRESA,\r\n"
             "               EMAIL = new.EMAIL\r\n"
             "         where ID = old.ID;"}},
        TCasoConstrutores{
            "ChaveDeTresColunas",
            {.Nome = "PRODUTOS_UNIDADES_COMERCIAIS",
             .NomeGatilho = "PROD_UNIDADES_COMERCIAIS",
             .Campos = {"EMPRESA", "PRO_CODIGO", "UNIDADE", "FATOR"},
             .Chaves = {"EMPRESA", "PRO_CODIGO", "UNIDADE"}},
            {"CREATE OR ALTER TRIGGER PROD_UNIDADES_COMERCIAIS_RPL FOR "
             "PRODUTOS_UNIDADES_COMERCIAIS",
             "      delete from PRODUTOS_UNIDADES_COMERCIAIS\r\n"
             "            where EMPRESA = :vEmpresaDestino\r\n"
             "              and PRO_CODIGO = old.PRO_CODIGO\r\n"
             "              and UNIDADE = old.UNIDADE;",
             "        select count(*)\r\n"
             "          from PRODUTOS_UNIDADES_COMERCIAIS\r\n"
             "         where EMPRESA = :vEmpresaDestino\r\n"
             "           and PRO_CODIGO = old.PRO_CODIGO\r\n"
             "           and UNIDADE = old.UNIDADE\r\n"
             "          into :vRegistrosEncontrados;",
             "        insert into PRODUTOS_UNIDADES_COMERCIAIS(\r\n"
             "                    EMPRESA,\r\n"
             "                    PRO_CODIGO,\r\n"
             "                    UNIDADE,\r\n"
             "                    FATOR)\r\n"
             "             values (\r\n"
             "                    :vEmpresaDestino,\r\n"
             "                    new.PRO_CODIGO,\r\n"
             "                    new.UNIDADE,\r\n"
             "                    new.FATOR);",
             "        update PRODUTOS_UNIDADES_COMERCIAIS\r\n"
             "           set \r\n"
             "               FATOR = new.FATOR\r\n"
             "         where EMPRESA = :vEmpresaDestino\r\n"
             "           and PRO_CODIGO = old.PRO_CODIGO\r\n"
             "           and UNIDADE = old.UNIDADE;"}},
        TCasoConstrutores{
            "SemChavePrimaria",
            {.Nome = "CLIENTES_SOCIOS", .Campos = {"EMPRESA", "NOME"}},
            {"CREATE OR ALTER TRIGGER CLIENTES_SOCIOS_RPL FOR CLIENTES_SOCIOS",
             "      delete from CLIENTES_SOCIOS\r\n"
             "            where ;",
             "        select count(*)\r\n"
             "          from CLIENTES_SOCIOS\r\n"
             "         where \r\n"
             "          into :vRegistrosEncontrados;",
             "        insert into CLIENTES_SOCIOS(\r\n"
             "                    EMPRESA,\r\n"
             "                    NOME)\r\n"
             "             values (\r\n"
             "                    :vEmpresaDestino,\r\n"
             "                    new.NOME);",
             "        update CLIENTES_SOCIOS\r\n"
             "           set \r\n"
             "               EMPRESA = new.EMPRESA,\r\n"
             "               NOME = new.NOME\r\n"
             "         where ;"}},
        TCasoConstrutores{
            "NenhumaColunaCarregada",
            {.Nome = "TIPOS_TITULO", .NomeCampoId = "TT_CODIGO"},
            {"CREATE OR ALTER TRIGGER TIPOS_TITULO_RPL FOR TIPOS_TITULO",
             "      delete from TIPOS_TITULO\r\n"
             "            where ;",
             "        select count(*)\r\n"
             "          from TIPOS_TITULO\r\n"
             "         where \r\n"
             "          into :vRegistrosEncontrados;",
             "        insert into TIPOS_TITULO(\r\n"
             ")\r\n"
             "             values (\r\n"
             ");",
             "        update TIPOS_TITULO\r\n"
             "           set \r\n"
             "\r\n"
             "         where ;"}},
        TCasoConstrutores{
            "TodasAsColunasSaoChave",
            {.Nome = "ICMS", .Campos = {"EMPRESA", "UF"}, .Chaves = {"EMPRESA", "UF"}},
            {"CREATE OR ALTER TRIGGER ICMS_RPL FOR ICMS",
             "      delete from ICMS\r\n"
             "            where EMPRESA = :vEmpresaDestino\r\n"
             "              and UF = old.UF;",
             "        select count(*)\r\n"
             "          from ICMS\r\n"
             "         where EMPRESA = :vEmpresaDestino\r\n"
             "           and UF = old.UF\r\n"
             "          into :vRegistrosEncontrados;",
             "        insert into ICMS(\r\n"
             "                    EMPRESA,\r\n"
             "                    UF)\r\n"
             "             values (\r\n"
             "                    :vEmpresaDestino,\r\n"
             "                    new.UF);",
             "        update ICMS\r\n"
             "           set \r\n"
             "\r\n"
             "         where EMPRESA = :vEmpresaDestino\r\n"
             "           and UF = old.UF;"}},
        TCasoConstrutores{
            "ChaveDepoisDeColunasComuns",
            {.Nome = "PRODUTOS_RECLASSIFICACAO",
             .NomeGatilho = "PROD_RECLASSIFICACAO",
             .Campos = {"DESCRICAO", "EMPRESA", "OBS", "CODIGO"},
             .Chaves = {"EMPRESA", "CODIGO"}},
            {"CREATE OR ALTER TRIGGER PROD_RECLASSIFICACAO_RPL FOR PRODUTOS_RECLASSIFICACAO",
             "      delete from PRODUTOS_RECLASSIFICACAO\r\n"
             "            where EMPRESA = :vEmpresaDestino\r\n"
             "              and CODIGO = old.CODIGO;",
             "        select count(*)\r\n"
             "          from PRODUTOS_RECLASSIFICACAO\r\n"
             "         where EMPRESA = :vEmpresaDestino\r\n"
             "           and CODIGO = old.CODIGO\r\n"
             "          into :vRegistrosEncontrados;",
             "        insert into PRODUTOS_RECLASSIFICACAO(\r\n"
             "                    DESCRICAO,\r\n"
             "                    EMPRESA,\r\n"
             "                    OBS,\r\n"
             "                    CODIGO)\r\n"
             "             values (\r\n"
             "                    new.DESCRICAO,\r\n"
             "                    :vEmpresaDestino,\r\n"
             "                    new.OBS,\r\n"
             "                    new.CODIGO);",
             "        update PRODUTOS_RECLASSIFICACAO\r\n"
             "           set \r\n"
             "               DESCRICAO = new.DESCRICAO,\r\n"
             "               OBS = new.OBS\r\n"
             "         where EMPRESA = :vEmpresaDestino\r\n"
             "           and CODIGO = old.CODIGO;"}},
        TCasoConstrutores{
            "NomeGatilhoEmBrancoUsaNomeDaTabela",
            {.Nome = "MARCAS",
             .NomeGatilho = " \t ",
             .NomeSequence = "MARCA",
             .NomeCampoId = "MAR_CODIGO",
             .Campos = {"EMPRESA", "MAR_CODIGO"},
             .Chaves = {"EMPRESA", "MAR_CODIGO"}},
            {"CREATE OR ALTER TRIGGER MARCAS_RPL FOR MARCAS",
             "      delete from MARCAS\r\n"
             "            where EMPRESA = :vEmpresaDestino\r\n"
             "              and MAR_CODIGO = old.MAR_CODIGO;",
             "        select count(*)\r\n"
             "          from MARCAS\r\n"
             "         where EMPRESA = :vEmpresaDestino\r\n"
             "           and MAR_CODIGO = old.MAR_CODIGO\r\n"
             "          into :vRegistrosEncontrados;",
             "        insert into MARCAS(\r\n"
             "                    EMPRESA,\r\n"
             "                    MAR_CODIGO)\r\n"
             "             values (\r\n"
             "                    :vEmpresaDestino,\r\n"
             "                    new.MAR_CODIGO);\r\n"
             "\r\n"
             "        execute procedure SET_GENERATOR(:vEmpresaDestino, 'MARCA', "
             "new.MAR_CODIGO);",
             "        update MARCAS\r\n"
             "           set \r\n"
             "\r\n"
             "         where EMPRESA = :vEmpresaDestino\r\n"
             "           and MAR_CODIGO = old.MAR_CODIGO;"}}),
    [](const auto& info) { return std::string(info.param.Caso); });

// The two tables whose trigger is not named after them keep the table's name in the guard.
TEST(ReplicacaoTabelaTest, NomeGatilhoProprioNaoMudaVariavelDeContexto)
{
    const TReplicacaoTabelaUnidadesComerciais unidades;
    const TReplicacaoTabelaProdutosReclassificacao reclassificacao;
    const struct {
        const TReplicacaoTabela& Tabela;
        std::string PrimeiraLinha;
        std::string Contexto;
    } casos[] = {
        {unidades,
         "CREATE OR ALTER TRIGGER PROD_UNIDADES_COMERCIAIS_RPL FOR PRODUTOS_UNIDADES_COMERCIAIS",
         "'RPL_PRODUTOS_UNIDADES_COMERCIAIS'"},
        {reclassificacao,
         "CREATE OR ALTER TRIGGER PROD_RECLASSIFICACAO_RPL FOR PRODUTOS_RECLASSIFICACAO",
         "'RPL_PRODUTOS_RECLASSIFICACAO'"},
    };
    for (const auto& caso : casos) {
        const std::string gatilho = caso.Tabela.GetSQLGatilho();
        EXPECT_TRUE(gatilho.starts_with(caso.PrimeiraLinha + "\r\n")) << gatilho;
        EXPECT_NE(gatilho.find("RDB$GET_CONTEXT('USER_TRANSACTION', " + caso.Contexto + ")"),
                  std::string::npos);
        EXPECT_NE(gatilho.find("RDB$SET_CONTEXT('USER_TRANSACTION', " + caso.Contexto + ", 'S')"),
                  std::string::npos);
    }
}

} // namespace
