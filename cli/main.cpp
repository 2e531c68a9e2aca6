#include "ArquivoLog.h"
#include "ErroBancoDados.h"
#include "LocalidadeUtf8.h"
#include "Migracao.h"
#include "ObjectsAssigner.h"
#include "RegistroChavesPendentes.h"
#include "RelatorioLinhaComando.h"

#include <QCommandLineParser>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <iostream>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const char* const Uso = "Uso: vorel-newdatabase-cli ORIGEM DESTINO\n";

const char* const Ajuda =
    "Uso: vorel-newdatabase-cli ORIGEM DESTINO\n"
    "     vorel-newdatabase-cli --verificar ORIGEM DESTINO\n"
    "     vorel-newdatabase-cli --comparar ORIGEM DESTINO\n"
    "     vorel-newdatabase-cli --descartar-chaves-pendentes ORIGEM DESTINO\n"
    "     vorel-newdatabase-cli --sem-verificacao ORIGEM DESTINO\n"
    "     vorel-newdatabase-cli --manter-gravacao-forcada ORIGEM DESTINO\n"
    "\n"
    "Importa os dados de um banco de dados Vorel (ORIGEM) para um banco de dados Vorel\n"
    "novo/limpo da mesma versão (DESTINO), ambos no servidor Firebird local (127.0.0.1).\n"
    "\n"
    "  ORIGEM   arquivo .fdb de onde os dados são lidos; seus campos do tipo boleano\n"
    "           que estão nulos passam a 'N'\n"
    "  DESTINO  arquivo .fdb que recebe os dados; todas as suas tabelas, menos as 23\n"
    "           tabelas de referência, são esvaziadas e preenchidas com as da ORIGEM\n"
    "\n"
    "O log da importação sai na saída padrão. As mensagens de validação, os gatilhos\n"
    "da replicação que o servidor recusar e, quando a saída de erros é um terminal, o\n"
    "progresso (etapa, posição na etapa, linhas copiadas e linhas por segundo) saem\n"
    "na saída de erros. Ctrl+C interrompe a importação no próximo ponto seguro; o log\n"
    "termina então com a linha da interrupção, e a próxima importação completa o\n"
    "DESTINO (um segundo Ctrl+C encerra o programa de imediato). A verificação, a\n"
    "comparação e a conferência do fim da importação, que só leem, param na hora. Um\n"
    "pedido de término do processo (SIGTERM) faz o mesmo que Ctrl+C, e a linha da\n"
    "interrupção o diz.\n"
    "\n"
    "Cada importação, verificação e comparação guarda o seu log inteiro, gravado à\n"
    "medida que ele cresce, em um arquivo próprio (data, hora e nome do DESTINO) na pasta\n"
    "  %l\n"
    "A primeira linha do arquivo nomeia o programa e sua versão, o comando, o usuário e\n"
    "os dois bancos; a última linha do log diz onde ele foi gravado. Ficam os 100 logs\n"
    "mais recentes.\n"
    "\n"
    "Antes de alterar qualquer coisa, a importação confere os dois bancos e recusa-se\n"
    "a começar (código 2) quando o DESTINO tem tabelas ou colunas que a ORIGEM não tem,\n"
    "colunas de tipos que ela não sabe copiar, ou outras conexões abertas. Em seguida\n"
    "faz a mesma verificação de --verificar: havendo erros, recusa-se a começar\n"
    "(código 2) e lista todos eles; os avisos vão para o log e a importação segue.\n"
    "Com --sem-verificacao, a importação começa sem essa verificação (para o dia em\n"
    "que ela estiver errada); as falhas aparecem então durante a importação.\n"
    "\n"
    "As chaves estrangeiras excluídas do DESTINO ficam registradas, até serem recriadas,\n"
    "no próprio DESTINO (tabela NEWDATABASE_CHAVES_PENDENTES) e, como cópia do técnico,\n"
    "em um arquivo por DESTINO na pasta\n"
    "  %s\n"
    "Uma importação interrompida as deixa lá, e a próxima importação no mesmo DESTINO,\n"
    "pela janela ou pela linha de comando, as recria, mesmo que o arquivo do DESTINO\n"
    "tenha sido movido, renomeado ou copiado. Uma chave que não pode ser recriada (por\n"
    "exemplo, registros sem o registro pai) não impede as demais: a importação termina\n"
    "tudo o mais, lista cada chave pendente com o motivo e sai com o código 1.\n"
    "\n"
    "Enquanto esvazia e preenche o DESTINO, a importação desliga nele a gravação\n"
    "forçada (forced writes) do servidor, o que a faz cerca de um terço mais rápida, e\n"
    "a religa antes de conferir o resultado, perguntando ao servidor se ela está\n"
    "ligada. A mudança fica registrada no DESTINO como as chaves pendentes: uma\n"
    "importação interrompida a deixa registrada, e a próxima a religa. Um DESTINO que\n"
    "já estava sem gravação forçada fica como estava; a ORIGEM nunca é tocada. Com\n"
    "--manter-gravacao-forcada, a importação não a desliga.\n"
    "\n"
    "Um registro de chaves pendentes danificado, ou com chaves cujas tabelas ou colunas\n"
    "o DESTINO já não tem, faz a importação recusar-se a começar (código 2), nomeando\n"
    "o arquivo, a linha ou a chave. Com --descartar-chaves-pendentes, depois de o técnico\n"
    "conferi-las, a importação descarta essas partes e essas chaves (listadas no início\n"
    "do log; um arquivo danificado fica guardado com o final .descartado) e recria as\n"
    "demais chaves pendentes.\n"
    "\n"
    "Com --verificar, nada é alterado em nenhum dos bancos: depois da mesma validação\n"
    "e da mesma conferência de versões da importação, a verificação procura tudo o que\n"
    "faria a importação falhar ou perder dados (tabelas, colunas e tipos que ela recusa,\n"
    "colunas da ORIGEM que o DESTINO não tem, nulos em colunas obrigatórias, valores\n"
    "que o servidor não aceitaria nas colunas do DESTINO, restrições CHECK, chaves\n"
    "repetidas, registros pai ausentes, gatilhos da replicação que seriam recusados)\n"
    "e lista no log uma linha por problema, agrupadas por tabela, com até cinco chaves\n"
    "das linhas afetadas, e por fim os totais. Os nulos dos campos do tipo boleano\n"
    "contam como o 'N' que a importação lhes daria.\n"
    "\n"
    "Toda importação termina conferindo o DESTINO com a ORIGEM, cada servidor no seu\n"
    "banco e os dois ao mesmo tempo: de cada tabela copiada, o número de linhas e um\n"
    "resumo de todas as colunas copiadas (os valores da ORIGEM tomados nos tipos do\n"
    "DESTINO); e ainda os sequenciadores e as colunas de identidade, as chaves\n"
    "estrangeiras pendentes e os gatilhos, que devem estar ativos. Uma diferença\n"
    "encerra a importação como falha (código 1), com uma linha por tabela que\n"
    "difere: as contagens e até cinco chaves das linhas diferentes.\n"
    "\n"
    "Uma importação sobre um DESTINO cujas tabelas já são iguais às da ORIGEM (mesmo\n"
    "número de linhas, mesmo resumo) as mantém como estão, com uma linha no log para\n"
    "cada uma, e esvazia e preenche só as outras: depois de uma importação que\n"
    "falhou, a seguinte copia apenas o que falta.\n"
    "\n"
    "Com --comparar, nada é alterado em nenhum dos bancos (só transações de leitura):\n"
    "depois da mesma validação e da mesma conferência de versões da importação, faz a\n"
    "mesma conferência do fim da importação e lista uma linha por diferença.\n"
    "\n"
    "Códigos de saída:\n"
    "  0  importação concluída; na verificação, nenhum erro encontrado (avisos podem\n"
    "     ter sido listados); na comparação, DESTINO igual à ORIGEM\n"
    "  1  a importação falhou; o erro é a última linha do log; na verificação, erros\n"
    "     encontrados, ou a verificação não pôde terminar (o erro é a última linha);\n"
    "     na comparação, diferenças encontradas, uma linha por tabela (nome,\n"
    "     contagens, até cinco chaves), ou a comparação não pôde terminar\n"
    "  2  uso incorreto, banco não informado, bancos iguais, versões diferentes,\n"
    "     bancos recusados pela conferência ou um arquivo que o usuário não pode ler\n"
    "     (ou, na importação, gravar); nada foi alterado\n"
    "  3  um dos bancos de dados não pôde ser acessado; nada foi alterado\n"
    "  4  falha inesperada do programa; a mensagem sai na saída de erros\n"
    "  5  interrompida com Ctrl+C ou SIGTERM; na importação, o DESTINO ficou incompleto\n"
    "     (ou, na conferência do fim, não foi conferido) e a próxima importação o\n"
    "     completa\n";

// A command stopped with Ctrl+C or SIGTERM.
constexpr int CodigoInterrompida = 5;

// Ctrl+C and a request to end the process (SIGTERM).
sigset_t SinaisParada()
{
    sigset_t sinais;
    sigemptyset(&sinais);
    sigaddset(&sinais, SIGINT);
    sigaddset(&sinais, SIGTERM);
    return sinais;
}

// The stop signals, blocked in every thread from the start of the process, are taken here by
// a thread of their own: neither a signal handler, which could not tell the server to cancel a
// statement, nor the Firebird client library, which would shut every connection down, ever
// meets them. The first asks the command to stop, naming the signal, and asks again until the
// command ends, so that one that came before the command began is not lost; a second one ends
// the process at once, as a terminal user expects.
class TInterrupcao {
public:
    explicit TInterrupcao(TMigracao& migracao) : FLinha([this, &migracao] { Esperar(migracao); })
    {
    }
    ~TInterrupcao()
    {
        FFim.store(true);
        FLinha.join();
    }
    TInterrupcao(const TInterrupcao&) = delete;
    TInterrupcao& operator=(const TInterrupcao&) = delete;

private:
    void Esperar(TMigracao& migracao)
    {
        const sigset_t sinais = SinaisParada();
        std::optional<TMotivoParada> motivo;
        while (!FFim.load()) {
            const timespec espera{0, 100'000'000};
            const int sinal = sigtimedwait(&sinais, nullptr, &espera);
            if (sinal > 0 && motivo) {
                // The second: the signal's own default action ends the process.
                std::signal(sinal, SIG_DFL);
                raise(sinal);
                pthread_sigmask(SIG_UNBLOCK, &sinais, nullptr);
            }
            if (sinal > 0)
                motivo = sinal == SIGTERM ? TMotivoParada::Termino : TMotivoParada::CtrlC;
            if (motivo)
                migracao.SolicitarParada(*motivo);
        }
    }

    std::atomic<bool> FFim{false};
    std::thread FLinha;
};

void MostrarChavesPendentes(TRelatorioLinhaComando& relatorio, const std::string& destino)
{
    const std::vector<std::string> pendentes = TMigracao::ChavesEstrangeirasPendentes(destino);
    if (pendentes.empty())
        return;
    std::string texto = "Chaves estrangeiras excluídas do DESTINO e ainda não recriadas:";
    for (const std::string& sql : pendentes)
        texto += "\n" + sql + ";";
    texto += std::string("\nGuardadas na tabela ") + TRegistroChavesPendentes::Tabela +
             " do DESTINO e em " + TMigracao::ArquivoChavesPendentes(destino) +
             "; a próxima importação neste DESTINO as recria.";
    relatorio.Mensagem(texto);
}

// The arguments as the command line takes them: --help alone, or the two databases, with
// --verificar or --comparar anywhere among them for a check or a comparison instead of a run,
// --sem-verificacao for a run without its check, --descartar-chaves-pendentes for a run that
// leaves out what the record of pending keys holds and cannot be used, or
// --manter-gravacao-forcada for a run that leaves the destination's forced writes on.
struct TArgumentos {
    bool Ajuda = false;
    bool Verificar = false;
    bool Comparar = false;
    bool SemVerificacao = false;
    bool Descartar = false;
    bool ManterGravacaoForcada = false;
    std::vector<std::string> Bancos;
    bool Validos = false;
};

TArgumentos LerArgumentos(int argc, char* argv[])
{
    QCommandLineParser leitor;
    const QCommandLineOption ajuda(QStringList{"help", "h"});
    const QCommandLineOption verificar("verificar");
    const QCommandLineOption comparar("comparar");
    const QCommandLineOption semVerificacao("sem-verificacao");
    const QCommandLineOption descartar("descartar-chaves-pendentes");
    const QCommandLineOption manterGravacaoForcada("manter-gravacao-forcada");
    leitor.addOption(ajuda);
    leitor.addOption(verificar);
    leitor.addOption(comparar);
    leitor.addOption(semVerificacao);
    leitor.addOption(descartar);
    leitor.addOption(manterGravacaoForcada);
    QStringList argumentos;
    for (int i = 0; i < argc; ++i)
        argumentos << QString::fromLocal8Bit(argv[i]);

    TArgumentos lidos;
    if (!leitor.parse(argumentos))
        return lidos;
    // A file name is bytes, which need not be valid in the locale's encoding: each database
    // is taken from the argument it came in, not from its decoded text, which would turn an
    // undecodable byte into another character. The parser keeps the arguments' order.
    int proximo = 1;
    for (const QString& banco : leitor.positionalArguments()) {
        while (proximo < argc && argumentos[proximo] != banco)
            ++proximo;
        if (proximo == argc)
            return lidos;
        lidos.Bancos.emplace_back(argv[proximo++]);
    }
    lidos.Ajuda = leitor.isSet(ajuda);
    lidos.Verificar = leitor.isSet(verificar);
    lidos.Comparar = leitor.isSet(comparar);
    lidos.SemVerificacao = leitor.isSet(semVerificacao);
    lidos.Descartar = leitor.isSet(descartar);
    lidos.ManterGravacaoForcada = leitor.isSet(manterGravacaoForcada);
    // A check or a comparison changes nothing: the options of a run make no sense with them.
    const bool soLeitura = lidos.Verificar || lidos.Comparar;
    lidos.Validos = lidos.Ajuda ? argc == 2
                                : lidos.Bancos.size() == 2 && !(lidos.Verificar && lidos.Comparar) &&
                                      !(soLeitura && (lidos.SemVerificacao || lidos.Descartar ||
                                                      lidos.ManterGravacaoForcada));
    return lidos;
}

// Redraws the progress line every second while the command runs, so that a long single
// statement shows its seconds go by.
class TRelogioProgresso {
public:
    explicit TRelogioProgresso(TRelatorioLinhaComando& relatorio)
        : FLinha([this, &relatorio] {
              std::unique_lock trava(FTrava);
              while (!FAcordar.wait_for(trava, std::chrono::seconds(1), [this] { return FFim; }))
                  relatorio.Redesenhar();
          })
    {
    }
    ~TRelogioProgresso()
    {
        {
            std::lock_guard trava(FTrava);
            FFim = true;
        }
        FAcordar.notify_one();
        FLinha.join();
    }
    TRelogioProgresso(const TRelogioProgresso&) = delete;
    TRelogioProgresso& operator=(const TRelogioProgresso&) = delete;

private:
    std::mutex FTrava;
    std::condition_variable FAcordar;
    bool FFim = false;
    std::thread FLinha;
};

int CodigoImportacao(TResultadoMigracao resultado)
{
    switch (resultado) {
    case TResultadoMigracao::Concluida:
        return 0;
    case TResultadoMigracao::Abandonada:
    case TResultadoMigracao::Recusada:
        return 2;
    case TResultadoMigracao::Interrompida:
        return CodigoInterrompida;
    case TResultadoMigracao::Falhou:
    case TResultadoMigracao::Ocupada:
        break;
    }
    return 1;
}

int CodigoVerificacao(TResultadoVerificacao resultado)
{
    switch (resultado) {
    case TResultadoVerificacao::SemProblemas:
        return 0;
    case TResultadoVerificacao::Abandonada:
        return 2;
    case TResultadoVerificacao::Interrompida:
        return CodigoInterrompida;
    case TResultadoVerificacao::ComProblemas:
    case TResultadoVerificacao::Falhou:
    case TResultadoVerificacao::Ocupada:
        break;
    }
    return 1;
}

int CodigoComparacao(TResultadoComparacao resultado)
{
    switch (resultado) {
    case TResultadoComparacao::Iguais:
        return 0;
    case TResultadoComparacao::Abandonada:
        return 2;
    case TResultadoComparacao::Interrompida:
        return CodigoInterrompida;
    case TResultadoComparacao::Diferentes:
    case TResultadoComparacao::Falhou:
    case TResultadoComparacao::Ocupada:
        break;
    }
    return 1;
}

int Executar(int argc, char* argv[])
{
    // The same start-up as the window's, so that both programs run with the same registrations
    // and open the same paths.
    RegisterDefaultAssignments();
    AdotarLocalidadeUtf8();

    const TArgumentos argumentos = LerArgumentos(argc, argv);
    if (!argumentos.Validos) {
        std::cerr << Uso << "Use --help para mais informações.\n";
        return 2;
    }
    if (argumentos.Ajuda) {
        std::string ajuda = Ajuda;
        ajuda.replace(ajuda.find("%s"), 2, TRegistroChavesPendentes::Pasta());
        ajuda.replace(ajuda.find("%l"), 2, TArquivoLog::Pasta());
        std::cout << ajuda;
        return 0;
    }

    TRelatorioLinhaComando relatorio(std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
    TMigracao migracao(relatorio);
    relatorio.DefinirSituacao([&migracao] { return migracao.Situacao(); });
    TInterrupcao interrupcao(migracao);
    migracao.DispensarVerificacao(argumentos.SemVerificacao);
    migracao.DefinirInterface(TInterfaceComando::LinhaComando);

    const std::string& origem = argumentos.Bancos[0];
    const std::string& destino = argumentos.Bancos[1];
    migracao.DefinirDescarteChavesPendentes(argumentos.Descartar);
    migracao.ManterEscritaForcada(argumentos.ManterGravacaoForcada);
    int codigo = 0;
    try {
        TRelogioProgresso relogio(relatorio);
        if (argumentos.Verificar)
            codigo = CodigoVerificacao(migracao.Verificar(origem, destino));
        else if (argumentos.Comparar)
            codigo = CodigoComparacao(migracao.Comparar(origem, destino));
        else
            codigo = CodigoImportacao(migracao.Iniciar(origem, destino));
    } catch (const EBancoDados& erro) {
        relatorio.Mensagem(erro.what());
        return 3;
    } catch (const std::exception& erro) {
        relatorio.Mensagem(erro.what());
        return 4;
    } catch (...) {
        relatorio.Mensagem("Falha inesperada do programa.");
        return 4;
    }
    if ((codigo == 1 || codigo == CodigoInterrompida) && !argumentos.Verificar &&
        !argumentos.Comparar) {
        // The run's own failure is told already; one in listing the keys only adds to it.
        try {
            MostrarChavesPendentes(relatorio, destino);
        } catch (const std::exception& erro) {
            relatorio.Mensagem(std::string("As chaves estrangeiras pendentes não puderam ser "
                                           "listadas: ") +
                               erro.what());
        }
    }
    return codigo;
}

} // namespace

// No failure ends the process without its message and an exit code that --help lists.
int main(int argc, char* argv[])
{
    // Before any thread exists, so that every thread inherits it (see TInterrupcao).
    const sigset_t sinais = SinaisParada();
    pthread_sigmask(SIG_BLOCK, &sinais, nullptr);
    try {
        return Executar(argc, argv);
    } catch (const std::exception& erro) {
        std::cerr << ComQuebrasDoTerminal(erro.what()) << '\n';
    } catch (...) {
        std::cerr << "Falha inesperada do programa.\n";
    }
    return 4;
}
