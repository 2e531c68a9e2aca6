#pragma once

#include <string>

class EBancoDados;

// When a failure struck, which decides what the next command will do about it.
enum class TMomentoFalha {
    AntesDeAlterar, // while the two files were opened and compared: nothing was changed
    Importacao,     // during a run: the destination is incomplete until the next run
    Verificacao,    // during a check: nothing is ever changed
};

// Who gives the commands: the next step is told in its words, a button of the window or the
// command again.
enum class TInterfaceComando { Janela, LinhaComando };

// Turns a database failure that customer data or the surroundings cause (a text too long, a
// NULL for a required column, a repeated key, a missing parent row, a CHECK constraint, a lock
// held by another user, the connection lost, a file that is not a database) into one or two
// lines in plain Portuguese: what happened, with table, column, the row's key and the value's
// real length where known, and what to do next. Both programs put these lines before the
// server's own text, so the operator reads the same whichever he uses, but for how he gives the
// next command.
class TExplicacaoFalha {
public:
    // The lines joined by CR LF; empty for a failure of none of these kinds.
    static std::string Explicar(const EBancoDados& erro, TMomentoFalha momento,
                                TInterfaceComando interface = TInterfaceComando::Janela);
};
