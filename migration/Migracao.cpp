#include "Migracao.h"

#include "ErroBancoDados.h"
#include "IdentidadeArquivo.h"
#include "ListaTextos.h"
#include "RegistroChavesPendentes.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

namespace {

// Marks the engine busy for the length of one Start command.
class TMarcaExecucao {
public:
    explicit TMarcaExecucao(std::atomic<bool>& emExecucao)
        : FEmExecucao(emExecucao), FAdquirida(!emExecucao.exchange(true))
    {
    }
    ~TMarcaExecucao()
    {
        if (FAdquirida)
            FEmExecucao.store(false);
    }
    TMarcaExecucao(const TMarcaExecucao&) = delete;
    TMarcaExecucao& operator=(const TMarcaExecucao&) = delete;
    bool Adquirida() const noexcept { return FAdquirida; }

private:
    std::atomic<bool>& FEmExecucao;
    bool FAdquirida;
};

} // namespace

TMigracao::TMigracao(IRelatorioMigracao& relatorio)
    : FAcompanhamento(relatorio),
      FContexto{ConexaoOrigem, ConexaoDestino, FAcompanhamento, FCancelamento},
      FVerificacoes(FContexto),
      FGatilhos(FContexto),
      FChavesEstrangeiras(FContexto),
      FPassosTabelas(FContexto),
      FVerificacaoPrevia(FContexto, FPassosTabelas.Excecoes(), FChavesEstrangeiras),
      FVerificacaoPar(FContexto, FPassosTabelas.Excecoes(), FChavesEstrangeiras, FVerificacaoPrevia),
      FReplicacao(FContexto),
      FSequenciadores(FContexto, FPassosTabelas.Tabelas()),
      FEscritaForcada(ConexaoDestino),
      FProva(ConexaoOrigem, ConexaoDestino)
{
    FPassosTabelas.DefinirProva(&FProva);
}

TMigracao::~TMigracao() = default;

namespace {

// A command's log, from the displays' reset to its last line: the line that says where the
// log was kept ends it, whichever way the command ends.
class TLogComando {
public:
    TLogComando(TAcompanhamentoMigracao& acompanhamento, TArquivoLog::TComando comando,
                const TConexao& origem, const TConexao& destino)
        : FAcompanhamento(acompanhamento)
    {
        FAcompanhamento.AnunciarComando(comando, origem.Banco(), destino.Banco());
    }
    ~TLogComando() { FAcompanhamento.EncerrarComando(); }
    TLogComando(const TLogComando&) = delete;
    TLogComando& operator=(const TLogComando&) = delete;

private:
    TAcompanhamentoMigracao& FAcompanhamento;
};

} // namespace

// The Start command. Validation, the version check and the look at both databases before
// anything changes end it quietly through the report's abandonment; from the reset of the
// displays on, one trap catches every failure, turns the log red and writes the error line.
// Nothing is undone: every statement has committed itself.
TResultadoMigracao TMigracao::Iniciar(const std::string& arquivoOrigem,
                                      const std::string& arquivoDestino)
{
    TMarcaExecucao marca(FEmExecucao);
    if (!marca.Adquirida())
        return TResultadoMigracao::Ocupada;
    FUltimaProva = {};
    FPassosTabelas.Resumo().Limpar();
    // The run fills the source's NULL yes/no values and refills the destination.
    if (!Abrir(arquivoOrigem, arquivoDestino, TAcessoArquivo::LeituraEscrita))
        return TResultadoMigracao::Abandonada;
    const TLogComando log(FAcompanhamento, TArquivoLog::TComando::Importacao, ConexaoOrigem,
                          ConexaoDestino);
    FAcompanhamento.IniciarCronometro();
    const TResultadoVerificacaoPrevia previa = FVerificacaoPrevia.Verificar();
    if (!previa.Impedimentos.empty()) {
        FAcompanhamento.Relatorio().Abandonar(TVerificacaoPrevia::Mensagem(previa.Impedimentos),
                                              true);
        return TResultadoMigracao::Abandonada;
    }

    std::vector<TProblemaVerificacao> avisos;
    if (!FDispensarVerificacao) {
        std::vector<TProblemaVerificacao> problemas;
        try {
            problemas = VerificarPar(true);
        } catch (const std::exception& erro) {
            FAcompanhamento.LimparLog();
            if (FCancelamento.Solicitado()) {
                RegistrarInterrupcao(TEtapaParada::AntesDaImportacao);
                return TResultadoMigracao::Interrompida;
            }
            RegistrarErro(erro, TMomentoFalha::AntesDeAlterar);
            return TResultadoMigracao::Falhou;
        }
        std::vector<std::string> erros;
        for (TProblemaVerificacao& problema : problemas)
            if (problema.Aviso)
                avisos.push_back(std::move(problema));
            else
                erros.push_back(problema.Linha());
        if (!erros.empty()) {
            FAcompanhamento.Relatorio().Abandonar(TVerificacaoPrevia::Mensagem(erros), true);
            return TResultadoMigracao::Recusada;
        }
    }

    FAcompanhamento.LimparLog();
    FAcompanhamento.DefinirPosicao(TBarra::Total, 0);
    FAcompanhamento.DefinirMaximo(TBarra::Total, 11);
    FEtapa = TEtapaParada::Importacao;
    for (const std::string& aviso : previa.Avisos)
        FAcompanhamento.AdicionarLog(aviso);
    for (const TTabelaNaoCopiada& naoCopiada : previa.NaoCopiadas)
        FAcompanhamento.AdicionarLog(ProblemaNaoCopiada(naoCopiada).Linha());
    // The check lists the pre-flight's warnings as well: they are logged once, above.
    for (const TProblemaVerificacao& aviso : avisos)
        if (!aviso.Tabela.empty() && !aviso.MostradoPelaImportacao)
            FAcompanhamento.AdicionarLog(aviso.Linha());
    try {
        ExecutarPassos();
    } catch (const std::exception& erro) {
        if (const std::string linha = FEscritaForcada.RestaurarAposFalha(); !linha.empty())
            FAcompanhamento.AdicionarLog(linha);
        FAcompanhamento.PararCronometro();
        RegistrarResumo();
        // A stop asked for may surface as whatever the statement under way was told by the
        // server (a cancelled operation, a connection shut down): it is the stop all the same.
        if (FCancelamento.Solicitado()) {
            RegistrarInterrupcao(FEtapa);
            return TResultadoMigracao::Interrompida;
        }
        RegistrarErro(erro, TMomentoFalha::Importacao);
        return TResultadoMigracao::Falhou;
    }
    FAcompanhamento.PararCronometro();
    return TResultadoMigracao::Concluida;
}

TResultadoVerificacao TMigracao::Verificar(const std::string& arquivoOrigem,
                                           const std::string& arquivoDestino)
{
    TMarcaExecucao marca(FEmExecucao);
    if (!marca.Adquirida())
        return TResultadoVerificacao::Ocupada;
    if (!Abrir(arquivoOrigem, arquivoDestino, TAcessoArquivo::Leitura))
        return TResultadoVerificacao::Abandonada;
    const TLogComando log(FAcompanhamento, TArquivoLog::TComando::Verificacao, ConexaoOrigem,
                          ConexaoDestino);

    FAcompanhamento.IniciarCronometro();
    FAcompanhamento.LimparLog();
    FAcompanhamento.DefinirPosicao(TBarra::Total, 0);
    try {
        const std::vector<TProblemaVerificacao> problemas = VerificarPar(false);
        FAcompanhamento.PararCronometro();
        const bool erro = std::any_of(problemas.begin(), problemas.end(),
                                      [](const TProblemaVerificacao& problema) {
                                          return !problema.Aviso;
                                      });
        return erro ? TResultadoVerificacao::ComProblemas : TResultadoVerificacao::SemProblemas;
    } catch (const std::exception& erro) {
        FAcompanhamento.PararCronometro();
        if (FCancelamento.Solicitado()) {
            RegistrarInterrupcao(TEtapaParada::Verificacao);
            return TResultadoVerificacao::Interrompida;
        }
        RegistrarErro(erro, TMomentoFalha::Verificacao);
        return TResultadoVerificacao::Falhou;
    }
}

TResultadoComparacao TMigracao::Comparar(const std::string& arquivoOrigem,
                                         const std::string& arquivoDestino)
{
    TMarcaExecucao marca(FEmExecucao);
    if (!marca.Adquirida())
        return TResultadoComparacao::Ocupada;
    FUltimaProva = {};
    if (!Abrir(arquivoOrigem, arquivoDestino, TAcessoArquivo::Leitura))
        return TResultadoComparacao::Abandonada;
    const TLogComando log(FAcompanhamento, TArquivoLog::TComando::Comparacao, ConexaoOrigem,
                          ConexaoDestino);

    FAcompanhamento.LimparLog();
    FAcompanhamento.DefinirPosicao(TBarra::Total, 0);
    try {
        FProva.Reiniciar();
        const bool iguais = ProvarResultado(FProva.TabelasCopiadas(FPassosTabelas.Excecoes()), {});
        return iguais ? TResultadoComparacao::Iguais : TResultadoComparacao::Diferentes;
    } catch (const std::exception& erro) {
        if (FCancelamento.Solicitado()) {
            RegistrarInterrupcao(TEtapaParada::Comparacao);
            return TResultadoComparacao::Interrompida;
        }
        RegistrarErro(erro, TMomentoFalha::Verificacao);
        return TResultadoComparacao::Falhou;
    }
}

// The check of the pair, stopped mid-statement by a stop request: it only reads.
std::vector<TProblemaVerificacao> TMigracao::VerificarPar(bool silenciosa)
{
    const TConexao::TEscopoInterrompivel origem(ConexaoOrigem, FCancelamento);
    const TConexao::TEscopoInterrompivel destino(ConexaoDestino, FCancelamento);
    return FVerificacaoPar.Verificar(silenciosa);
}

// The proof of the destination against the source, logged: one line per difference, or the
// number of tables found equal. True when nothing differs.
bool TMigracao::ProvarResultado(const std::vector<std::string>& tabelas,
                                const std::vector<std::string>& mantidas)
{
    FAcompanhamento.AdicionarLog("Conferindo o DESTINO com a ORIGEM...");
    TResultadoProva prova;
    {
        // The proof only reads: a stop ends it mid-statement.
        const TConexao::TEscopoInterrompivel origem(ConexaoOrigem, FCancelamento);
        const TConexao::TEscopoInterrompivel destino(ConexaoDestino, FCancelamento);
        prova = FProva.Provar(tabelas, mantidas);
    }
    // A digest the stop cut short reads as a table that differs: the stop is what happened.
    FCancelamento.Verificar();
    FUltimaProva = std::move(prova);
    const std::vector<std::string> diferencas = FUltimaProva.Linhas();
    for (const std::string& diferenca : diferencas)
        FAcompanhamento.AdicionarLog(diferenca);
    if (!diferencas.empty())
        return false;
    FAcompanhamento.AdicionarLog("Conferência concluída: " +
                                 std::to_string(FUltimaProva.Tabelas.size()) +
                                 " tabelas iguais às da ORIGEM.");
    return true;
}

void TMigracao::RegistrarInterrupcao(TEtapaParada etapa)
{
    FAcompanhamento.AdicionarResultado(LinhaInterrupcao(etapa, FMotivoParada.load()));
}

std::string TMigracao::LinhaInterrupcao(TEtapaParada etapa, TMotivoParada motivo)
{
    const std::string por = motivo == TMotivoParada::CtrlC ? "pelo usuário (Ctrl+C)"
                            : motivo == TMotivoParada::Termino
                                ? "por um pedido de término do processo (SIGTERM)"
                                : "pelo usuário";
    switch (etapa) {
    case TEtapaParada::Verificacao:
        return "Verificação interrompida " + por + ". Nada foi alterado.";
    case TEtapaParada::Comparacao:
        return "Comparação interrompida " + por + ". Nada foi alterado.";
    case TEtapaParada::AntesDaImportacao:
        return "Importação interrompida " + por +
               " antes de alterar os bancos de dados. Nada foi alterado.";
    case TEtapaParada::Conferencia:
        return "Importação interrompida " + por +
               " durante a conferência. Todas as linhas foram copiadas, mas o DESTINO não foi "
               "conferido com a ORIGEM; a próxima importação nele, ou --comparar na linha de "
               "comando, o confere.";
    case TEtapaParada::Importacao:
        break;
    }
    return "Importação interrompida " + por +
           ". O banco de dados de DESTINO ficou incompleto; a próxima importação nele o completa.";
}

// The log turns red and ends with the error line: what happened and what to do, in plain
// words where the failure is of a kind the operator can mend, then the failure's own text.
void TMigracao::RegistrarErro(const std::exception& erro, TMomentoFalha momento)
{
    std::string explicacao;
    if (const auto* banco = dynamic_cast<const EBancoDados*>(&erro))
        explicacao = TExplicacaoFalha::Explicar(*banco, momento, FInterface);
    FAcompanhamento.MarcarFalha();
    FAcompanhamento.AdicionarResultado(std::string("Ocorreu um erro: \r\n") +
                                           (explicacao.empty() ? "" : explicacao + "\r\n") +
                                           erro.what(),
                                       true);
}

// What a run and a check open with: the files validated, the connections pointed at them, the
// versions compared. False when the command was abandoned with a message. Both paths are made
// absolute first, so that the checks, the record of pending keys and the server all see the one
// file the caller named.
bool TMigracao::Abrir(const std::string& arquivoOrigem, const std::string& arquivoDestino,
                      TAcessoArquivo acesso)
{
    FCancelamento.Limpar();
    FAcompanhamento.ZerarCronometro();
    const std::string origem = CaminhoAbsoluto(arquivoOrigem);
    const std::string destino = CaminhoAbsoluto(arquivoDestino);
    if (!ValidarArquivos(origem, destino, acesso))
        return false;
    ConexaoOrigem.DefinirBanco(origem);
    ConexaoDestino.DefinirBanco(destino);
    try {
        return FVerificacoes.ValidarVersao();
    } catch (EBancoDados& erro) {
        const std::string explicacao =
            TExplicacaoFalha::Explicar(erro, TMomentoFalha::AntesDeAlterar, FInterface);
        if (!explicacao.empty())
            erro.DefinirOrientacao(explicacao);
        throw;
    }
}

// The texts are compared first, then the files they name: two texts for one file would make
// the run empty the very database it copies from. Then the user's rights on each file: the
// server, which opens them, would not ask.
bool TMigracao::ValidarArquivos(const std::string& arquivoOrigem,
                                const std::string& arquivoDestino, TAcessoArquivo acesso)
{
    IRelatorioMigracao& relatorio = FAcompanhamento.Relatorio();
    if (arquivoOrigem.empty()) {
        relatorio.Abandonar("Banco de dados de ORIGEM não foi informado.", true);
        return false;
    }
    if (arquivoDestino.empty()) {
        relatorio.Abandonar("Banco de dados de DESTINO não foi informado.", true);
        return false;
    }
    if (arquivoOrigem == arquivoDestino || MesmoArquivo(arquivoOrigem, arquivoDestino)) {
        relatorio.Abandonar("Banco de dados de ORIGEM e DESTINO não podem ser iguais.", true);
        return false;
    }
    for (const auto& [arquivo, papel] :
         {std::pair{&arquivoOrigem, "ORIGEM"}, std::pair{&arquivoDestino, "DESTINO"}})
        if (const std::string recusa = RecusaAcesso(*arquivo, papel, acesso); !recusa.empty()) {
            relatorio.Abandonar(recusa, true);
            return false;
        }
    return true;
}

void TMigracao::ExecutarPassos()
{
    const auto passo = [this](auto&& executar) {
        FCancelamento.Verificar();
        executar();
    };
    passo([this] { FPassosTabelas.DecidirCaminhoCopia(); });
    passo([this] { FVerificacoes.PreencherCamposBooleanos(); });
    passo([this] { FGatilhos.DesativarGatilhos(); });
    passo([this] { FChavesEstrangeiras.ExcluirChavesEstrangeiras(); });
    ConexaoDestino.Commit();
    FAcompanhamento.Avancar(TBarra::Total);
    for (const std::string& aviso : FEscritaForcada.Suspender())
        FAcompanhamento.AdicionarLog(aviso);
    passo([this] { FPassosTabelas.CarregarTabelas(); });
    passo([this] {
        FPassosTabelas.DefinirChaves(FChavesEstrangeiras.ChavesARecriar());
        FPassosTabelas.ImportarTabelas();
    });
    passo([this] { FChavesEstrangeiras.CriarChavesEstrangeiras(); });
    passo([this] { FGatilhos.AtivarGatilhos(); });
    passo([this] { FReplicacao.CriarGatilhosReplicacao(); });
    passo([this] { FSequenciadores.ExcluirSequenciadores(); });
    passo([this] { FSequenciadores.CriarSequenciadores(); });
    ConexaoDestino.Commit();
    FAcompanhamento.Avancar(TBarra::Total);
    FEscritaForcada.Restaurar();
    // Everything else is done; the keys that could not be created, the indexes that could
    // not be rebuilt and the replication triggers that could not be installed fail the run,
    // all of them counted in its last line.
    std::vector<std::string> falhas;
    const std::size_t naoRecriadas = FChavesEstrangeiras.NaoRecriadas().size();
    if (naoRecriadas > 0)
        falhas.push_back(
            "Chaves estrangeiras não recriadas: " + std::to_string(naoRecriadas) +
            " (listadas acima). Elas continuam registradas no DESTINO; corrija o que impede "
            "cada uma e importe novamente para recriá-las.");
    const std::size_t naoReativados = FPassosTabelas.IndicesNaoReativados().size();
    if (naoReativados > 0)
        falhas.push_back(
            "Índices não reativados: " + std::to_string(naoReativados) +
            " (listados acima). Eles continuam registrados no DESTINO; corrija o que impede "
            "cada um e importe novamente para reativá-los.");
    const std::vector<std::string>& gatilhos = FReplicacao.NaoCriados();
    if (!gatilhos.empty())
        falhas.push_back("Gatilhos da replicação não criados: " +
                         std::to_string(gatilhos.size()) + " (tabelas " +
                         Juntar(gatilhos, ", ") +
                         "). Corrija o que impede cada um (mensagens acima) e importe "
                         "novamente para criá-los.");
    if (!falhas.empty())
        throw std::runtime_error(Juntar(falhas, "\r\n"));
    FCancelamento.Verificar();
    FEtapa = TEtapaParada::Conferencia;
    const TListaTextos& tabelas = FPassosTabelas.Tabelas();
    std::vector<std::string> mantidas;
    for (const TVereditoTabela& veredito : FPassosTabelas.Mantidas())
        mantidas.push_back(veredito.Tabela);
    FProva.DefinirEscritaForcadaEsperada(FEscritaForcada.LigadaAntes());
    if (!ProvarResultado({tabelas.begin(), tabelas.end()}, mantidas))
        throw EProvaDiferente("O DESTINO não ficou igual à ORIGEM: " +
                              std::to_string(FUltimaProva.Linhas().size()) +
                              " diferença(s), listadas acima.");
    RegistrarResumo();
    FAcompanhamento.AdicionarResultado("Importação concluída.");
}

// A run that reached the copy of its tables sums it up just before its last line, with the
// proof's verdicts when it got that far.
void TMigracao::RegistrarResumo()
{
    TResumoMigracao& resumo = FPassosTabelas.Resumo();
    if (!resumo.Iniciado())
        return;
    resumo.AplicarProva(FUltimaProva);
    for (const std::string& linha : resumo.Linhas())
        FAcompanhamento.AdicionarLog(linha);
    FAcompanhamento.Relatorio().MostrarResumo(resumo);
    resumo.Limpar();
}

void TMigracao::DefinirDescarteChavesPendentes(bool descartar) noexcept
{
    FChavesEstrangeiras.DefinirDescarte(descartar);
}

void TMigracao::ManterEscritaForcada(bool manter) noexcept
{
    FEscritaForcada.DefinirManter(manter);
}

void TMigracao::SolicitarParada(TMotivoParada motivo) noexcept
{
    // The first request names the stop.
    if (!FCancelamento.Solicitado())
        FMotivoParada.store(motivo);
    FCancelamento.Solicitar();
}

bool TMigracao::EmExecucao() const noexcept
{
    return FEmExecucao.load();
}

int TMigracao::Posicao(TBarra barra) const noexcept
{
    return FAcompanhamento.Posicao(barra);
}

int TMigracao::Maximo(TBarra barra) const noexcept
{
    return FAcompanhamento.Maximo(barra);
}

TSituacaoExecucao TMigracao::Situacao() const
{
    return FAcompanhamento.Situacao();
}

std::vector<std::string> TMigracao::ChavesEstrangeirasPendentes(const std::string& arquivoDestino)
{
    if (arquivoDestino.empty())
        return {};
    TConexao destino;
    destino.DefinirBanco(CaminhoAbsoluto(arquivoDestino));
    return TPassosChavesEstrangeiras::Pendentes(destino);
}

std::string TMigracao::ArquivoChavesPendentes(const std::string& arquivoDestino)
{
    return TRegistroChavesPendentes::ArquivoDe(CaminhoAbsoluto(arquivoDestino));
}
