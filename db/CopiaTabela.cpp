#include "CopiaTabela.h"

#include "Cancelamento.h"
#include "ChavePrimaria.h"
#include "Conexao.h"
#include "Consulta.h"
#include "EscritorTabela.h"
#include "Firebird.h"
#include "LeitorTabela.h"
#include "ObservadorOcupado.h"
#include "Texto.h"

#include <algorithm>
#include <chrono>

using namespace Firebird;

namespace {

using TRelogio = std::chrono::steady_clock;
constexpr auto IntervaloProgresso = std::chrono::milliseconds(250);

TConjuntosCaracteres LerConjuntos(TConexao& conexao)
{
    TConsulta consulta(&conexao, "select RDB$CHARACTER_SET_ID, RDB$CHARACTER_SET_NAME, "
                                 "RDB$BYTES_PER_CHARACTER from RDB$CHARACTER_SETS");
    consulta.Abrir();
    TConjuntosCaracteres conjuntos;
    for (; !consulta.Eof(); consulta.Proximo())
        conjuntos[static_cast<unsigned>(consulta.Campo(0).ComoInteiro())] = {
            consulta.Campo(1).ComoTexto(),
            static_cast<unsigned>(std::max(1, consulta.Campo(2).ComoInteiro()))};
    return conjuntos;
}

// The destination's own description of the select: the table the rows go to, each column's
// name as the server spells them and the characters it holds, and where the table's primary
// key lies in the list. Preparing it also proves that the destination has every column of the
// select.
TDestinoCopia DescreverDestino(TConexao& destino, const std::string& sql,
                               const TConjuntosCaracteres& conjuntos)
{
    TDestinoCopia descricao;
    std::string& tabela = descricao.Tabela;
    fb::TStatus status;
    fb::TComando comando(destino.Anexo()->prepare(&status, destino.Transacao(),
                                                  static_cast<unsigned>(sql.size()), sql.c_str(),
                                                  TConexao::Dialeto,
                                                  IStatement::PREPARE_PREFETCH_METADATA));
    fb::TMetadados meta(comando->getOutputMetadata(&status));
    const unsigned total = meta->getCount(&status);
    for (unsigned i = 0; i < total; ++i) {
        const char* relacao = meta->getRelation(&status, i);
        if (!relacao || !*relacao)
            throw EBancoDados::DaCamada("A coluna " + std::to_string(i + 1) +
                                        " da leitura não é uma coluna de tabela.");
        if (tabela.empty())
            tabela = relacao;
        else if (tabela != relacao)
            throw EBancoDados::DaCamada("A leitura junta colunas de mais de uma tabela.");
        descricao.Colunas.emplace_back(meta->getField(&status, i));
        const unsigned tipo = meta->getType(&status, i) & ~1u;
        std::size_t capacidade = 0;
        if (tipo == SQL_TEXT || tipo == SQL_VARYING) {
            auto conjunto = conjuntos.find(ConjuntoDoId(meta->getCharSet(&status, i)));
            capacidade = meta->getLength(&status, i) /
                         (conjunto == conjuntos.end() ? 1 : conjunto->second.BytesPorCaractere);
        }
        descricao.Capacidades.push_back(capacidade);
    }
    fb::Liberar(comando, status);

    for (const std::string& coluna : LerChavePrimaria(destino, tabela).Colunas) {
        const auto achada =
            std::find(descricao.Colunas.begin(), descricao.Colunas.end(), coluna);
        if (achada != descricao.Colunas.end())
            descricao.Chave.push_back(
                static_cast<std::size_t>(achada - descricao.Colunas.begin()));
    }
    return descricao;
}

} // namespace

std::string TabelaDaLeitura(const std::string& sql)
{
    if (sql.empty() || sql.back() != '"')
        return sql.substr(sql.find_last_of(" \t\r\n,") + 1);
    std::string nome;
    std::size_t i = sql.size() - 1;
    while (i-- > 0) {
        if (sql[i] == '"') {
            if (i == 0 || sql[i - 1] != '"')
                break;
            --i;
        }
        nome.insert(nome.begin(), sql[i]);
    }
    return nome;
}

TCopiaTabela::TCopiaTabela(TConexao& origem, TConexao& destino)
    : FLeitor(origem), FEscritor(destino)
{
}

TCopiaTabela::~TCopiaTabela() = default;

void TCopiaTabela::DefinirObservadorProgresso(std::function<void(std::int64_t)> observador)
{
    FObservador = std::move(observador);
}

void TCopiaTabela::DefinirCancelamento(const TCancelamento* cancelamento) noexcept
{
    FCancelamento = cancelamento;
}

// Every failure of a copy names its table. An attachment the server dropped on either side is
// let go, as for any other operation, once the copy's handles on it are gone.
std::int64_t TCopiaTabela::Executar()
{
    TTrabalhoBanco trabalho;
    std::int64_t gravadas = 0;
    try {
        // The source's transaction is held outside the protection, so that a lost source is
        // let go before the scope would roll back on it.
        TConexao::TEscopoTransacao escopoOrigem(FLeitor.Conexao());
        FLeitor.Conexao().Protegido(
            [&] { FEscritor.Conexao().Protegido([&] { gravadas = Copiar(); }); });
        escopoOrigem.Concluir();
    } catch (EBancoDados& erro) {
        erro.DefinirTabela(TabelaDaLeitura(FLeitor.SQLLeitura()));
        throw;
    }
    return gravadas;
}

namespace {

// The copy's own failure is what the caller must see; a connection that also fails to roll
// back (the server is gone, say) has nothing to add to it.
void Reverter(TConexao& destino)
{
    try {
        destino.Rollback();
    } catch (const EBancoDados&) {
    }
}

} // namespace

std::int64_t TCopiaTabela::Copiar()
{
    TConexao& origem = FLeitor.Conexao();
    TConexao& destino = FEscritor.Conexao();
    FContagensPreparadas.clear();
    std::int64_t gravadas = 0;

    const std::string sqlLeitura = ConverterParaBanco(FLeitor.SQLLeitura());
    const std::string sqlEscrita = ConverterParaBanco(FEscritor.SQLLeitura());

    if (FConjuntos.empty() || FBancoConjuntos != origem.Banco()) {
        FConjuntos = LerConjuntos(origem);
        FBancoConjuntos = origem.Banco();
    }
    const TConjuntosCaracteres& conjuntos = FConjuntos;
    TLeitorTabela leitor(origem.Anexo(), origem.Transacao(), sqlLeitura, conjuntos);

    try {
        if (!destino.EmTransacao())
            destino.IniciarTransacao();
        TDestinoCopia descricao = DescreverDestino(destino, sqlEscrita, conjuntos);
        if (descricao.Colunas.size() != leitor.Formato().Colunas.size())
            throw EBancoDados::DaCamada("A leitura da origem e a do destino não têm as mesmas "
                                        "colunas.");
        TEscritorTabela escritor(destino, leitor.Formato(), std::move(descricao), conjuntos,
                                 FCancelamento);

        auto ultimoAviso = TRelogio::now();
        auto avisar = [&](bool sempre) {
            if (!FObservador)
                return;
            const auto agora = TRelogio::now();
            if (sempre || agora - ultimoAviso >= IntervaloProgresso) {
                ultimoAviso = agora;
                FObservador(gravadas);
            }
        };
        // Every row sent so far becomes permanent.
        auto confirmar = [&] {
            escritor.Sincronizar();
            destino.Commit();
        };
        // Sends what is pending (all of it, or the leading rows of one chunk); commits when the
        // count reaches a multiple of the batch size.
        auto enviar = [&](bool todas) {
            if (escritor.Pendentes() == 0)
                return;
            if (!destino.EmTransacao())
                destino.IniciarTransacao();
            gravadas += static_cast<std::int64_t>(escritor.Enviar(todas));
            if (gravadas % LinhasPorCommit == 0)
                confirmar();
            avisar(false);
            if (FCancelamento)
                FCancelamento->Verificar();
        };

        leitor.Iniciar();
        const std::size_t tamanho = leitor.Formato().TamanhoMensagem;
        const std::size_t blobsPorLinha = [&] {
            std::size_t n = 0;
            for (const auto& coluna : leitor.Formato().Colunas)
                n += coluna.Blob();
            return n;
        }();

        for (bool fim = false; !fim;) {
            TItemFila item = leitor.Fila().Retirar();
            switch (item.Tipo) {
            case TItemFila::TTipo::Erro:
                std::rethrow_exception(item.Erro);
            case TItemFila::TTipo::Fim:
                fim = true;
                break;
            case TItemFila::TTipo::Segmento:
            case TItemFila::TTipo::FimBlob:
                throw EBancoDados::DaCamada("Um blob longo chegou sem a sua linha.");
            case TItemFila::TTipo::Bloco:
                for (std::size_t r = 0; r < item.Bloco.Linhas; ++r) {
                    const unsigned char* linha = item.Bloco.Dados.data() + r * tamanho;
                    const TValorBlob* blobs =
                        blobsPorLinha ? item.Bloco.Blobs.data() + r * blobsPorLinha : nullptr;
                    bool temLongo = false;
                    for (std::size_t b = 0; b < blobsPorLinha; ++b)
                        temLongo = temLongo || blobs[b].Estado == TValorBlob::TEstado::Longo;
                    if (temLongo) {
                        // Each such row may take long: a stop is seen row by row.
                        if (FCancelamento)
                            FCancelamento->Verificar();
                        enviar(true);
                        if (!destino.EmTransacao())
                            destino.IniciarTransacao();
                        escritor.InserirComBlobsLongos(linha, blobs, leitor.Fila());
                        ++gravadas;
                        if (gravadas % LinhasPorCommit == 0)
                            confirmar();
                        avisar(false);
                        continue;
                    }
                    while (!escritor.Cabe(blobs))
                        enviar(false);
                    escritor.Adicionar(linha, blobs);
                    // A chunk never crosses a batch boundary, so each commit closes a batch.
                    const auto ateCommit = LinhasPorCommit - gravadas % LinhasPorCommit;
                    if (static_cast<std::int64_t>(escritor.Pendentes()) >= ateCommit)
                        enviar(true);
                }
                break;
            }
        }
        enviar(true);
        confirmar();
        FContagensPreparadas = escritor.ContagensPreparadas();
        escritor.Liberar();
        leitor.Fechar();
        avisar(true);
    } catch (const EBancoDados& erro) {
        // A lost attachment, on either side, is let go by the protection around the copy, which
        // closes it first: a rollback sent on it now could wait forever.
        if (!erro.PerdaDeConexao())
            Reverter(destino);
        leitor.Descartar();
        throw;
    } catch (...) {
        Reverter(destino);
        leitor.Descartar();
        throw;
    }
    return gravadas;
}
