#include "RegistroChavesPendentes.h"

#include "IdentidadeArquivo.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <stdexcept>

namespace {

QString Texto(const std::string& texto)
{
    return QString::fromStdString(texto);
}

QJsonArray Lista(const std::vector<std::string>& nomes)
{
    QJsonArray lista;
    for (const std::string& nome : nomes)
        lista.append(Texto(nome));
    return lista;
}

std::vector<std::string> Nomes(const QJsonValue& valor)
{
    std::vector<std::string> nomes;
    for (const QJsonValue& nome : valor.toArray())
        nomes.push_back(nome.toString().toStdString());
    return nomes;
}

QJsonObject ParaJson(const TChaveEstrangeira& chave)
{
    return QJsonObject{
        {"tabela", Texto(chave.Tabela)},
        {"nome", Texto(chave.Nome)},
        {"indice", Texto(chave.Indice)},
        {"indiceDescendente", chave.IndiceDescendente},
        {"campos", Lista(chave.Campos)},
        {"tabelaReferenciada", Texto(chave.TabelaReferenciada)},
        {"camposReferenciados", Lista(chave.CamposReferenciados)},
        {"regraAtualizacao", Texto(chave.RegraAtualizacao)},
        {"regraExclusao", Texto(chave.RegraExclusao)},
        // For a technician who reads the file: the statement that creates the key.
        {"sql", Texto(chave.SQLCriar())},
    };
}

TChaveEstrangeira DeJson(const QJsonObject& objeto)
{
    TChaveEstrangeira chave;
    chave.Tabela = objeto["tabela"].toString().toStdString();
    chave.Nome = objeto["nome"].toString().toStdString();
    chave.Indice = objeto["indice"].toString().toStdString();
    chave.IndiceDescendente = objeto["indiceDescendente"].toBool();
    chave.Campos = Nomes(objeto["campos"]);
    chave.TabelaReferenciada = objeto["tabelaReferenciada"].toString().toStdString();
    chave.CamposReferenciados = Nomes(objeto["camposReferenciados"]);
    chave.RegraAtualizacao = objeto["regraAtualizacao"].toString().toStdString();
    chave.RegraExclusao = objeto["regraExclusao"].toString().toStdString();
    return chave;
}

} // namespace

TRegistroChavesPendentes::TRegistroChavesPendentes(const std::string& arquivoDestino)
    : FBanco(ChaveArquivo(arquivoDestino))
{
    const QByteArray resumo =
        QCryptographicHash::hash(QByteArray::fromStdString(FBanco), QCryptographicHash::Sha1)
            .toHex();
    FArquivo = Pasta() + "/" + resumo.toStdString() + ".json";
}

std::string TRegistroChavesPendentes::Pasta()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath("vorel-newdatabase/chaves-pendentes")
        .toStdString();
}

std::vector<TChaveEstrangeira> TRegistroChavesPendentes::Ler() const
{
    QFile arquivo(Texto(FArquivo));
    if (!arquivo.exists())
        return {};
    const auto falha = [this](const QString& motivo) {
        return std::runtime_error("O registro das chaves estrangeiras pendentes (" + FArquivo +
                                  ") não pôde ser lido: " + motivo.toStdString());
    };
    if (!arquivo.open(QIODevice::ReadOnly))
        throw falha(arquivo.errorString());
    QJsonParseError erro;
    const QJsonDocument documento = QJsonDocument::fromJson(arquivo.readAll(), &erro);
    if (documento.isNull())
        throw falha(erro.errorString());
    std::vector<TChaveEstrangeira> chaves;
    for (const QJsonValue& chave : documento.object()["chaves"].toArray())
        chaves.push_back(DeJson(chave.toObject()));
    return chaves;
}

void TRegistroChavesPendentes::Gravar(const std::vector<TChaveEstrangeira>& chaves) const
{
    const auto falha = [this](const QString& motivo) {
        return std::runtime_error("O registro das chaves estrangeiras pendentes (" + FArquivo +
                                  ") não pôde ser gravado: " + motivo.toStdString());
    };
    if (chaves.empty()) {
        QFile arquivo(Texto(FArquivo));
        if (arquivo.exists() && !arquivo.remove())
            throw falha(arquivo.errorString());
        return;
    }
    if (!QDir().mkpath(Texto(Pasta())))
        throw falha("a pasta não pôde ser criada");
    QJsonArray lista;
    for (const TChaveEstrangeira& chave : chaves)
        lista.append(ParaJson(chave));
    const QJsonObject documento{{"banco", Texto(FBanco)}, {"chaves", lista}};

    // Written aside and renamed over the old record, so that a process killed while writing
    // leaves the old record or the new one, never half of one.
    QSaveFile arquivo(Texto(FArquivo));
    if (!arquivo.open(QIODevice::WriteOnly) ||
        arquivo.write(QJsonDocument(documento).toJson()) < 0 || !arquivo.commit())
        throw falha(arquivo.errorString());
}
