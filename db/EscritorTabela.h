#pragma once

#include "EnvioAssincrono.h"
#include "Firebird.h"
#include "FilaLinhas.h"
#include "FormatoLinha.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class TCancelamento;
class TConexao;

// What the destination says of the select: the table, each column's name as the server
// spells them (WIN1252), in select-list order, how many characters each text column holds (0
// for other types), and the positions of the primary key's columns in the list.
struct TDestinoCopia {
    std::string Tabela;
    std::vector<std::string> Colunas;
    std::vector<std::size_t> Capacidades;
    std::vector<std::size_t> Chave;
};

// The writing side of the row copy. Rows wait in a pending chunk and go to the server as one
// multi-row execute block (at most 255 rows, 32768 bytes of parameter data, 32700 characters
// of text); a chunk of one row goes as the plain insert. Statements are prepared once per row
// count and reused. Rows with blobs of varying sizes fill chunks to ever other counts, and each
// new count would prepare a statement of tens of kilobytes: a chunk is therefore sent in a
// count that is a multiple of GranuloLinhas (or, below it, a power of two) and the rows beyond
// it wait for the next chunk. So a table prepares at most MaxLinhasPedaco / GranuloLinhas + 5
// statements.
class TEscritorTabela {
public:
    static constexpr std::size_t MaxLinhasPedaco = 255;
    static constexpr std::size_t GranuloLinhas = 16;
    static constexpr std::size_t MaxBytesPedaco = 32768;
    static constexpr std::size_t MaxTextoPedaco = 32700;

    // formato describes the rows the reader delivers (its message may hold more columns). A
    // stop request is also seen between the segments of a long blob.
    TEscritorTabela(TConexao& destino, const TFormatoLinha& formato, TDestinoCopia descricao,
                    const TConjuntosCaracteres& conjuntos, const TCancelamento* cancelamento);

    // Whether one more row fits in the pending chunk.
    bool Cabe(const TValorBlob* blobs) const;
    // Takes a copy of one row for the pending chunk.
    void Adicionar(const unsigned char* linha, const TValorBlob* blobs);
    // Sends the pending rows in the counts described above: all of them, or only the leading
    // ones of one such count, the others staying pending. Returns how many were sent. The
    // statement runs while the caller goes on; its failure is raised by a later Enviar or
    // Sincronizar, naming the refused row's column and primary key where the server's message
    // lets them be found.
    std::size_t Enviar(bool todas);
    // Waits for the chunk under way; raises its failure. Before a commit and at the end.
    void Sincronizar();
    std::size_t Pendentes() const noexcept { return FNumPendentes; }

    // Inserts one row on its own, writing each long blob from the segments that the reader
    // queued after the row; the pending chunk must have been sent before.
    void InserirComBlobsLongos(const unsigned char* linha, const TValorBlob* blobs,
                               TFilaLinhas& fila);

    // Statements are tied to the transaction's attachment, not to the transaction: they
    // survive the commits between batches. Releases them.
    void Liberar();

    // The row counts of the statements prepared so far, ascending.
    std::vector<std::size_t> ContagensPreparadas() const;

private:
    struct TLinhaPendente {
        std::vector<unsigned char> Dados;
        std::vector<TValorBlob> Blobs;
        std::vector<ISC_QUAD> Ids; // per blob column: the blob written for a long value
        std::size_t Bytes = 0;
    };

    // The chunk the server is executing: its message stays untouched until the next one is
    // handed over, so a refused row can still be read from it.
    struct TEmExecucao {
        std::size_t Linhas = 0;
        Firebird::IMessageMetadata* Metadados = nullptr;
        const unsigned char* Buffer = nullptr;
    };

    std::string TextoPedaco(std::size_t linhas) const;
    // Waits for the chunk under way; its failure is raised with the refused row located.
    void Aguardar();
    void Localizar(EBancoDados& erro) const;
    // Writes the short values of a row's blob columns as blobs of their own: all of them, or
    // only those of sub_types the server cannot make from text.
    void GravarComoBlobs(TLinhaPendente& linha, bool todos);
    Firebird::IStatement* Comando(std::size_t linhas);
    // Writes a blob of the column's kind from the pieces proximo gives until it gives none.
    ISC_QUAD GravarBlob(const TColunaMensagem& coluna,
                        const std::function<const std::string*()>& proximo);
    std::size_t BytesLinha(const TValorBlob* blobs) const;
    // Describes the rows' parameters: blob columns as text (short) or blob ids (long).
    fb::TMetadados Metadados(const std::vector<const TLinhaPendente*>& linhas) const;
    void Executar(std::size_t linhas, const std::vector<const TLinhaPendente*>& origem);
    void EnviarPrimeiras(std::size_t linhas);

    TConexao& FDestino;
    const TFormatoLinha& FFormato;
    TDestinoCopia FDescricao;
    const TConjuntosCaracteres& FConjuntos;
    const TCancelamento* FCancelamento;
    std::vector<unsigned> FColunasBlob;
    bool FSubTiposProprios = false; // some blob column of a sub_type other than text or binary
    std::string FInsercao;     // "insert into T (A,B) values ("
    std::vector<std::string> FDeclaracoes; // the type of each column's parameter
    std::size_t FBytesFixos = 0;
    std::size_t FCapacidade = 1;
    // Entries are reused from chunk to chunk; the first FNumPendentes are the pending rows.
    std::vector<TLinhaPendente> FPendentes;
    std::size_t FNumPendentes = 0;
    std::size_t FBytesPendentes = 0;
    std::map<std::size_t, fb::TComando> FComandos;
    std::map<std::size_t, fb::TMetadados> FMetadadosFixos; // by row count, tables without blobs
    // Two messages: one is assembled while the other is executed.
    std::vector<unsigned char> FBuffers[2];
    fb::TMetadados FMetadadosPedaco[2];
    int FAtual = 0;
    TEmExecucao FEmExecucao;
    TEnvioAssincrono FEnvio; // last: its thread ends before the buffers go
};
