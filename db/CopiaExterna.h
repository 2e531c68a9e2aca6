#pragma once

#include "Conexao.h"
#include "CopiaTabela.h"
#include "EnderecoExterno.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class TCancelamento;
namespace Firebird {
class IMessageMetadata;
}

// The way one table's rows went to the destination.
enum class TCaminhoCopia {
    Cliente,  // read by this program and sent as multi-row statements (TCopiaTabela)
    Servidor, // pulled by the destination's server from the source's itself
};

// Copies one table along the fastest way open to it. A whole table with a primary key is pulled
// by the destination's server straight from the source, through an external read, one statement
// per batch of 10000 rows: the server then does the per-row work of its
// own insert-select instead of unpacking every row from a client's statement. Each batch is
// the next 10000 rows in key order after the last key of the batch before, read through the
// key's index, and is committed on its own, so a failure keeps exactly the batches committed
// before it, as the client's way does. The key travels from batch to batch in the source's own
// types and collation, and a read that would not advance in key order fails before it writes.
// A failed batch is run again, undone, to name the refused row's column and key.
//
// A table with a blob column is pulled only where the server reads the source without the
// network (see TLeituraExterna): over the network every blob makes trips of its own, and the
// client's way is several times faster.
//
// Every other table goes the client's way, through the row copy given at construction; so do
// all tables when the destination's server refuses the external read (a server without it,
// an external connection that cannot attach or authenticate). The select text is the one set
// on the row copy's sides; progress and stop requests behave as the row copy's do.
class TCopiaExterna {
public:
    // perfilExterno: where and as whom the destination's server attaches to the source; by
    // default the source connection's own profile.
    explicit TCopiaExterna(TCopiaTabela& copia,
                           std::optional<TPerfilConexao> perfilExterno = std::nullopt);

    // The way the destination's server reaches the source, as a caller that copies many
    // tables found it once (EscolherLeituraExterna); without it, the first table asks the
    // server.
    void DefinirLeituraExterna(TLeituraExterna leitura);

    // Told the rows written so far after every committed batch; the client's way is told
    // through the row copy, which this sets too.
    void DefinirObservadorProgresso(std::function<void(std::int64_t)> observador);
    // Polled before every batch of the external read; the client's way polls its own.
    void DefinirCancelamento(const TCancelamento* cancelamento) noexcept;

    // The way the table of the row copy's select text would take, decided without copying.
    TCaminhoCopia Escolher();

    // Copies the table of the row copy's select text; returns the number of rows written.
    std::int64_t Executar();

    // The way the last Escolher or Executar chose (also when the copy failed), and why it was
    // the client's.
    TCaminhoCopia Caminho() const noexcept { return FCaminho; }
    const std::string& MotivoCliente() const noexcept { return FMotivoCliente; }

    // The same batches as the client's way.
    static constexpr int LinhasPorLote = TCopiaTabela::LinhasPorCommit;
    // Batches of another size, for a caller that wants to see many batch boundaries with few
    // rows.
    void DefinirLinhasPorLote(int linhas);

private:
    struct TPlano;
    std::optional<TPlano> Planejar(const std::string& sql);
    std::optional<std::int64_t> CopiarPeloServidor(const TPlano& plano);
    void Diagnosticar(const TPlano& plano, EBancoDados& erro, Firebird::IMessageMetadata* entrada,
                      unsigned char* parametros);

    TCopiaTabela& FCopia;
    std::optional<TPerfilConexao> FPerfilExterno;
    // Outer: whether the way was asked for yet; inner: the way, if the server opens one.
    std::optional<std::optional<TLeituraExterna>> FLeitura;
    std::string FMotivoRecusa;
    std::function<void(std::int64_t)> FObservador;
    const TCancelamento* FCancelamento = nullptr;
    TCaminhoCopia FCaminho = TCaminhoCopia::Cliente;
    std::string FMotivoCliente;
    int FLinhasPorLote = LinhasPorLote;
};
