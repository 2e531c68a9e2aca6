#include "PassosChavesEstrangeiras.h"

#include "AcompanhamentoMigracao.h"
#include "Cancelamento.h"
#include "ChavesUnicas.h"
#include "Conexao.h"
#include "ListaTextos.h"
#include "NomeSql.h"
#include "ProblemaVerificacao.h"
#include "RegistroChavesPendentes.h"
#include "VerificacaoTabela.h"

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

// Why a pending key cannot be created in this destination, or nothing when it can.
std::string Impossivel(const TChaveEstrangeira& chave, const TCatalogoRelacoes& destino,
                       const TChavesUnicas& unicas)
{
    const auto faltaNa = [&destino](const std::string& tabela,
                                    const std::vector<std::string>& campos) -> std::string {
        const auto relacao = destino.find(tabela);
        if (relacao == destino.end() || relacao->second.Visao)
            return "a tabela " + tabela + " não existe no DESTINO";
        for (const std::string& campo : campos)
            if (!relacao->second.Coluna(campo))
                return "a coluna " + tabela + "." + campo + " não existe no DESTINO";
        return {};
    };
    std::string motivo = faltaNa(chave.Tabela, chave.Campos);
    if (motivo.empty())
        motivo = faltaNa(chave.TabelaReferenciada, chave.CamposReferenciados);
    if (!motivo.empty())
        return motivo;
    const std::set<std::string> referenciados(chave.CamposReferenciados.begin(),
                                              chave.CamposReferenciados.end());
    const auto achadas = unicas.find(chave.TabelaReferenciada);
    if (achadas != unicas.end())
        for (const TChaveUnica& unica : achadas->second)
            if (std::set<std::string>(unica.Campos.begin(), unica.Campos.end()) == referenciados)
                return {};
    return "a tabela " + chave.TabelaReferenciada + " do DESTINO não tem chave primária ou "
           "única em (" + Juntar(chave.CamposReferenciados, ", ") + ")";
}

std::string Condicao(const TChaveEstrangeira& chave)
{
    std::vector<std::string> preenchidos;
    std::vector<std::string> iguais;
    for (std::size_t i = 0; i < chave.Campos.size(); ++i) {
        preenchidos.push_back("F." + NomeSql(chave.Campos[i]) + " is not null");
        iguais.push_back("P." + NomeSql(chave.CamposReferenciados[i]) + " = F." +
                         NomeSql(chave.Campos[i]));
    }
    return " from " + NomeSql(chave.Tabela) + " F where " + Juntar(preenchidos, " and ") +
           " and not exists (select 1 from " + NomeSql(chave.TabelaReferenciada) + " P where " +
           Juntar(iguais, " and ") + ")";
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

std::vector<TImpedimentoTabela>
TPassosChavesEstrangeiras::ConferirPendentes(const TCatalogoRelacoes& destino)
{
    FConferidas = false;
    FPendentes.clear();
    FIndicesPendentes.clear();
    std::vector<TImpedimentoTabela> problemas;
    TLeituraChavesPendentes leitura = TRegistroChavesPendentes(FContexto.ConexaoDestino).Ler();
    std::vector<std::string> danos = leitura.Danos;
    for (TChaveEstrangeira& chave : Recuperar(leitura, danos))
        leitura.Chaves.push_back(std::move(chave));
    for (std::string& dano : danos)
        problemas.push_back({TRegistroChavesPendentes::Tabela, {}, std::move(dano)});
    if (!leitura.Chaves.empty()) {
        std::set<std::string> existentes;
        for (const TChaveEstrangeira& chave : LerChavesEstrangeiras())
            existentes.insert(chave.Identidade());
        const TChavesUnicas unicas = LerChavesUnicas(FContexto.ConexaoDestino);
        for (TChaveEstrangeira& chave : leitura.Chaves) {
            const std::string motivo =
                existentes.count(chave.Identidade()) ? std::string() : Impossivel(chave, destino, unicas);
            if (motivo.empty()) {
                FPendentes.push_back(std::move(chave));
                continue;
            }
            problemas.push_back({chave.Tabela, {},
                                 "A chave estrangeira pendente " + chave.Nome + " da tabela " +
                                     chave.Tabela + " não pode ser recriada: " + motivo +
                                     ". Comando: " + chave.SQLCriar() + "."});
        }
    }
    FIndicesPendentes = IndicesExistentes(std::move(leitura.Indices), &problemas);
    FConferidas = true;
    return problemas;
}

// A key the record names only in damaged entries would be lost with them: the source, of the
// destination's schema version, has it too. A name of the user's is looked up as it is; a name
// the server made up (INTEG_n), or none, stands for the source's keys over that table that the
// destination lacks and the record does not hold readably. Each damaged part's sentence gets
// the statement of each key it stood for, or says that none is known.
std::vector<TChaveEstrangeira>
TPassosChavesEstrangeiras::Recuperar(const TLeituraChavesPendentes& leitura,
                                     std::vector<std::string>& danos)
{
    std::vector<TChaveEstrangeira> recuperadas;
    std::vector<TChaveEstrangeira> daOrigem;
    std::set<std::string> conhecidas; // definitions the destination or the record hold
    bool origemLida = false;
    std::set<std::string> acrescentadas;
    for (const TChaveIlegivel& ilegivel : leitura.Ilegiveis) {
        std::string& dano = danos.at(ilegivel.Dano);
        const auto guardada = std::find_if(
            leitura.Chaves.begin(), leitura.Chaves.end(), [&ilegivel](const TChaveEstrangeira& c) {
                return !ilegivel.Nome.empty() && c.Tabela == ilegivel.Tabela &&
                       c.Nome == ilegivel.Nome;
            });
        if (guardada != leitura.Chaves.end()) {
            dano += " A outra cópia do registro guarda a chave: " + guardada->SQLCriar() + ".";
            continue;
        }
        if (!origemLida) {
            daOrigem = ChavesDe(FContexto.ConexaoOrigem);
            for (const TChaveEstrangeira& chave : LerChavesEstrangeiras())
                conhecidas.insert(chave.Definicao());
            for (const TChaveEstrangeira& chave : leitura.Chaves)
                conhecidas.insert(chave.Definicao());
            origemLida = true;
        }
        TChaveEstrangeira procurada;
        procurada.Nome = ilegivel.Nome;
        const bool porNome = !ilegivel.Nome.empty() && !procurada.NomeGerado();
        std::vector<const TChaveEstrangeira*> achadas;
        for (const TChaveEstrangeira& chave : daOrigem)
            if (chave.Tabela == ilegivel.Tabela &&
                (porNome ? chave.Nome == ilegivel.Nome : !conhecidas.count(chave.Definicao())))
                achadas.push_back(&chave);
        if (achadas.empty())
            dano += " A ORIGEM não tem essa chave para a tabela " + ilegivel.Tabela +
                    ": nenhum comando é conhecido para recriá-la.";
        for (const TChaveEstrangeira* chave : achadas) {
            dano += " A chave é recriada como na ORIGEM: " + chave->SQLCriar() + ".";
            if (acrescentadas.insert(chave->Identidade()).second)
                recuperadas.push_back(*chave);
        }
    }
    return recuperadas;
}

// The recorded indexes the destination still has on their tables; each of the others is a
// problem, when the caller wants them.
std::vector<TIndicePendente>
TPassosChavesEstrangeiras::IndicesExistentes(std::vector<TIndicePendente> indices,
                                             std::vector<TImpedimentoTabela>* problemas)
{
    std::vector<TIndicePendente> existentes;
    if (indices.empty())
        return existentes;
    std::set<std::pair<std::string, std::string>> catalogo;
    TConsulta consulta(&FContexto.ConexaoDestino,
                       "select trim(RDB$RELATION_NAME), trim(RDB$INDEX_NAME) from RDB$INDICES "
                       "where coalesce(RDB$SYSTEM_FLAG, 0) = 0");
    consulta.Abrir();
    for (; !consulta.Eof(); consulta.Proximo())
        catalogo.insert({consulta.Campo(0).ComoTexto(), consulta.Campo(1).ComoTexto()});
    for (TIndicePendente& indice : indices) {
        if (catalogo.count({indice.Tabela, indice.Nome})) {
            existentes.push_back(std::move(indice));
            continue;
        }
        if (problemas)
            problemas->push_back({indice.Tabela, {},
                                  "O índice pendente " + indice.Nome + " da tabela " +
                                      indice.Tabela +
                                      " não pode ser reativado: ele não existe no DESTINO. "
                                      "Comando: " +
                                      indice.SQLAtivar() + "."});
    }
    return existentes;
}

// Keys an earlier run dropped here and did not create again come back with the others.
std::vector<TChaveEstrangeira>
TPassosChavesEstrangeiras::ComPendentes(const std::vector<TChaveEstrangeira>& existentes)
{
    std::vector<TChaveEstrangeira> chaves = existentes;
    std::set<std::string> achadas;
    for (const TChaveEstrangeira& chave : existentes)
        achadas.insert(chave.Identidade());
    const std::vector<TChaveEstrangeira> pendentes =
        FConferidas ? FPendentes : TRegistroChavesPendentes(FContexto.ConexaoDestino).Ler().Chaves;
    for (const TChaveEstrangeira& pendente : pendentes)
        if (achadas.insert(pendente.Identidade()).second)
            chaves.push_back(pendente);
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

    // The record was checked before anything changed; a run that skipped that check finds
    // its problems here, before a key is dropped.
    if (!FConferidas) {
        const auto problemas =
            ConferirPendentes(LerCatalogoRelacoes(FContexto.ConexaoDestino));
        if (!problemas.empty() && !FDescartar)
            throw std::runtime_error(problemas.front().Texto);
    }
    TRegistroChavesPendentes registro(FContexto.ConexaoDestino);
    const std::vector<TChaveEstrangeira> existentes = LerChavesEstrangeiras();
    FChaves = ComPendentes(existentes);
    const TLeituraChavesPendentes registrado = registro.Ler();
    const std::vector<TIndicePendente> indices =
        FConferidas ? FIndicesPendentes : IndicesExistentes(registrado.Indices, nullptr);
    FConferidas = false;
    FPendentes.clear();
    FIndicesPendentes.clear();

    if (FDescartar)
        registro.GuardarArquivoDanificado();
    // Recorded before the first key goes, so that no way of ending the run can lose one.
    registro.Gravar(FChaves, indices, registrado.EscritaForcada, registrado.Gatilhos);
    for (const TChaveEstrangeira& chave : existentes) {
        FContexto.Cancelamento.Verificar();
        FContexto.ConexaoDestino.Executar(chave.SQLExcluir());
    }

    acompanhamento.Avancar(TBarra::Atual);
    acompanhamento.Avancar(TBarra::Total);
}

// Rows whose parent is missing are the usual reason on customers' data: how many, and which.
// Any other failure is told in the server's words.
std::string TPassosChavesEstrangeiras::MotivoFalha(const TChaveEstrangeira& chave,
                                                   const EBancoDados& erro)
{
    try {
        TConexao& destino = FContexto.ConexaoDestino;
        TConsulta contagem(&destino, "select count(*)" + Condicao(chave));
        contagem.Abrir();
        const std::int64_t linhas = contagem.Campo(0).ComoInteiro64();
        if (linhas <= 0)
            return erro.what();
        const auto unicas = LerChavesUnicas(destino);
        const auto daTabela = unicas.find(chave.Tabela);
        std::vector<std::string> campos = daTabela == unicas.end()
                                              ? std::vector<std::string>{}
                                              : CamposIdentificacao(daTabela->second);
        if (campos.empty())
            campos = chave.Campos;
        std::vector<std::string> colunas;
        for (const std::string& campo : campos)
            colunas.push_back("F." + NomeSql(campo));
        TConsulta exemplos(&destino, "select first " +
                                         std::to_string(TProblemaVerificacao::MaximoChaves) + " " +
                                         Juntar(colunas, ", ") + Condicao(chave) +
                                         " order by " + Juntar(colunas, ", "));
        exemplos.Abrir();
        std::vector<std::string> chaves;
        for (; !exemplos.Eof(); exemplos.Proximo())
            chaves.push_back(TextoChave(exemplos, campos));
        return "registro pai ausente na tabela " + chave.TabelaReferenciada + "; " +
               std::to_string(linhas) + (linhas == 1 ? " linha (" : " linhas (") +
               Juntar(chaves, "; ") + ").";
    } catch (const EBancoDados&) {
        return erro.what();
    }
}

void TPassosChavesEstrangeiras::CriarChavesEstrangeiras()
{
    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    acompanhamento.Reiniciar(TBarra::Atual, static_cast<int>(FChaves.size()));

    TRegistroChavesPendentes registro(FContexto.ConexaoDestino);
    std::vector<TChaveEstrangeira> faltam;
    FNaoRecriadas.clear();
    for (const TChaveEstrangeira& chave : FChaves) {
        FContexto.Cancelamento.Verificar();
        acompanhamento.AdicionarLog("Criando chave estrangeira... " + chave.Nome + " (" +
                                    chave.Tabela + ")");
        try {
            FContexto.ConexaoDestino.Executar(chave.SQLCriar());
        } catch (const EBancoDados& erro) {
            // Without the server nothing else can be done either.
            if (!FContexto.ConexaoDestino.Conectado())
                throw;
            faltam.push_back(chave);
            FNaoRecriadas.push_back("Chave estrangeira " + chave.Nome + " (" + chave.Tabela +
                                    ") não recriada: " + MotivoFalha(chave, erro));
            acompanhamento.Avancar(TBarra::Atual);
            continue;
        }
        registro.Remover(chave);
        acompanhamento.Avancar(TBarra::Atual);
    }
    const std::size_t criadas = FChaves.size() - faltam.size();
    FChaves.clear();

    acompanhamento.AdicionarLog("Chaves estrangeiras criadas: " + std::to_string(criadas) + ".");
    for (const std::string& linha : FNaoRecriadas)
        acompanhamento.AdicionarLog(linha);
    try {
        registro.GravarChaves(faltam);
    } catch (const EBancoDados& erro) {
        // Every key exists and the table is empty: it only awaits the next run to go.
        if (!faltam.empty())
            throw;
        acompanhamento.AdicionarLog(std::string("Atenção: a tabela ") +
                                    TRegistroChavesPendentes::Tabela +
                                    ", vazia, não pôde ser excluída do DESTINO; a próxima "
                                    "importação a exclui. " +
                                    erro.what());
    }
    acompanhamento.Avancar(TBarra::Total);
}

std::vector<std::string> TPassosChavesEstrangeiras::Pendentes(TConexao& destino)
{
    // A copy kept elsewhere (another user's file, say) may name keys a later run created.
    std::set<std::string> existentes;
    for (const TChaveEstrangeira& chave : ChavesDe(destino))
        existentes.insert(chave.Identidade());
    std::vector<std::string> statements;
    for (const TChaveEstrangeira& chave : TRegistroChavesPendentes(destino).Ler().Chaves)
        if (!existentes.count(chave.Identidade()))
            statements.push_back(chave.SQLCriar());
    return statements;
}
