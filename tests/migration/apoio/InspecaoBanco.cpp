#include "InspecaoBanco.h"

#include "Conexao.h"
#include "Consulta.h"
#include "NomeSql.h"

#include <algorithm>

std::int64_t Contar(TConexao& conexao, const std::string& sql)
{
    TConsulta consulta(&conexao, sql);
    consulta.Abrir();
    return consulta.Campo(0).ComoInteiro64();
}

std::string Valor(TConexao& conexao, const std::string& sql)
{
    TConsulta consulta(&conexao, sql);
    consulta.Abrir();
    return consulta.Campo(0).ComoTexto();
}

std::vector<std::string> Tabelas(TConexao& conexao)
{
    TConsulta consulta(&conexao, "select RDB$RELATION_NAME from RDB$RELATIONS "
                                 "where RDB$SYSTEM_FLAG = 0 and RDB$VIEW_BLR is null order by 1");
    consulta.Abrir();
    std::vector<std::string> tabelas;
    for (; !consulta.Eof(); consulta.Proximo())
        tabelas.push_back(consulta.Campo(0).ComoTexto());
    return tabelas;
}

std::vector<std::string> LinhasTabela(TConexao& conexao, const std::string& tabela)
{
    TConsulta campos(&conexao,
                     "select RF.RDB$FIELD_NAME from RDB$RELATION_FIELDS RF "
                     "join RDB$FIELDS F on F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
                     "where RF.RDB$RELATION_NAME = :TABELA and F.RDB$COMPUTED_BLR is null "
                     "and RF.RDB$FIELD_NAME <> 'COD_ATUALIZACAO' order by RF.RDB$FIELD_POSITION");
    campos.Parametro("TABELA", tabela);
    campos.Abrir();
    std::string lista;
    for (; !campos.Eof(); campos.Proximo())
        lista += (lista.empty() ? "" : ",") + NomeSql(campos.Campo(0).ComoTexto());

    TConsulta linhas(&conexao, "select " + lista + " from " + NomeSql(tabela));
    linhas.Abrir();
    std::vector<std::string> resultado;
    for (; !linhas.Eof(); linhas.Proximo()) {
        std::string linha;
        for (std::size_t i = 0; i < linhas.NomesColunas().size(); ++i) {
            const TCampo& campo = linhas.Campo(static_cast<int>(i));
            linha += (campo.EhNulo() ? "<null>" : "[" + campo.ComoTexto() + "]") + "|";
        }
        resultado.push_back(linha);
    }
    std::sort(resultado.begin(), resultado.end());
    return resultado;
}

std::set<std::string> ChavesEstrangeiras(TConexao& conexao)
{
    TConsulta consulta(&conexao,
                       "select RC.RDB$RELATION_NAME, RC.RDB$CONSTRAINT_NAME, RC.RDB$INDEX_NAME, "
                       "  I2.RDB$RELATION_NAME, S1.RDB$FIELD_NAME, S2.RDB$FIELD_NAME, "
                       "  R.RDB$UPDATE_RULE, R.RDB$DELETE_RULE "
                       "from RDB$RELATION_CONSTRAINTS RC "
                       "join RDB$REF_CONSTRAINTS R on R.RDB$CONSTRAINT_NAME = RC.RDB$CONSTRAINT_NAME "
                       "join RDB$INDICES I1 on I1.RDB$INDEX_NAME = RC.RDB$INDEX_NAME "
                       "join RDB$INDICES I2 on I2.RDB$INDEX_NAME = I1.RDB$FOREIGN_KEY "
                       "join RDB$INDEX_SEGMENTS S1 on S1.RDB$INDEX_NAME = I1.RDB$INDEX_NAME "
                       "join RDB$INDEX_SEGMENTS S2 on S2.RDB$INDEX_NAME = I2.RDB$INDEX_NAME "
                       "  and S2.RDB$FIELD_POSITION = S1.RDB$FIELD_POSITION "
                       "where RC.RDB$CONSTRAINT_TYPE = 'FOREIGN KEY' "
                       "order by 1, 2, S1.RDB$FIELD_POSITION");
    consulta.Abrir();
    std::map<std::string, std::string> chaves; // by table and constraint name
    for (; !consulta.Eof(); consulta.Proximo()) {
        const auto texto = [&consulta](int i) { return consulta.Campo(i).ComoTexto(); };
        const std::string id = texto(0) + "|" + texto(1);
        std::string& chave = chaves[id];
        if (chave.empty()) {
            const bool gerado = texto(1).rfind("INTEG_", 0) == 0;
            const bool indiceProprio = texto(2) != texto(1) && texto(2).rfind("RDB$", 0) != 0;
            chave = texto(0) + "|" + (gerado ? "<gerado>" : texto(1)) + "|" +
                    (indiceProprio ? texto(2) : "") + "|" + texto(3) + "|" + texto(6) + "|" +
                    texto(7) + "|";
        }
        chave += texto(4) + "->" + texto(5) + ",";
    }
    std::set<std::string> resultado;
    for (const auto& [id, chave] : chaves)
        resultado.insert(chave);
    return resultado;
}

std::map<std::string, std::int64_t> Sequencias(TConexao& conexao)
{
    TConsulta nomes(&conexao, "select RDB$GENERATOR_NAME from RDB$GENERATORS "
                              "where RDB$SYSTEM_FLAG = 0 order by 1");
    nomes.Abrir();
    std::map<std::string, std::int64_t> sequencias;
    for (; !nomes.Eof(); nomes.Proximo()) {
        const std::string nome = nomes.Campo(0).ComoTexto();
        sequencias[nome] =
            Contar(conexao, "select gen_id(" + NomeSql(nome) + ", 0) from RDB$DATABASE");
    }
    return sequencias;
}

std::map<std::string, bool> Gatilhos(TConexao& conexao)
{
    TConsulta consulta(&conexao, "select RDB$TRIGGER_NAME, RDB$TRIGGER_INACTIVE from RDB$TRIGGERS "
                                 "where coalesce(RDB$SYSTEM_FLAG, 0) = 0 "
                                 "and RDB$TRIGGER_SOURCE not starting with 'CHECK'");
    consulta.Abrir();
    std::map<std::string, bool> gatilhos;
    for (; !consulta.Eof(); consulta.Proximo())
        gatilhos[consulta.Campo(0).ComoTexto()] = consulta.Campo(1).ComoInteiro() == 0;
    return gatilhos;
}

std::map<std::string, std::vector<std::string>> Retrato(TConexao& conexao)
{
    std::map<std::string, std::vector<std::string>> retrato;
    for (const std::string& tabela : Tabelas(conexao))
        retrato["tabela " + tabela] = LinhasTabela(conexao, tabela);
    for (const std::string& chave : ChavesEstrangeiras(conexao))
        retrato["chaves"].push_back(chave);
    for (const auto& [gatilho, ativo] : Gatilhos(conexao))
        retrato["gatilhos"].push_back(gatilho + (ativo ? " ativo" : " inativo"));
    for (const auto& [sequencia, valor] : Sequencias(conexao))
        retrato["sequencias"].push_back(sequencia + " " + std::to_string(valor));
    return retrato;
}

std::set<std::string> TabelasIguais(TConexao& origem, TConexao& destino,
                                    const std::vector<std::string>& tabelas)
{
    // The run fills the source's NULL yes/no values with 'N' before it compares: a table with
    // such NULLs cannot be equal then, whatever the destination holds.
    std::set<std::string> comNulosSimNao;
    TConsulta logicos(&origem, "select trim(RDB$RELATION_NAME), trim(RDB$FIELD_NAME) "
                               "from RDB$RELATION_FIELDS where RDB$FIELD_SOURCE = 'LOGICO'");
    logicos.Abrir();
    for (; !logicos.Eof(); logicos.Proximo()) {
        const std::string tabela = logicos.Campo(0).ComoTexto();
        if (std::find(tabelas.begin(), tabelas.end(), tabela) != tabelas.end() &&
            Contar(origem, "select count(*) from " + NomeSql(tabela) + " where " +
                               NomeSql(logicos.Campo(1).ComoTexto()) + " is null") > 0)
            comNulosSimNao.insert(tabela);
    }
    std::set<std::string> iguais;
    for (const std::string& tabela : tabelas) {
        const std::vector<std::string> linhas = LinhasTabela(origem, tabela);
        if (!linhas.empty() && !comNulosSimNao.count(tabela) &&
            linhas == LinhasTabela(destino, tabela))
            iguais.insert(tabela);
    }
    // A table is kept only with every table it refers to.
    TConsulta chaves(&destino,
                     "select trim(RC.RDB$RELATION_NAME), trim(RP.RDB$RELATION_NAME) "
                     "from RDB$RELATION_CONSTRAINTS RC "
                     "join RDB$REF_CONSTRAINTS R on R.RDB$CONSTRAINT_NAME = RC.RDB$CONSTRAINT_NAME "
                     "join RDB$RELATION_CONSTRAINTS RP on RP.RDB$CONSTRAINT_NAME = R.RDB$CONST_NAME_UQ "
                     "where RC.RDB$CONSTRAINT_TYPE = 'FOREIGN KEY'");
    chaves.Abrir();
    for (bool mudou = true; mudou;) {
        mudou = false;
        for (chaves.Primeiro(); !chaves.Eof(); chaves.Proximo()) {
            const std::string filha = chaves.Campo(0).ComoTexto();
            const std::string pai = chaves.Campo(1).ComoTexto();
            if (filha != pai && iguais.count(filha) && !iguais.count(pai) &&
                std::find(tabelas.begin(), tabelas.end(), pai) != tabelas.end()) {
                iguais.erase(filha);
                mudou = true;
            }
        }
    }
    return iguais;
}
