#pragma once

#include "AcessoArquivo.h"
#include "AcompanhamentoMigracao.h"
#include "Cancelamento.h"
#include "Conexao.h"
#include "ContextoMigracao.h"
#include "EscritaForcada.h"
#include "ExplicacaoFalha.h"
#include "PassoReplicacao.h"
#include "PassosChavesEstrangeiras.h"
#include "PassosGatilhos.h"
#include "PassosSequenciadores.h"
#include "PassosTabelas.h"
#include "ProvaMigracao.h"
#include "RelatorioMigracao.h"
#include "VerificacaoPar.h"
#include "VerificacaoPrevia.h"
#include "VerificacoesIniciais.h"

#include <atomic>
#include <exception>
#include <string>
#include <vector>

// How a Start command ended.
enum class TResultadoMigracao {
    Abandonada, // a validation message or a version mismatch: nothing was touched
    Concluida,  // the log ends with "Importação concluída."
    Falhou,     // the log ends with the error line and is red
    Ocupada,    // another run of this engine was under way; nothing was done
    Interrompida, // stopped by the operator: the log ends with the stop's line, in the
                  // standard colour; the destination is incomplete until the next run
    Recusada,     // the check before the run found errors, all shown at once: nothing was touched
};

// How a check of a pair ended.
enum class TResultadoVerificacao {
    Abandonada,   // a validation message or a version mismatch
    SemProblemas, // the log ends with the totals: no errors (warnings may precede them)
    ComProblemas, // errors listed before the totals
    Falhou,       // the check could not finish: the log ends with the error line and is red
    Ocupada,      // a run or a check of this engine was under way; nothing was done
    Interrompida, // stopped by the operator: the log ends with the stop's line
};

// How a comparison of a pair ended.
enum class TResultadoComparacao {
    Abandonada, // a validation message or a version mismatch
    Iguais,     // every table the run copies, and the other objects, equal the source's
    Diferentes, // one log line per difference before the closing line
    Falhou,     // the comparison could not finish: the log ends with the error line, red
    Ocupada,    // a run or a check of this engine was under way; nothing was done
    Interrompida, // stopped by the operator: the log ends with the stop's line
};

// Who asked a command to stop: the operator in the window, Ctrl+C on the command line, or a
// request to end the process (SIGTERM). The stop's line says which.
enum class TMotivoParada { Usuario, CtrlC, Termino };

// Where a command was when it stopped: the stop's line says what that left.
enum class TEtapaParada {
    Verificacao,       // the check of a pair
    Comparacao,        // the comparison of a pair
    AntesDaImportacao, // a run's check, before anything changed
    Importacao,        // a run's steps, the destination part way
    Conferencia,       // a run's proof, every row copied
};

// The migration engine: what the main window owns for a run (the two connections, the
// catalogue queries, the row copy, the table lists) and the Start command that drives it.
// It shows everything through the given report, which must outlive it.
//
// One run at a time: Iniciar may be called from a worker thread; SolicitarParada, EmExecucao,
// Posicao and Maximo may be called from any thread meanwhile.
class TMigracao {
public:
    explicit TMigracao(IRelatorioMigracao& relatorio);
    ~TMigracao();
    TMigracao(const TMigracao&) = delete;
    TMigracao& operator=(const TMigracao&) = delete;

    // The Start command on two database files; a relative path names a file under the calling
    // process's working folder, never under the server's. A database that cannot be reached while the
    // versions are compared throws EBancoDados (nothing is logged then); every failure of the
    // steps is caught, logged in red and reported as Falhou.
    //
    // Before anything changes, the run checks the pair as Verificar does: errors make it a
    // refusal listing them all (Recusada); warnings go to the log and the run goes on. A
    // check that cannot finish fails the run, with nothing changed yet.
    TResultadoMigracao Iniciar(const std::string& arquivoOrigem,
                               const std::string& arquivoDestino);

    // For the day the check is wrong: the runs that follow skip it. Not while a run is under way.
    void DispensarVerificacao(bool dispensar) noexcept { FDispensarVerificacao = dispensar; }
    // How the operator gives commands, for the next step a failure's explanation tells.
    void DefinirInterface(TInterfaceComando interface) noexcept { FInterface = interface; }

    // The check of a pair: the same validation and version check as Iniciar, then every
    // problem the run would meet, listed in the log; nothing is changed in either database.
    // Like Iniciar, a database that cannot be reached while the versions are compared throws.
    TResultadoVerificacao Verificar(const std::string& arquivoOrigem,
                                    const std::string& arquivoDestino);

    // The proof of a pair on its own, as a run ends with it: the same validation and version
    // check, then every table the run copies, the sequences, identity columns, pending foreign
    // keys and triggers compared; nothing is changed in either database.
    TResultadoComparacao Comparar(const std::string& arquivoOrigem,
                                  const std::string& arquivoDestino);

    // What the last run's or comparison's proof found (empty before the first, and for a run
    // that did not reach it).
    const TResultadoProva& UltimaProva() const noexcept { return FUltimaProva; }

    // Whether the next runs leave out of the record of pending foreign keys, instead of
    // refusing to start, its damaged parts and the keys the destination can no longer have
    // (each is logged as the run starts); the keys that can be created are created all the
    // same. Set only while no run is under way.
    void DefinirDescarteChavesPendentes(bool descartar) noexcept;
    // Leaves the destination's forced writes on during a run (see TEscritaForcada). Set only
    // while no run is under way.
    void ManterEscritaForcada(bool manter) noexcept;

    // Asks a run under way to stop at its next safe point (between two statements or two
    // batches of a row copy); the run then ends as Interrompida with the stop's own line,
    // whatever the statement under way reported on its way out. A check, a comparison and a
    // run's proof, which change nothing, stop at once: the server cancels their statement.
    // From any thread but a signal handler.
    void SolicitarParada(TMotivoParada motivo = TMotivoParada::Usuario) noexcept;
    bool EmExecucao() const noexcept;

    // The bars as the engine last set them.
    int Posicao(TBarra barra) const noexcept;
    int Maximo(TBarra barra) const noexcept;
    // Where the run or check under way (or the last one) stands: times, the work under way,
    // the rows of the copy.
    TSituacaoExecucao Situacao() const;

    // The last line of a command stopped there for that reason.
    static std::string LinhaInterrupcao(TEtapaParada etapa,
                                        TMotivoParada motivo = TMotivoParada::Usuario);

    // The statements of the foreign keys a run dropped from that destination and that were
    // not recreated (a run that ended between dropping and recreating them, or keys that
    // could not be created), as the destination's own record and the user's copy hold them;
    // attaches to the destination for it. The next run on the same destination, from any
    // program, recreates them.
    static std::vector<std::string> ChavesEstrangeirasPendentes(const std::string& arquivoDestino);
    // The user's copy of that record: a file in the user's own data folder.
    static std::string ArquivoChavesPendentes(const std::string& arquivoDestino);

private:
    bool Abrir(const std::string& arquivoOrigem, const std::string& arquivoDestino,
               TAcessoArquivo acesso);
    void RegistrarErro(const std::exception& erro, TMomentoFalha momento);
    bool ValidarArquivos(const std::string& arquivoOrigem, const std::string& arquivoDestino,
                         TAcessoArquivo acesso);
    void ExecutarPassos();
    void RegistrarResumo();
    bool ProvarResultado(const std::vector<std::string>& tabelas,
                         const std::vector<std::string>& mantidas);
    std::vector<TProblemaVerificacao> VerificarPar(bool silenciosa);
    void RegistrarInterrupcao(TEtapaParada etapa);

    TAcompanhamentoMigracao FAcompanhamento;
    TCancelamento FCancelamento;
    std::atomic<TMotivoParada> FMotivoParada{TMotivoParada::Usuario};
    TEtapaParada FEtapa = TEtapaParada::Importacao;
    std::atomic<bool> FEmExecucao{false};
    bool FDispensarVerificacao = false;
    TInterfaceComando FInterface = TInterfaceComando::Janela;
    TConexao ConexaoOrigem;
    TConexao ConexaoDestino;
    TContextoMigracao FContexto;
    TVerificacoesIniciais FVerificacoes;
    TPassosGatilhos FGatilhos;
    TPassosChavesEstrangeiras FChavesEstrangeiras;
    TPassosTabelas FPassosTabelas;
    TVerificacaoPrevia FVerificacaoPrevia;
    TVerificacaoPar FVerificacaoPar;
    TPassoReplicacao FReplicacao;
    TPassosSequenciadores FSequenciadores;
    TEscritaForcada FEscritaForcada;
    TProvaMigracao FProva;
    TResultadoProva FUltimaProva;
};
