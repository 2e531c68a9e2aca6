#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <vector>

// The value of one blob of a fetched row, as the reading side hands it on: short blobs travel
// whole, a long one only as a marker whose content follows in segments.
struct TValorBlob {
    enum class TEstado { Nulo, Curto, Longo };
    TEstado Estado = TEstado::Nulo;
    std::string Conteudo;
};

// Rows as the client delivered them, one message buffer after another, with the values of
// their blob columns beside them (row by row, one entry per blob column).
struct TBlocoLinhas {
    std::vector<unsigned char> Dados;
    std::vector<TValorBlob> Blobs;
    std::size_t Linhas = 0;
};

// What travels from the reading thread to the writer: blocks of rows, the segments of a long
// blob (after the block whose last row holds it), the end of the rows, or the reader's failure.
struct TItemFila {
    enum class TTipo { Bloco, Segmento, FimBlob, Fim, Erro };
    TTipo Tipo = TTipo::Fim;
    TBlocoLinhas Bloco;
    std::string Segmento;
    std::exception_ptr Erro;

    std::size_t Tamanho() const noexcept
    {
        std::size_t bytes = Bloco.Dados.size() + Segmento.size() + 64;
        for (const TValorBlob& blob : Bloco.Blobs)
            bytes += blob.Conteudo.size();
        return bytes;
    }
};

// A bounded hand-over between one producer and one consumer; bounded in bytes so that the
// copy's memory stays flat whatever the table size.
class TFilaLinhas {
public:
    explicit TFilaLinhas(std::size_t limiteBytes) : FLimite(limiteBytes) {}

    // Blocks while the queue is full; returns false once the consumer has given up.
    bool Colocar(TItemFila item);
    TItemFila Retirar();
    // The consumer gives up: the producer's next Colocar returns false at once.
    void Abandonar();

private:
    std::mutex FTrava;
    std::condition_variable FMudou;
    std::deque<TItemFila> FItens;
    std::size_t FBytes = 0;
    std::size_t FLimite;
    bool FAbandonada = false;
};
