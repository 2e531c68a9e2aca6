#pragma once

#include <ctime>
#include <fstream>
#include <string>

// The kept copy of one run's, check's or comparison's log: a file of its own in the user's
// data folder, written line by line as the log grows and flushed each time, so that a run
// that is killed still leaves everything it had logged. The newest files are kept, the
// oldest removed as a new one starts.
class TArquivoLog {
public:
    enum class TComando { Importacao, Verificacao, Comparacao };

    // How many logs the folder keeps, the new one included.
    static constexpr int LogsGuardados = 100;

    // The folder of every kept log.
    static std::string Pasta();

    // Starts the file of a command on this pair (full paths) with its first line: the
    // program and its version, the command, when and by whom, both databases. False, with
    // Falha() saying why, when the file cannot be written; the command goes on without it.
    bool Iniciar(TComando comando, const std::string& origem, const std::string& destino);
    // One log entry as the log shows it; a CR LF inside it starts a further line.
    void Escrever(const std::string& linha);
    // Closes the file; nothing more is written until the next Iniciar.
    void Encerrar();

    bool Aberto() const noexcept { return FArquivo.is_open(); }
    const std::string& Caminho() const noexcept { return FCaminho; }
    // Why the file could not be started or could not take every line (empty: it could).
    const std::string& Falha() const noexcept { return FFalha; }

    // The file's name for a command started at this moment on this destination: the date,
    // the time and the destination's file name, which never leaves the folder.
    static std::string NomeArquivo(std::time_t inicio, const std::string& destino);

private:
    void RemoverAntigos() const;

    std::ofstream FArquivo;
    std::string FCaminho;
    std::string FFalha;
};
