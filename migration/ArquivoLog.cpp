#include "ArquivoLog.h"

#include <cctype>
#include <cstdlib>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <ctime>
#include <pwd.h>
#include <unistd.h>

namespace {

const char* Nome(TArquivoLog::TComando comando)
{
    switch (comando) {
    case TArquivoLog::TComando::Verificacao:
        return "verificação";
    case TArquivoLog::TComando::Comparacao:
        return "comparação";
    case TArquivoLog::TComando::Importacao:
        break;
    }
    return "importação";
}

// The login the process runs under; the environment only when the system has no entry for it.
std::string Usuario()
{
    if (const passwd* conta = getpwuid(geteuid()); conta && conta->pw_name)
        return conta->pw_name;
    const char* usuario = std::getenv("USER");
    return usuario ? usuario : "desconhecido";
}

std::string Formatar(std::time_t instante, const char* formato)
{
    std::tm partes{};
    localtime_r(&instante, &partes);
    char texto[64];
    return std::string(texto, std::strftime(texto, sizeof texto, formato, &partes));
}

} // namespace

std::string TArquivoLog::Pasta()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath("vorel-newdatabase/logs")
        .toStdString();
}

std::string TArquivoLog::NomeArquivo(std::time_t inicio, const std::string& destino)
{
    std::string nome = QFileInfo(QString::fromStdString(destino)).completeBaseName().toStdString();
    // Only what every file system takes: a name that came from another system may hold
    // anything, a separator included.
    for (char& c : nome)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.'))
            c = '_';
    if (nome.empty())
        nome = "destino";
    return Formatar(inicio, "%Y-%m-%d_%H%M%S_") + nome.substr(0, 80) + ".log";
}

bool TArquivoLog::Iniciar(TComando comando, const std::string& origem, const std::string& destino)
{
    Encerrar();
    FFalha.clear();
    FCaminho.clear();
    const std::string pasta = Pasta();
    if (!QDir().mkpath(QString::fromStdString(pasta))) {
        FFalha = "a pasta " + pasta + " não pôde ser criada";
        return false;
    }
    RemoverAntigos();

    const std::time_t inicio = std::time(nullptr);
    const std::string nome = NomeArquivo(inicio, destino);
    // Two commands started in the same second on destinations of the same name get a file each.
    std::string caminho = pasta + "/" + nome;
    for (int n = 2; QFileInfo::exists(QString::fromStdString(caminho)); ++n)
        caminho = pasta + "/" + nome.substr(0, nome.size() - 4) + "-" + std::to_string(n) + ".log";
    FArquivo.open(caminho, std::ios::out | std::ios::binary);
    if (!FArquivo) {
        FFalha = "o arquivo " + caminho + " não pôde ser criado";
        return false;
    }
    FCaminho = caminho;
    Escrever(std::string("Vorel NewDatabase ") + VOREL_VERSAO + " - " + Nome(comando) +
             " iniciada em " + Formatar(inicio, "%d/%m/%Y %H:%M:%S") + " por " + Usuario() +
             " - ORIGEM: " + origem + " - DESTINO: " + destino);
    return Aberto();
}

void TArquivoLog::Escrever(const std::string& linha)
{
    if (!FArquivo.is_open())
        return;
    std::string texto = linha;
    for (std::size_t i = 0; (i = texto.find("\r\n", i)) != std::string::npos;)
        texto.replace(i, 2, "\n");
    FArquivo << texto << '\n' << std::flush;
    if (!FArquivo) {
        // A full disk must not end the run: the log stops here and its end says so.
        FFalha = "o arquivo " + FCaminho + " não pôde ser gravado por inteiro";
        FArquivo.close();
    }
}

void TArquivoLog::Encerrar()
{
    if (FArquivo.is_open())
        FArquivo.close();
}

void TArquivoLog::RemoverAntigos() const
{
    // The names begin with the date and time, so their order is the order the logs were made.
    QDir pasta(QString::fromStdString(Pasta()));
    const QStringList logs =
        pasta.entryList(QStringList{QStringLiteral("*.log")}, QDir::Files, QDir::Name);
    // A log that cannot be removed now is tried again when the next one starts.
    for (qsizetype i = 0; i + LogsGuardados - 1 < logs.size(); ++i)
        pasta.remove(logs[i]);
}
