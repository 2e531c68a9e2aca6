#include "ProvaAntecipada.h"

#include "Conexao.h"
#include "LeituraProva.h"

#include <optional>
#include <utility>

namespace {

using TLado = TTabelaProva::TLado;

// The oldest transaction of the database that may still write (open, not read-only), and
// the reader's own number, which every transaction begun after it exceeds. Taken in a
// transaction before the digest's: a writer that committed between the digest's snapshot and
// a later look would be seen neither active nor in the digest.
struct TEscritores {
    std::int64_t MaisAntigo = 0; // 0: none
    std::int64_t Leitor = 0;
};

TEscritores LerEscritores(TConexao& conexao)
{
    return EmLeitura(conexao, [](TConexao& c) {
        const std::vector<std::int64_t> valores =
            LerLinha(c, "select current_transaction, (select min(MON$TRANSACTION_ID) from "
                        "MON$TRANSACTIONS where MON$READ_ONLY = 0) "
                        "from RDB$DATABASE");
        return TEscritores{valores.at(1), valores.at(0)};
    });
}

} // namespace

// The mark cannot tell a later write when a transaction that may still write the table is not
// newer than the table's newest version. Otherwise any later write shows as a newer version,
// or as another count for a delete.
TLeituraLado LerLadoMarcado(TConexao& conexao, const TTabelaProva& tabela,
                                           TTabelaProva::TLado lado)
{
    const TEscritores escritores = LerEscritores(conexao);
    TLeituraLado leitura;
    leitura.Resumo =
        EmLeitura(conexao, [&](TConexao& c) { return LerLinha(c, tabela.SQLResumo(lado, true)); });
    leitura.Marca = {leitura.Resumo.front(), leitura.Resumo.back()};
    leitura.Resumo.pop_back();
    const std::int64_t versao = leitura.Marca.Versao;
    leitura.MarcaConfiavel = versao < escritores.Leitor &&
                             (escritores.MaisAntigo == 0 || escritores.MaisAntigo > versao);
    return leitura;
}

TProvaAntecipada::TProvaAntecipada(const TConexao& origem, const TConexao& destino)
{
    FTarefa = std::async(std::launch::async, [this, perfilOrigem = origem.Perfil(),
                                              bancoOrigem = origem.Banco(),
                                              perfilDestino = destino.Perfil(),
                                              bancoDestino = destino.Banco()] {
        Trabalhar(perfilOrigem, bancoOrigem, perfilDestino, bancoDestino);
    });
}

TProvaAntecipada::~TProvaAntecipada()
{
    FAbandonar.store(true);
    {
        std::lock_guard trava(FTrava);
        FFim = true;
    }
    FAviso.notify_all();
    if (FTarefa.valid())
        FTarefa.wait();
}

void TProvaAntecipada::Provar(TTabelaProva tabela)
{
    {
        std::lock_guard trava(FTrava);
        FFila.push_back(std::move(tabela));
    }
    FAviso.notify_all();
}

std::map<std::string, TTabelaAntecipada> TProvaAntecipada::Concluir(std::string& interrupcao)
{
    {
        std::lock_guard trava(FTrava);
        FFim = true;
    }
    FAviso.notify_all();
    interrupcao.clear();
    try {
        FTarefa.get();
    } catch (const std::exception& erro) {
        interrupcao = erro.what();
    }
    std::lock_guard trava(FTrava);
    return std::move(FProvadas);
}

void TProvaAntecipada::Trabalhar(const TPerfilConexao& perfilOrigem,
                                 const std::string& bancoOrigem,
                                 const TPerfilConexao& perfilDestino,
                                 const std::string& bancoDestino)
{
    TConexao origem(perfilOrigem);
    origem.DefinirBanco(bancoOrigem);
    TConexao destino(perfilDestino);
    destino.DefinirBanco(bancoDestino);
    for (;;) {
        TTabelaProva tabela;
        {
            std::unique_lock trava(FTrava);
            FAviso.wait(trava, [this] { return FFim || !FFila.empty(); });
            if (FAbandonar.load() || FFila.empty())
                return;
            tabela = std::move(FFila.front());
            FFila.pop_front();
        }
        // A value the destination's type cannot hold fails a digest: the proof at the end reads
        // the table again and names it. Without the server nothing more is read here.
        const auto ler = [&tabela](TConexao& conexao, TLado lado) -> std::optional<TLeituraLado> {
            try {
                TLeituraLado leitura = LerLadoMarcado(conexao, tabela, lado);
                if (!leitura.MarcaConfiavel)
                    return std::nullopt;
                return leitura;
            } catch (const EBancoDados&) {
                if (!conexao.Conectado())
                    throw;
                return std::nullopt;
            }
        };
        // One side after the other: the copy beside it keeps the server's other core busy.
        const std::optional<TLeituraLado> ladoOrigem = ler(origem, TLado::Origem);
        const std::optional<TLeituraLado> ladoDestino =
            ladoOrigem ? ler(destino, TLado::Destino) : std::nullopt;
        if (!ladoOrigem || !ladoDestino)
            continue;
        TTabelaAntecipada provada;
        provada.Veredito.Tabela = tabela.Nome;
        provada.Veredito.LinhasOrigem = ladoOrigem->Marca.Linhas;
        provada.Veredito.LinhasDestino = ladoDestino->Marca.Linhas;
        provada.Veredito.Igual = ladoOrigem->Resumo == ladoDestino->Resumo;
        provada.Veredito.Antecipada = true;
        provada.Origem = ladoOrigem->Marca;
        provada.Destino = ladoDestino->Marca;
        std::lock_guard trava(FTrava);
        FProvadas[tabela.Nome] = std::move(provada);
    }
}
