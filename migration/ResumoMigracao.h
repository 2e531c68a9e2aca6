#pragma once

#include "ResultadoProva.h"

#include <cstdint>
#include <string>
#include <vector>

// How one table of a run reached the destination.
enum class TCaminhoResumo {
    Servidor, // pulled by the destination's server from the source's
    Cliente,  // read and sent by this program
    Mantida,  // it already equalled the source's and was kept as it was
};

// What the proof said of one table; a run that ended before the proof leaves it unproven.
enum class TConferenciaResumo { NaoConferida, Igual, Diferente };

// One table of a run's summary.
struct TResumoTabela {
    std::string Tabela;
    // Rows written by the copy; for a kept table, the rows it holds.
    std::int64_t Linhas = 0;
    double Segundos = 0;
    TCaminhoResumo Caminho = TCaminhoResumo::Cliente;
    TConferenciaResumo Conferencia = TConferenciaResumo::NaoConferida;

    double LinhasPorSegundo() const;
    static const char* TextoCaminho(TCaminhoResumo caminho);
    static const char* TextoConferencia(TConferenciaResumo conferencia);
};

// The summary that closes a run's log: one entry per table the copy reached (the one it failed
// on included), in the run's order, and the totals.
class TResumoMigracao {
public:
    void Limpar();
    // The copy of the tables has begun: from now on the run ends with its summary.
    void Iniciar() { FIniciado = true; }
    bool Iniciado() const noexcept { return FIniciado; }

    void Registrar(TResumoTabela tabela);
    // The proof's verdicts on the tables it looked at; the others stay unproven.
    void AplicarProva(const TResultadoProva& prova);

    const std::vector<TResumoTabela>& Tabelas() const noexcept { return FTabelas; }
    std::int64_t TotalLinhas() const;
    double TotalSegundos() const;

    // The log's lines: the heading, the columns' names, one line per table with its columns
    // aligned, then the totals.
    std::vector<std::string> Linhas() const;

    // Seconds with one decimal and a comma, the way the operator writes them: "34,2".
    static std::string FormatarSegundos(double segundos);

private:
    bool FIniciado = false;
    std::vector<TResumoTabela> FTabelas;
};
