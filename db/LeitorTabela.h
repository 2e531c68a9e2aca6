#pragma once

#include "Firebird.h"
#include "FilaLinhas.h"
#include "FormatoLinha.h"

#include <thread>

// The reading side of the row copy. It runs the select on the source, forward-only, on a
// thread of its own, so that the next rows are fetched while the writer's statement runs on
// the server. Blobs are read there too: whole when short, in segments when long.
class TLeitorTabela {
public:
    // Blobs up to this size travel whole, as a string; longer ones are streamed.
    static constexpr std::size_t LimiteBlobCurto = 32765;

    // Blobs up to this size come with their rows, as text the server casts them to; longer
    // ones are opened one by one.
    static constexpr std::size_t LimiteBlobNaLinha = 4000;

    // Prepares and opens the select on the source attachment inside the given transaction.
    TLeitorTabela(Firebird::IAttachment* anexo, Firebird::ITransaction* transacao,
                  const std::string& sql, const TConjuntosCaracteres& conjuntos);
    ~TLeitorTabela();
    TLeitorTabela(const TLeitorTabela&) = delete;
    TLeitorTabela& operator=(const TLeitorTabela&) = delete;

    const TFormatoLinha& Formato() const noexcept { return FFormato; }
    Firebird::IMessageMetadata* Metadados() const noexcept { return FMetadados.get(); }

    // Starts fetching; the rows arrive in Fila().
    void Iniciar();
    TFilaLinhas& Fila() noexcept { return FFila; }
    // Stops the thread (if running) and closes the cursor and the statement.
    void Fechar();
    // The same after a failure, reporting nothing: the handles' owners end them quietly.
    void Descartar() noexcept;

private:
    void Ler();
    // Stops the reading thread: the queue is abandoned, so a thread waiting to hand on rows
    // gives up at once.
    void Parar() noexcept;
    fb::TComando Preparar(const std::string& sql);
    bool LerBlob(const ISC_QUAD& id, TValorBlob& valor, fb::TBlob& aberto);
    bool TransmitirResto(fb::TBlob& blob, std::string inicio);

    Firebird::IAttachment* FAnexo;
    Firebird::ITransaction* FTransacao;
    fb::TComando FComando;
    fb::TMetadados FMetadados;
    fb::TCursor FCursor;
    TFormatoLinha FFormato;
    std::vector<unsigned> FColunasBlob;
    std::vector<TColunaMensagem> FBlobsNaLinha; // the text cast of each blob column
    TFilaLinhas FFila;
    std::thread FThread;
};
