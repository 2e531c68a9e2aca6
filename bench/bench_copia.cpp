// Measures the row copy against the fastest the server inserts the same rows on its own
// (insert into ... select between two tables of one database), for a business table of 12
// columns and for a table with a text blob (texts as customers write them: empty, a line, a few
// kilobytes, some past 4,000 bytes), and reports the client's peak memory and the way
// each table's rows went (the destination's server pulling them, or this program sending them).
//
//   vorel-bench-copia [--linhas N] [--linhas-blob M] [--vezes V]
//
// With V rounds (default 1) each rate is the best of its V measurements, interleaved, so that
// the load of others on a shared machine weighs less on the ratios.
//
// The destination's forced writes are off, as a run holds them while it copies; the source's
// are on, as customers run their databases, and the ratios are against its insert-select. The
// server's insert-select with forced writes off too is printed beside them.
//
// The last two lines are "blob copy/server ratio: R" and "copy/server ratio: R".

#include "BancoTeste.h"
#include "Conexao.h"
#include "CopiaExterna.h"
#include "CopiaTabela.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

using TRelogio = std::chrono::steady_clock;

double Segundos(TRelogio::time_point inicio)
{
    return std::chrono::duration<double>(TRelogio::now() - inicio).count();
}

double MemoriaPicoMiB()
{
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    return static_cast<double>(uso.ru_maxrss) / 1024.0;
}

const char* const Negocio =
    "create table NEGOCIO (ID bigint not null primary key, EMPRESA smallint not null, "
    "CLIENTE integer, EMISSAO timestamp, VENCIMENTO date, VALOR numeric(15,2), "
    "DESCONTO numeric(9,4), DESCRICAO varchar(60), SITUACAO char(1), OBSERVACAO varchar(200), "
    "TAXA double precision, ATIVO char(1))";
const char* const ColunasNegocio =
    "ID,EMPRESA,CLIENTE,EMISSAO,VENCIMENTO,VALOR,DESCONTO,DESCRICAO,SITUACAO,OBSERVACAO,TAXA,ATIVO";
const char* const Anotacoes =
    "create table ANOTACOES (ID integer not null primary key, TITULO varchar(40), "
    "TEXTO blob sub_type text)";
const char* const ColunasAnotacoes = "ID,TITULO,TEXTO";

void Preencher(TConexao& conexao, long linhas, long linhasBlob)
{
    conexao.Executar(
        "execute block as declare i integer = 1; begin while (i <= " + std::to_string(linhas) +
        ") do begin insert into NEGOCIO values (:i, mod(:i, 7) + 1, mod(:i * 37, 50000), "
        "dateadd(mod(:i, 86400) second to timestamp '2024-01-01 08:00:00'), "
        "dateadd(mod(:i, 365) day to date '2025-01-01'), mod(:i * 13, 1000000) / 100.0, "
        "mod(:i, 10000) / 10000.0, 'Venda ' || :i || ' - balcão', "
        "iif(mod(:i, 3) = 0, 'A', 'F'), iif(mod(:i, 5) = 0, null, "
        "'Entregar no período da manhã, pedido ' || :i), :i / 7.0, 'S'); i = i + 1; end end");
    conexao.Executar(
        "execute block as declare i integer = 1; declare tipo integer; begin while (i <= " +
        std::to_string(linhasBlob) +
        ") do begin tipo = mod(:i * 37, 20); insert into ANOTACOES values (:i, "
        "'Anotação ' || :i, case when :tipo < 3 then '' when :tipo < 12 then "
        "'Cliente pediu retorno após as 14h. Observação número ' || :i || '. ' || "
        "lpad('', mod(:i, 150), 'ação ') when :tipo < 18 then "
        "lpad('', 1000 + mod(:i * 131, 2000), 'Histórico do atendimento ' || :i || '. ') "
        "else lpad('', 4001 + mod(:i * 17, 3000), 'Contrato ' || :i || ', cláusula ') end); "
        "i = i + 1; end end");
}

// The server's own rate for the rows of a table: insert into a twin table by select.
double TaxaServidor(TConexao& conexao, const std::string& criacao, const std::string& tabela,
                    long linhas)
{
    std::string gemea = criacao;
    gemea.replace(gemea.find(tabela), tabela.size(), tabela + "_SERVIDOR");
    conexao.Executar(gemea);
    const auto inicio = TRelogio::now();
    conexao.Executar("insert into " + tabela + "_SERVIDOR select * from " + tabela);
    const double segundos = Segundos(inicio);
    conexao.Executar("drop table " + tabela + "_SERVIDOR");
    return static_cast<double>(linhas) / segundos;
}

// perfilExterno: as TCopiaExterna takes it; a port named there makes the destination's server
// read the source through the network, which sends tables with blobs the client's way.
double TaxaCopia(TCopiaTabela& copia, TConexao& destino, const std::string& sql,
                 const std::string& tabela, bool mostrarCaminho,
                 std::optional<TPerfilConexao> perfilExterno = std::nullopt)
{
    destino.Executar("delete from " + tabela);
    copia.Leitor().DefinirSQLLeitura(sql);
    copia.Escritor().DefinirSQLLeitura(sql);
    TCopiaExterna externa(copia, std::move(perfilExterno));
    const auto inicio = TRelogio::now();
    const auto linhas = externa.Executar();
    const double taxa = static_cast<double>(linhas) / Segundos(inicio);
    if (!mostrarCaminho)
        return taxa;
    if (externa.Caminho() == TCaminhoCopia::Servidor)
        std::printf("%s: %lld rows pulled by the destination's server\n", tabela.c_str(),
                    static_cast<long long>(linhas));
    else
        std::printf("%s: %lld rows sent by the client (%s), %zu statements prepared\n",
                    tabela.c_str(), static_cast<long long>(linhas),
                    externa.MotivoCliente().c_str(), copia.ContagensPreparadas().size());
    return taxa;
}

} // namespace

int main(int argc, char** argv)
{
    long linhas = 300000;
    long linhasBlob = 100000;
    int vezes = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--linhas"))
            linhas = std::atol(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--linhas-blob"))
            linhasBlob = std::atol(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--vezes"))
            vezes = std::max(1, std::atoi(argv[i + 1]));
    }
    try {
        TBancoTeste bancoOrigem("bench-origem", TBancoTeste::TConteudo::Vazio);
        TBancoTeste bancoDestino("bench-destino", TBancoTeste::TConteudo::Vazio);
        TConexao origem, destino;
        origem.DefinirBanco(bancoOrigem.Caminho());
        destino.DefinirBanco(bancoDestino.Caminho());
        for (TConexao* conexao : {&origem, &destino}) {
            conexao->Executar(Negocio);
            conexao->Executar(Anotacoes);
        }
        std::printf("filling the source: %ld business rows, %ld blob rows\n", linhas, linhasBlob);
        Preencher(origem, linhas, linhasBlob);

        // The destination as a run holds it while it copies: forced writes off.
        destino.Desconectar();
        destino.DefinirEscritaForcada(false);
        TCopiaTabela copia(origem, destino);
        const std::string sqlNegocio = std::string("select ") + ColunasNegocio + " from NEGOCIO";
        const std::string sqlAnotacoes =
            std::string("select ") + ColunasAnotacoes + " from ANOTACOES";

        TaxaCopia(copia, destino, sqlNegocio + " where ID <= 20000", "NEGOCIO", true);
        const double memoriaPequena = MemoriaPicoMiB();

        TPerfilConexao pelaRede = origem.Perfil();
        pelaRede.Porta = "3050";
        double servidor = 0, copiaNegocio = 0, servidorBlob = 0, copiaBlob = 0,
               copiaBlobCliente = 0;
        for (int vez = 0; vez < vezes; ++vez) {
            servidor = std::max(servidor, TaxaServidor(origem, Negocio, "NEGOCIO", linhas));
            copiaNegocio =
                std::max(copiaNegocio, TaxaCopia(copia, destino, sqlNegocio, "NEGOCIO", vez == 0));
            servidorBlob = std::max(servidorBlob,
                                    TaxaServidor(origem, Anotacoes, "ANOTACOES", linhasBlob));
            copiaBlob = std::max(copiaBlob,
                                 TaxaCopia(copia, destino, sqlAnotacoes, "ANOTACOES", vez == 0));
            copiaBlobCliente =
                std::max(copiaBlobCliente, TaxaCopia(copia, destino, sqlAnotacoes, "ANOTACOES",
                                                     vez == 0, pelaRede));
        }

        // The server's own insert without forced writes either, for a like-for-like reading:
        // the ratios below are against the source as it stands, forced writes on.
        origem.Desconectar();
        origem.DefinirEscritaForcada(false);
        double servidorSemForcada = 0;
        for (int vez = 0; vez < vezes; ++vez)
            servidorSemForcada =
                std::max(servidorSemForcada, TaxaServidor(origem, Negocio, "NEGOCIO", linhas));

        std::printf("business table, server insert-select: %.0f rows/s\n", servidor);
        std::printf("business table, server insert-select, forced writes off: %.0f rows/s "
                    "(copy/that ratio: %.2f)\n",
                    servidorSemForcada, copiaNegocio / servidorSemForcada);
        std::printf("business table, row copy:             %.0f rows/s\n", copiaNegocio);
        std::printf("blob table, server insert-select:     %.0f rows/s\n", servidorBlob);
        std::printf("blob table, row copy:                 %.0f rows/s\n", copiaBlob);
        std::printf("blob table, the client's way:         %.0f rows/s (ratio %.2f)\n",
                    copiaBlobCliente, copiaBlobCliente / servidorBlob);
        std::printf("client peak memory: %.1f MiB after copying 20000 rows, "
                    "%.1f MiB after copying %ld\n",
                    memoriaPequena, MemoriaPicoMiB(), linhas);
        std::printf("blob copy/server ratio: %.2f\n", copiaBlob / servidorBlob);
        std::printf("copy/server ratio: %.2f\n", copiaNegocio / servidor);
    } catch (const std::exception& erro) {
        std::fprintf(stderr, "%s\n", erro.what());
        return 1;
    }
    return 0;
}
