#include "PassosChavesEstrangeiras.h"

#include "AcompanhamentoMigracao.h"
#include "Cancelamento.h"
#include "Conexao.h"
#include "RegistroChavesPendentes.h"

#include <algorithm>
#include <set>

namespace {

// One row per column of every foreign key, the key's columns paired with the referenced ones
// by their position in the two indexes: the positions are the declared order, which LIST()
// would not promise. The constraint is found through its own index, whatever that is named.
const char* const SQLChavesEstrangeiras =
    "  select RC.RDB$RELATION_NAME as TABELA,\r\n"
    "         RC.RDB$CONSTRAINT_NAME as CHAVE_ESTRANGEIRA,\r\n"
    "         RC.RDB$INDEX_NAME as INDICE,\r\n"
    "         coalesce(IDX1.RDB$INDEX_TYPE, 0) as TIPO_INDICE,\r\n"
    "         IDX2.RDB$RELATION_NAME as TABELA_REFERENCIADA,\r\n"
    "         SEG1.RDB$FIELD_NAME as CAMPO,\r\n"
    "         SEG2.RDB$FIELD_NAME as CAMPO_REFERENCIADO,\r\n"
    "         REF.RDB$UPDATE_RULE as REGRA_ATUALIZACAO,\r\n"
    "         REF.RDB$DELETE_RULE as REGRA_EXCLUSAO\r\n"
    "    from RDB$RELATION_CONSTRAINTS RC\r\n"
    "    join RDB$REF_CONSTRAINTS REF\r\n"
    "      on REF.RDB$CONSTRAINT_NAME = RC.RDB$CONSTRAINT_NAME\r\n"
    "    join RDB$INDICES IDX1\r\n"
    "      on IDX1.RDB$INDEX_NAME = RC.RDB$INDEX_NAME\r\n"
    "    join RDB$INDICES IDX2\r\n"
    "      on IDX2.RDB$INDEX_NAME = IDX1.RDB$FOREIGN_KEY\r\n"
    "    join RDB$INDEX_SEGMENTS SEG1\r\n"
    "      on SEG1.RDB$INDEX_NAME = IDX1.RDB$INDEX_NAME\r\n"
    "    join RDB$INDEX_SEGMENTS SEG2\r\n"
    "      on SEG2.RDB$INDEX_NAME = IDX2.RDB$INDEX_NAME\r\n"
    "     and SEG2.RDB$FIELD_POSITION = SEG1.RDB$FIELD_POSITION\r\n"
    "   where RC.RDB$CONSTRAINT_TYPE = 'FOREIGN KEY'\r\n"
    "     and coalesce(IDX1.RDB$SYSTEM_FLAG, 0) = 0\r\n"
    "order by 1, 2, SEG1.RDB$FIELD_POSITION\r\n";

std::vector<TChaveEstrangeira> Ler(TConsulta& consulta)
{
    consulta.Abrir();
    std::vector<TChaveEstrangeira> chaves;
    for (consulta.Primeiro(); !consulta.Eof();
         consulta.Proximo()) {
        const auto campo = [&consulta](const char* nome) {
            return consulta.Campo(nome).ComoTexto();
        };
        if (chaves.empty() || chaves.back().Tabela != campo("TABELA") ||
            chaves.back().Nome != campo("CHAVE_ESTRANGEIRA")) {
            TChaveEstrangeira chave;
            chave.Tabela = campo("TABELA");
            chave.Nome = campo("CHAVE_ESTRANGEIRA");
            chave.Indice = campo("INDICE");
            chave.IndiceDescendente = consulta.Campo("TIPO_INDICE").ComoInteiro() == 1;
            chave.TabelaReferenciada = campo("TABELA_REFERENCIADA");
            chave.RegraAtualizacao = campo("REGRA_ATUALIZACAO");
            chave.RegraExclusao = campo("REGRA_EXCLUSAO");
            chaves.push_back(std::move(chave));
        }
        chaves.back().Campos.push_back(campo("CAMPO"));
        chaves.back().CamposReferenciados.push_back(campo("CAMPO_REFERENCIADO"));
    }
    return chaves;
}

} // namespace

TPassosChavesEstrangeiras::TPassosChavesEstrangeiras(const TContextoMigracao& contexto)
    : FContexto(contexto), sqlChavesEstrangeiras(&contexto.ConexaoDestino, SQLChavesEstrangeiras)
{
}

std::vector<TChaveEstrangeira> TPassosChavesEstrangeiras::LerChavesEstrangeiras()
{
    sqlChavesEstrangeiras.Fechar();
    std::vector<TChaveEstrangeira> chaves = Ler(sqlChavesEstrangeiras);
    sqlChavesEstrangeiras.Fechar();
    return chaves;
}

std::vector<TChaveEstrangeira> TPassosChavesEstrangeiras::ChavesDe(TConexao& conexao)
{
    TConsulta consulta(&conexao, SQLChavesEstrangeiras);
    return Ler(consulta);
}

// Keys an earlier run dropped here and did not create again come back with the others.
std::vector<TChaveEstrangeira>
TPassosChavesEstrangeiras::ComPendentes(const std::vector<TChaveEstrangeira>& existentes)
{
    std::vector<TChaveEstrangeira> chaves = existentes;
    std::set<std::string> achadas;
    for (const TChaveEstrangeira& chave : existentes)
        achadas.insert(chave.Identidade());
    for (TChaveEstrangeira& pendente :
         TRegistroChavesPendentes(FContexto.ConexaoDestino.Banco()).Ler())
        if (achadas.insert(pendente.Identidade()).second)
            chaves.push_back(std::move(pendente));
    std::stable_sort(chaves.begin(), chaves.end(),
                     [](const TChaveEstrangeira& a, const TChaveEstrangeira& b) {
                         return a.Tabela < b.Tabela;
                     });
    return chaves;
}

std::vector<TChaveEstrangeira> TPassosChavesEstrangeiras::ChavesARecriar()
{
    return ComPendentes(LerChavesEstrangeiras());
}

void TPassosChavesEstrangeiras::ExcluirChavesEstrangeiras()
{
    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    acompanhamento.AdicionarLog("Excluindo chaves estrangeiras...");
    acompanhamento.Reiniciar(TBarra::Atual, 1);

    const TRegistroChavesPendentes registro(FContexto.ConexaoDestino.Banco());
    const std::vector<TChaveEstrangeira> existentes = LerChavesEstrangeiras();
    FChaves = ComPendentes(existentes);

    // Recorded before the first key goes, so that no way of ending the run can lose one.
    registro.Gravar(FChaves);
    for (const TChaveEstrangeira& chave : existentes) {
        FContexto.Cancelamento.Verificar();
        FContexto.ConexaoDestino.Executar(chave.SQLExcluir());
    }

    acompanhamento.Avancar(TBarra::Atual);
    acompanhamento.Avancar(TBarra::Total);
}

void TPassosChavesEstrangeiras::CriarChavesEstrangeiras()
{
    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    acompanhamento.Reiniciar(TBarra::Atual, static_cast<int>(FChaves.size()));

    const TRegistroChavesPendentes registro(FContexto.ConexaoDestino.Banco());
    std::vector<TChaveEstrangeira> faltam = FChaves;
    for (const TChaveEstrangeira& chave : FChaves) {
        FContexto.Cancelamento.Verificar();
        acompanhamento.AdicionarLog("Criando chave estrangeira... " + chave.Nome + " (" +
                                    chave.Tabela + ")");
        FContexto.ConexaoDestino.Executar(chave.SQLCriar());
        faltam.erase(faltam.begin());
        registro.Gravar(faltam);
        acompanhamento.Avancar(TBarra::Atual);
    }
    FChaves.clear();

    acompanhamento.AdicionarLog("Chaves estrangeiras criadas: " +
                                std::to_string(acompanhamento.Maximo(TBarra::Atual)) + ".");
    acompanhamento.Avancar(TBarra::Total);
}

std::vector<std::string> TPassosChavesEstrangeiras::Pendentes(const std::string& arquivoDestino)
{
    std::vector<std::string> statements;
    for (const TChaveEstrangeira& chave : TRegistroChavesPendentes(arquivoDestino).Ler())
        statements.push_back(chave.SQLCriar());
    return statements;
}

std::string TPassosChavesEstrangeiras::ArquivoPendentes(const std::string& arquivoDestino)
{
    return TRegistroChavesPendentes(arquivoDestino).Arquivo();
}
