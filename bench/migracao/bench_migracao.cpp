// Times a whole migration on a generated sample pair and sets it against the server's own
// speed for the same rows.
//
//   vorel-bench-migracao [--linhas N] [--vezes N]
//
// The pair is the application fixture plus 45 generated tables holding N rows in all (default
// 1000000): documents with a yes/no column, items with a foreign key to them, notes with a
// text blob, with triggers and sequences as the application has them, and the secondary
// indexes of a customer's schema (issue date, customer, state on documents; product on
// items). The destination has the same schema with its generated tables empty. The server's
// own time is the sum, over the generated tables, of "insert into <twin> select ..." inside
// the source database. The last lines are "migration/server ratio: R" (server time /
// migration time, the run's own proof included; the goal is 0.55 or more) and
// "check/migration ratio: R" (the check of the same pair, run alone before the migration,
// against the migration's time, which includes the same check run first by the migration
// itself; the goal is 0.25 or less). Then "verify/migration ratio: R" (the proof of the
// migrated pair on its own, --comparar's work, against the migration's time; the goal is 0.15
// or less) and "rerun/migration ratio: R" (a run after one that failed at its last table,
// against the whole migration; the goal is 0.35 or less). Before them, the steps of the first
// round and the way each generated table takes, asked as the migration asks it.
//
// With --vezes N every round generates a pair anew and measures everything again; each figure
// is then the best of the N rounds, so that the load of others on a shared machine weighs less.

#include "BancoTeste.h"
#include "Conexao.h"
#include "CopiaExterna.h"
#include "CopiaTabela.h"
#include "Migracao.h"
#include "RelatorioCronometrado.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using TRelogio = std::chrono::steady_clock;

double Segundos(TRelogio::time_point inicio)
{
    return std::chrono::duration<double>(TRelogio::now() - inicio).count();
}

enum class TForma { Documento, Item, Nota };

struct TTabela {
    std::string Nome;
    TForma Forma;
    long Linhas;
    std::string Pai; // the documents table an items table refers to
    long LinhasPai = 0;
};

// The secondary indexes a customer's business tables carry: dates, customer codes, states
// on documents, the product on items.
std::vector<std::string> CriacaoIndices(const TTabela& tabela, const std::string& nome)
{
    const auto indice = [&nome](const std::string& coluna) {
        return "create index IX_" + nome + "_" + coluna + " on " + nome + " (" + coluna + ")";
    };
    switch (tabela.Forma) {
    case TForma::Documento:
        return {indice("EMISSAO"), indice("CLIENTE"), indice("SITUACAO")};
    case TForma::Item:
        return {indice("PRODUTO")};
    case TForma::Nota:
        break;
    }
    return {};
}

// Columns the migration copies (all but COD_ATUALIZACAO).
std::string Colunas(TForma forma)
{
    switch (forma) {
    case TForma::Documento:
        return "ID,EMPRESA,CLIENTE,EMISSAO,VENCIMENTO,VALOR,DESCONTO,DESCRICAO,SITUACAO,"
               "OBSERVACAO,TAXA,ATIVO";
    case TForma::Item:
        return "DOC,ITEM,PRODUTO,QUANTIDADE,VALOR,PROMOCAO";
    case TForma::Nota:
        break;
    }
    return "ID,TITULO,TEXTO";
}

std::string Criacao(const TTabela& tabela, const std::string& nome, bool comChaveEstrangeira)
{
    switch (tabela.Forma) {
    case TForma::Documento:
        return "create table " + nome +
               " (ID bigint not null primary key, EMPRESA smallint not null, CLIENTE integer, "
               "EMISSAO timestamp, VENCIMENTO date, VALOR numeric(15,2), DESCONTO numeric(9,4), "
               "DESCRICAO varchar(60), SITUACAO char(1), OBSERVACAO varchar(200), "
               "TAXA double precision, ATIVO LOGICO, COD_ATUALIZACAO integer)";
    case TForma::Item:
        return "create table " + nome +
               " (DOC bigint not null, ITEM smallint not null, PRODUTO integer, "
               "QUANTIDADE numeric(15,3), VALOR numeric(15,4), PROMOCAO LOGICO, "
               "COD_ATUALIZACAO integer, constraint PK_" + nome + " primary key (DOC, ITEM)" +
               (comChaveEstrangeira ? ", constraint FK_" + nome + " foreign key (DOC) references " +
                                          tabela.Pai + " (ID) on delete cascade"
                                    : std::string()) +
               ")";
    case TForma::Nota:
        break;
    }
    return "create table " + nome +
           " (ID integer not null primary key, TITULO varchar(40), TEXTO blob sub_type text, "
           "COD_ATUALIZACAO integer)";
}

// 15 groups of a documents, an items and a notes table: 3 large, 4 medium, 8 small, holding
// 60%, 30% and 10% of the rows.
std::vector<TTabela> Tabelas(long total)
{
    const struct {
        int Grupos;
        long Documentos, Itens, Notas;
    } tamanhos[] = {{3, 80000, 100000, 20000}, {4, 25000, 40000, 10000}, {8, 5000, 6000, 1500}};
    const double escala = static_cast<double>(total) / 1000000.0;
    std::vector<TTabela> tabelas;
    int grupo = 0;
    for (const auto& tamanho : tamanhos) {
        for (int i = 0; i < tamanho.Grupos; ++i, ++grupo) {
            char sufixo[16];
            std::snprintf(sufixo, sizeof sufixo, "%02d", grupo + 1);
            const auto linhas = [escala](long n) {
                return std::max(1L, std::lround(static_cast<double>(n) * escala));
            };
            TTabela documento{std::string("BENCH_DOC_") + sufixo, TForma::Documento,
                              linhas(tamanho.Documentos), {}};
            TTabela item{std::string("BENCH_ITEM_") + sufixo, TForma::Item, linhas(tamanho.Itens),
                         documento.Nome, documento.Linhas};
            tabelas.push_back(documento);
            tabelas.push_back(item);
            tabelas.push_back(TTabela{std::string("BENCH_NOTA_") + sufixo, TForma::Nota,
                                      linhas(tamanho.Notas), {}});
        }
    }
    return tabelas;
}

void CriarEsquema(TConexao& conexao, const std::vector<TTabela>& tabelas)
{
    for (const TTabela& tabela : tabelas) {
        conexao.Executar(Criacao(tabela, tabela.Nome, true));
        for (const std::string& indice : CriacaoIndices(tabela, tabela.Nome))
            conexao.Executar(indice);
        if (tabela.Forma != TForma::Documento)
            continue;
        const std::string sequencia = "SEQ_" + tabela.Nome;
        conexao.Executar("create sequence " + sequencia);
        conexao.Executar("create trigger " + tabela.Nome + "_BI for " + tabela.Nome +
                         " active before insert position 0 as begin if (new.ID is null) then "
                         "new.ID = gen_id(" + sequencia + ", 1); end");
    }
}

void Preencher(TConexao& conexao, const TTabela& tabela)
{
    const std::string limite = std::to_string(tabela.Linhas);
    std::string valores;
    switch (tabela.Forma) {
    case TForma::Documento:
        valores = ":i, mod(:i, 7) + 1, mod(:i * 37, 50000), "
                  "dateadd(mod(:i, 86400) second to timestamp '2024-01-01 08:00:00'), "
                  "dateadd(mod(:i, 365) day to date '2025-01-01'), mod(:i * 13, 1000000) / 100.0, "
                  "mod(:i, 10000) / 10000.0, 'Venda ' || :i || ' - balcão', "
                  "iif(mod(:i, 3) = 0, 'A', 'F'), iif(mod(:i, 5) = 0, null, "
                  "'Entregar no período da manhã, pedido ' || :i), :i / 7.0, "
                  "iif(mod(:i, 3) = 0, null, 'S'), :i";
        break;
    case TForma::Item: {
        const std::string pai = std::to_string(tabela.LinhasPai);
        valores = "mod(:i - 1, " + pai + ") + 1, (:i - 1) / " + pai +
                  " + 1, mod(:i * 17, 3000), mod(:i, 50) + 1, mod(:i * 7, 100000) / 100.0, "
                  "iif(mod(:i, 4) = 0, null, 'N'), :i";
        break;
    }
    case TForma::Nota:
        valores = ":i, 'Anotação ' || :i, 'Cliente pediu retorno após as 14h. Observação ' || :i, :i";
        break;
    }
    conexao.Executar("execute block as declare i integer = 1; begin while (i <= " + limite +
                     ") do begin insert into " + tabela.Nome + " values (" + valores +
                     "); i = i + 1; end end");
    if (tabela.Forma == TForma::Documento)
        conexao.Executar("alter sequence SEQ_" + tabela.Nome + " restart with " + limite);
}

// The server's own time for one table's rows: insert into a twin without foreign key or
// trigger (the migration copies with both out of the way), with the same secondary indexes,
// by select, in the same database.
double TempoServidor(TConexao& conexao, const TTabela& tabela)
{
    const std::string gemea = tabela.Nome + "_SRV";
    conexao.Executar(Criacao(tabela, gemea, false));
    for (const std::string& indice : CriacaoIndices(tabela, gemea))
        conexao.Executar(indice);
    const std::string colunas = Colunas(tabela.Forma);
    const auto inicio = TRelogio::now();
    conexao.Executar("insert into " + gemea + " (" + colunas + ") select " + colunas + " from " +
                     tabela.Nome);
    const double segundos = Segundos(inicio);
    conexao.Executar("drop table " + gemea);
    return segundos;
}

// What one round measured on a freshly generated pair.
struct TRodada {
    double Verificacao = 0;
    double Migracao = 0;
    double Servidor = 0;
    double Prova = 0;
    double Retomada = 0;
};

// One round: a pair generated anew (the run fills the source's NULL yes/no values, so a
// second run on the same source would find nothing to fill), its check, its migration, the
// server's own insert of the same rows, the proof of the migrated pair, and a run after one
// that failed at its last table. Prints the steps and the ways of the tables when asked.
TRodada Rodada(const std::vector<TTabela>& tabelas, long geradas, bool detalhar)
{
    TRodada rodada;
    TBancoTeste bancoOrigem("bench-migracao-origem");
    TBancoTeste bancoDestino("bench-migracao-destino");
    {
        TConexao origem, destino;
        origem.DefinirBanco(bancoOrigem.Caminho());
        destino.DefinirBanco(bancoDestino.Caminho());
        CriarEsquema(origem, tabelas);
        CriarEsquema(destino, tabelas);
        std::printf("filling the source: %zu generated tables, %ld rows\n", tabelas.size(),
                    geradas);
        const auto inicio = TRelogio::now();
        for (const TTabela& tabela : tabelas)
            Preencher(origem, tabela);
        std::printf("filled in %.1f s\n", Segundos(inicio));
    }

    // The check of the pair, as a technician runs it before the migration.
    {
        TRelatorioCronometrado relatorioVerificacao;
        TMigracao migracao(relatorioVerificacao);
        const auto inicio = TRelogio::now();
        const TResultadoVerificacao resultado =
            migracao.Verificar(bancoOrigem.Caminho(), bancoDestino.Caminho());
        rodada.Verificacao = Segundos(inicio);
        if (resultado != TResultadoVerificacao::SemProblemas &&
            resultado != TResultadoVerificacao::ComProblemas)
            throw std::runtime_error("the check did not finish: " +
                                     relatorioVerificacao.UltimaLinha);
        std::printf("check: %.2f s (%s)\n", rodada.Verificacao,
                    relatorioVerificacao.UltimaLinha.c_str());
    }

    TRelatorioCronometrado relatorio;
    {
        // Let go once it has run: its attachments would keep the later runs from starting.
        TMigracao migracao(relatorio);
        relatorio.Iniciar();
        const auto inicio = TRelogio::now();
        const TResultadoMigracao resultado =
            migracao.Iniciar(bancoOrigem.Caminho(), bancoDestino.Caminho());
        rodada.Migracao = Segundos(inicio);
        if (resultado != TResultadoMigracao::Concluida)
            throw std::runtime_error("the migration did not conclude: " + relatorio.UltimaLinha);
    }
    std::printf("migration: %.2f s\n", rodada.Migracao);

    if (detalhar) {
        std::printf("\n%-28s %9s %7s\n", "step", "seconds", "share");
        for (const auto& etapa : relatorio.Etapas())
            std::printf("%-28s %9.2f %6.1f%%\n", etapa.Nome.c_str(), etapa.Segundos,
                        100.0 * etapa.Segundos / rodada.Migracao);
        std::printf("%-28s %9.2f\n", "migration total", rodada.Migracao);
        std::printf("migration rate: %.0f rows/s (%d replication triggers refused: the "
                    "fixture lacks most catalogued tables)\n",
                    static_cast<double>(geradas) / rodada.Migracao, relatorio.FalhasGatilho);
        for (const auto& [nome, caminho] :
             {std::pair{"pulled by the destination's server", relatorio.Servidor},
              std::pair{"sent by the client", relatorio.Cliente}})
            std::printf("copy, %s: %lld rows in %.2f s\n", nome,
                        static_cast<long long>(caminho.Linhas), caminho.Segundos);
    }

    TConexao origem, destino;
    origem.DefinirBanco(bancoOrigem.Caminho());
    destino.DefinirBanco(bancoDestino.Caminho());
    if (detalhar) {
        TCopiaTabela copia(origem, destino);
        std::printf("\n%-16s %s\n", "table", "way of its rows");
        for (const TTabela& tabela : tabelas) {
            const std::string sql = "select " + Colunas(tabela.Forma) + " from " + tabela.Nome;
            copia.Leitor().DefinirSQLLeitura(sql);
            copia.Escritor().DefinirSQLLeitura(sql);
            TCopiaExterna externa(copia);
            if (externa.Escolher() == TCaminhoCopia::Servidor)
                std::printf("%-16s pulled by the destination's server\n", tabela.Nome.c_str());
            else
                std::printf("%-16s sent by the client (%s)\n", tabela.Nome.c_str(),
                            externa.MotivoCliente().c_str());
        }
    }

    for (const TTabela& tabela : tabelas)
        rodada.Servidor += TempoServidor(origem, tabela);
    std::printf("server insert-select of the same rows: %.2f s (%.0f rows/s)\n",
                rodada.Servidor, static_cast<double>(geradas) / rodada.Servidor);
    origem.Desconectar();
    destino.Desconectar();

    // The proof on its own, as --comparar runs it on the migrated pair.
    {
        TRelatorioCronometrado relatorioProva;
        TMigracao comparacao(relatorioProva);
        const auto inicio = TRelogio::now();
        const TResultadoComparacao igual =
            comparacao.Comparar(bancoOrigem.Caminho(), bancoDestino.Caminho());
        rodada.Prova = Segundos(inicio);
        if (igual != TResultadoComparacao::Iguais)
            throw std::runtime_error("the proof found the pair different: " +
                                     relatorioProva.UltimaLinha);
        std::printf("proof of the migrated pair: %.2f s\n", rodada.Prova);
    }

    // A run that fails at its last table (a CHECK its rows break), then the run after it.
    const std::string ultima = "TIPOS_DADOS";
    destino.Executar("update " + ultima + " set C_VARCHAR = 'destino'");
    destino.Executar("alter table " + ultima + " add constraint CK_BENCH_ULTIMA check (ID <= 2)");
    destino.Desconectar();
    {
        TRelatorioCronometrado relatorioFalha;
        TMigracao falha(relatorioFalha);
        // The check before the run would refuse the planted rows; the run must meet them.
        falha.DispensarVerificacao(true);
        if (falha.Iniciar(bancoOrigem.Caminho(), bancoDestino.Caminho()) !=
            TResultadoMigracao::Falhou)
            throw std::runtime_error("the run meant to fail at " + ultima + " did not");
    }
    destino.Executar("alter table " + ultima + " drop constraint CK_BENCH_ULTIMA");
    destino.Desconectar();
    {
        TRelatorioCronometrado relatorioRetomada;
        TMigracao nova(relatorioRetomada);
        const auto inicio = TRelogio::now();
        const TResultadoMigracao concluida =
            nova.Iniciar(bancoOrigem.Caminho(), bancoDestino.Caminho());
        rodada.Retomada = Segundos(inicio);
        if (concluida != TResultadoMigracao::Concluida)
            throw std::runtime_error("the rerun did not conclude: " +
                                     relatorioRetomada.UltimaLinha);
        std::printf("rerun after a failure at the last table: %.2f s\n", rodada.Retomada);
    }
    return rodada;
}

} // namespace

int main(int argc, char** argv)
{
    long linhas = 1000000;
    int vezes = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--linhas"))
            linhas = std::atol(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--vezes"))
            vezes = std::max(1, std::atoi(argv[i + 1]));
    }

    try {
        const std::vector<TTabela> tabelas = Tabelas(linhas);
        long geradas = 0;
        for (const TTabela& tabela : tabelas)
            geradas += tabela.Linhas;

        // Each figure is the best of the rounds: the load of others on a shared machine only
        // ever makes a round slower.
        TRodada melhor;
        for (int vez = 1; vez <= vezes; ++vez) {
            if (vezes > 1)
                std::printf("%sround %d of %d\n", vez > 1 ? "\n" : "", vez, vezes);
            const TRodada rodada = Rodada(tabelas, geradas, vez == 1);
            const auto menor = [vez](double atual, double novo) {
                return vez == 1 ? novo : std::min(atual, novo);
            };
            melhor.Verificacao = menor(melhor.Verificacao, rodada.Verificacao);
            melhor.Migracao = menor(melhor.Migracao, rodada.Migracao);
            melhor.Servidor = menor(melhor.Servidor, rodada.Servidor);
            melhor.Prova = menor(melhor.Prova, rodada.Prova);
            melhor.Retomada = menor(melhor.Retomada, rodada.Retomada);
        }
        if (vezes > 1)
            std::printf("\nbest of %d rounds: migration %.2f s, server insert-select %.2f s\n",
                        vezes, melhor.Migracao, melhor.Servidor);

        std::printf("migration/server ratio: %.2f\n", melhor.Servidor / melhor.Migracao);
        std::printf("check/migration ratio: %.3f\n", melhor.Verificacao / melhor.Migracao);
        std::printf("verify/migration ratio: %.3f\n", melhor.Prova / melhor.Migracao);
        std::printf("rerun/migration ratio: %.3f\n", melhor.Retomada / melhor.Migracao);
    } catch (const std::exception& erro) {
        std::fprintf(stderr, "%s\n", erro.what());
        return 1;
    }
    return 0;
}
