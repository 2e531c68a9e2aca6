#pragma once

#include <cstdint>
#include <string>

class TResumoMigracao;

// The two progress bars of a run: the run as a whole and the step under way.
enum class TBarra { Total, Atual };

// Everything a migration run shows the operator goes through this interface: the log, its
// colour, the two bars, the abandonment of the Start command with a message, and the message
// of a replication trigger the server rejected. The window and the command line implement it.
//
// The engine may call it from a worker thread; an implementation that owns widgets hands the
// calls to its own thread. Calls that show a message (Abandonar, MostrarFalhaGatilho) return
// only once the operator has seen it.
class IRelatorioMigracao {
public:
    virtual ~IRelatorioMigracao() = default;

    // Empties the log and gives it the standard colour (start of a run).
    virtual void LimparLog() = 0;
    // Appends one finished log line (time stamp, " - ", text); a CR LF inside it starts a
    // further display line of the same entry.
    virtual void AcrescentarLinhaLog(const std::string& linha) = 0;
    // Turns the whole log red (a failed run).
    virtual void MarcarFalha() = 0;

    // The bars. The engine never sets a position beyond the maximum.
    virtual void DefinirMaximo(TBarra barra, int maximo) = 0;
    virtual void DefinirPosicao(TBarra barra, int posicao) = 0;

    // A validation message or a version mismatch: shows the message; the engine then ends
    // the Start command without touching anything.
    virtual void Abandonar(const std::string& mensagem, bool comFocoBotaoOk) = 0;

    // A replication trigger that was refused: table, CR LF, error, CR LF, statement (empty
    // when the table's own catalogue ruled it out and nothing was sent). The run goes on once
    // the operator has seen it.
    virtual void MostrarFalhaGatilho(const std::string& mensagem) = 0;

    // Rows written so far in the table being copied, at most a few times a second.
    virtual void ProgressoCopia(const std::string& /*tabela*/, std::int64_t /*linhas*/,
                                double /*linhasPorSegundo*/)
    {
    }

    // A run that reached the copy of its tables ends with its summary, already in the log's
    // lines by then; for a display of its own. Given only for the length of the call.
    virtual void MostrarResumo(const TResumoMigracao& /*resumo*/) {}

    // The line that ends a run or a check (already in the log), and whether it is a failure's.
    virtual void MostrarResultado(const std::string& /*linha*/, bool /*falha*/) {}
};
