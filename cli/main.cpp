#include "ErroBancoDados.h"
#include "LocalidadeUtf8.h"
#include "Migracao.h"
#include "ObjectsAssigner.h"
#include "RegistroChavesPendentes.h"
#include "RelatorioLinhaComando.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

const char* const Uso = "Uso: vorel-newdatabase-cli ORIGEM DESTINO\n";

const char* const Ajuda =
    "Uso: vorel-newdatabase-cli ORIGEM DESTINO\n"
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
    "na saída de erros. Ctrl+C interrompe a importação no próximo ponto seguro.\n"
    "\n"
    "Antes de alterar qualquer coisa, a importação confere os dois bancos e recusa-se\n"
    "a começar (código 2) quando o DESTINO tem tabelas ou colunas que a ORIGEM não tem,\n"
    "colunas de tipos que ela não sabe copiar, ou outras conexões abertas.\n"
    "\n"
    "As chaves estrangeiras excluídas do DESTINO ficam registradas, até serem recriadas,\n"
    "em um arquivo por DESTINO na pasta\n"
    "  %s\n"
    "Uma importação interrompida as deixa lá, e a próxima importação no mesmo DESTINO,\n"
    "pela janela ou pela linha de comando, as recria.\n"
    "\n"
    "Códigos de saída:\n"
    "  0  importação concluída\n"
    "  1  a importação falhou; o erro é a última linha do log\n"
    "  2  uso incorreto, banco não informado, bancos iguais, versões diferentes ou\n"
    "     bancos recusados pela conferência; nada foi alterado\n"
    "  3  um dos bancos de dados não pôde ser acessado; nada foi alterado\n";

std::atomic<TMigracao*> MigracaoEmCurso{nullptr};

// The first Ctrl+C asks the run to stop at its next safe point; a second one ends the process
// at once, as a terminal user expects.
void AoInterromper(int)
{
    if (TMigracao* migracao = MigracaoEmCurso.load())
        migracao->SolicitarParada();
    std::signal(SIGINT, SIG_DFL);
}

// Points the interrupt at the run for as long as the engine lives.
class TInterrupcao {
public:
    explicit TInterrupcao(TMigracao& migracao)
    {
        MigracaoEmCurso = &migracao;
        std::signal(SIGINT, AoInterromper);
    }
    ~TInterrupcao()
    {
        std::signal(SIGINT, SIG_DFL);
        MigracaoEmCurso = nullptr;
    }
    TInterrupcao(const TInterrupcao&) = delete;
    TInterrupcao& operator=(const TInterrupcao&) = delete;
};

void MostrarChavesPendentes(TRelatorioLinhaComando& relatorio, const std::string& destino)
{
    const std::vector<std::string> pendentes = TMigracao::ChavesEstrangeirasPendentes(destino);
    if (pendentes.empty())
        return;
    std::string texto = "Chaves estrangeiras excluídas do DESTINO e ainda não recriadas:";
    for (const std::string& sql : pendentes)
        texto += "\n" + sql + ";";
    texto += "\nGuardadas em " + TMigracao::ArquivoChavesPendentes(destino) +
             "; a próxima importação neste DESTINO as recria.";
    relatorio.Mensagem(texto);
}

} // namespace

int main(int argc, char* argv[])
{
    // The same start-up as the window's, so that both programs run with the same registrations
    // and open the same paths.
    RegisterDefaultAssignments();
    AdotarLocalidadeUtf8();

    const std::string primeiro = argc > 1 ? argv[1] : "";
    if (argc == 2 && (primeiro == "--help" || primeiro == "-h")) {
        std::string ajuda = Ajuda;
        ajuda.replace(ajuda.find("%s"), 2, TRegistroChavesPendentes::Pasta());
        std::cout << ajuda;
        return 0;
    }
    if (argc != 3) {
        std::cerr << Uso << "Use --help para mais informações.\n";
        return 2;
    }

    TRelatorioLinhaComando relatorio(std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
    TMigracao migracao(relatorio);
    TInterrupcao interrupcao(migracao);

    const std::string destino = argv[2];
    TResultadoMigracao resultado;
    try {
        resultado = migracao.Iniciar(argv[1], destino);
    } catch (const std::exception& erro) {
        relatorio.Mensagem(erro.what());
        return 3;
    }

    switch (resultado) {
    case TResultadoMigracao::Concluida:
        return 0;
    case TResultadoMigracao::Abandonada:
        return 2;
    case TResultadoMigracao::Falhou:
    case TResultadoMigracao::Ocupada:
        break;
    }
    MostrarChavesPendentes(relatorio, destino);
    return 1;
}
