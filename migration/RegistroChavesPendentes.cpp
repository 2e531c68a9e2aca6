#include "RegistroChavesPendentes.h"

#include "Conexao.h"
#include "Consulta.h"
#include "ErroBancoDados.h"
#include "IdentidadeArquivo.h"
#include "NomeSql.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <set>
#include <stdexcept>

namespace {


// The definition is the file's JSON object of one key; the statement is there for a
// technician who reads the table.
std::string SQLCriarTabela()
{
    return std::string("create table ") + TRegistroChavesPendentes::Tabela +
           " (TABELA varchar(63) character set UTF8 not null,"
           " NOME varchar(63) character set UTF8 not null,"
           " DEFINICAO varchar(4000) character set UTF8 not null,"
           " SQL varchar(4000) character set UTF8)";
}

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

// A name the record gives: a text that is not empty.
bool LerNome(const QJsonObject& objeto, const char* campo, std::string& nome, std::string& motivo)
{
    const QJsonValue valor = objeto[campo];
    if (!valor.isString() || valor.toString().isEmpty()) {
        motivo = std::string("\"") + campo + "\" ausente ou vazio";
        return false;
    }
    nome = valor.toString().toStdString();
    return true;
}

bool LerNomes(const QJsonObject& objeto, const char* campo, std::vector<std::string>& nomes,
              std::string& motivo)
{
    const QJsonValue valor = objeto[campo];
    if (!valor.isArray() || valor.toArray().isEmpty()) {
        motivo = std::string("\"") + campo + "\" ausente ou vazio";
        return false;
    }
    for (const QJsonValue& nome : valor.toArray()) {
        if (!nome.isString() || nome.toString().isEmpty()) {
            motivo = std::string("\"") + campo + "\" com um nome vazio";
            return false;
        }
        nomes.push_back(nome.toString().toStdString());
    }
    return true;
}

// The rules go into the statement as they stand: only the server's own words are taken.
bool LerRegra(const QJsonObject& objeto, const char* campo, std::string& regra, std::string& motivo)
{
    static const std::set<std::string> regras{"RESTRICT", "NO ACTION", "CASCADE", "SET NULL",
                                              "SET DEFAULT"};
    const QJsonValue valor = objeto[campo];
    regra = valor.toString().toStdString();
    if (!valor.isString() || !regras.count(regra)) {
        motivo = std::string("\"") + campo + "\" ausente ou desconhecida";
        return false;
    }
    return true;
}

// The key an object of the record describes, or the reason it describes none.
bool DeJson(const QJsonValue& valor, TChaveEstrangeira& chave, std::string& motivo)
{
    if (!valor.isObject()) {
        motivo = "uma chave não é um objeto";
        return false;
    }
    const QJsonObject objeto = valor.toObject();
    if (!LerNome(objeto, "tabela", chave.Tabela, motivo) ||
        !LerNome(objeto, "nome", chave.Nome, motivo) ||
        !LerNome(objeto, "indice", chave.Indice, motivo) ||
        !LerNomes(objeto, "campos", chave.Campos, motivo) ||
        !LerNome(objeto, "tabelaReferenciada", chave.TabelaReferenciada, motivo) ||
        !LerNomes(objeto, "camposReferenciados", chave.CamposReferenciados, motivo) ||
        !LerRegra(objeto, "regraAtualizacao", chave.RegraAtualizacao, motivo) ||
        !LerRegra(objeto, "regraExclusao", chave.RegraExclusao, motivo))
        return false;
    if (!objeto["indiceDescendente"].isBool()) {
        motivo = "\"indiceDescendente\" ausente";
        return false;
    }
    chave.IndiceDescendente = objeto["indiceDescendente"].toBool();
    if (chave.Campos.size() != chave.CamposReferenciados.size()) {
        motivo = "\"campos\" e \"camposReferenciados\" de tamanhos diferentes";
        return false;
    }
    return true;
}

// An index's row and the file's entry for it. In the table an index's definition says its
// kind, which no key's has.
QJsonObject ParaJson(const TIndicePendente& indice)
{
    return QJsonObject{
        {"tipo", "indice"},
        {"tabela", Texto(indice.Tabela)},
        {"nome", Texto(indice.Nome)},
        {"sql", Texto(indice.SQLAtivar())},
    };
}

bool EhIndice(const QJsonObject& objeto)
{
    return objeto["tipo"].toString() == "indice";
}

// The row that says a run holds the destination's forced writes off: no table of the user's is
// named so, and its statement is left empty, as there is no SQL to turn them on.
const char* const TabelaEscritaForcada = "RDB$DATABASE";
const char* const NomeEscritaForcada = "ESCRITA FORCADA";

bool EhEscritaForcada(const QJsonObject& objeto)
{
    return objeto["tipo"].toString() == "escritaForcada";
}

// A trigger's row: under the catalogue's table of triggers, which no key or index names.
const char* const TabelaGatilhos = "RDB$TRIGGERS";

bool EhGatilho(const QJsonObject& objeto)
{
    return objeto["tipo"].toString() == "gatilho";
}

bool DeJson(const QJsonValue& valor, TIndicePendente& indice, std::string& motivo)
{
    if (!valor.isObject()) {
        motivo = "um índice não é um objeto";
        return false;
    }
    const QJsonObject objeto = valor.toObject();
    return LerNome(objeto, "tabela", indice.Tabela, motivo) &&
           LerNome(objeto, "nome", indice.Nome, motivo);
}

void AcrescentarIndice(TLeituraChavesPendentes& leitura, std::set<std::string>& achados,
                       TIndicePendente indice)
{
    if (achados.insert(indice.Nome).second)
        leitura.Indices.push_back(std::move(indice));
}

void AcrescentarChave(TLeituraChavesPendentes& leitura, std::set<std::string>& achadas,
            TChaveEstrangeira chave)
{
    if (achadas.insert(chave.Identidade()).second)
        leitura.Chaves.push_back(std::move(chave));
}

} // namespace

TRegistroChavesPendentes::TRegistroChavesPendentes(TConexao& destino)
    : FDestino(destino), FBanco(ChaveArquivo(destino.Banco())), FArquivo(ArquivoDe(destino.Banco()))
{
}

std::string TRegistroChavesPendentes::Pasta()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath("vorel-newdatabase/chaves-pendentes")
        .toStdString();
}

std::string TRegistroChavesPendentes::ArquivoDe(const std::string& arquivoDestino)
{
    const QByteArray resumo =
        QCryptographicHash::hash(QByteArray::fromStdString(ChaveArquivo(arquivoDestino)),
                                 QCryptographicHash::Sha1)
            .toHex();
    return Pasta() + "/" + resumo.toStdString() + ".json";
}

bool TRegistroChavesPendentes::TabelaExiste()
{
    TConsulta consulta(&FDestino, std::string("select count(*) from RDB$RELATIONS where "
                                              "RDB$RELATION_NAME = ") +
                                      LiteralSql(Tabela));
    consulta.Abrir();
    return consulta.Campo(0).ComoInteiro() > 0;
}

TLeituraChavesPendentes TRegistroChavesPendentes::LerArquivo(const std::string& caminho)
{
    TLeituraChavesPendentes leitura;
    QFile arquivo(Texto(caminho));
    if (!arquivo.exists())
        return leitura;
    const auto dano = [&leitura, &caminho](const std::string& motivo) {
        leitura.Danos.push_back("O registro das chaves estrangeiras pendentes do DESTINO no "
                                "arquivo " +
                                caminho + " está danificado: " + motivo + ".");
        return leitura;
    };
    if (!arquivo.open(QIODevice::ReadOnly))
        return dano(arquivo.errorString().toStdString());
    QJsonParseError erro;
    const QJsonDocument documento = QJsonDocument::fromJson(arquivo.readAll(), &erro);
    if (documento.isNull())
        return dano(erro.errorString().toStdString() + " na posição " +
                    std::to_string(erro.offset));
    if (!documento.isObject() || !documento.object()["chaves"].isArray())
        return dano("falta a lista \"chaves\"");
    // A damaged file gives none of its keys; those it still names are told to the caller.
    const auto danoComNomes = [&](const std::string& motivo) {
        for (const QJsonValue& valor : documento.object()["chaves"].toArray()) {
            const QJsonObject objeto = valor.toObject();
            const QJsonValue tabela = objeto["tabela"];
            if (tabela.isString() && !tabela.toString().isEmpty())
                leitura.Ilegiveis.push_back({tabela.toString().toStdString(),
                                             objeto["nome"].toString().toStdString(), 0});
        }
        return dano(motivo);
    };
    std::set<std::string> achadas;
    TLeituraChavesPendentes lidas;
    for (const QJsonValue& valor : documento.object()["chaves"].toArray()) {
        TChaveEstrangeira chave;
        std::string motivo;
        if (!DeJson(valor, chave, motivo))
            return danoComNomes(motivo);
        AcrescentarChave(lidas, achadas, std::move(chave));
    }
    const QJsonValue indices = documento.object()["indices"];
    if (!indices.isUndefined() && !indices.isArray())
        return danoComNomes("\"indices\" não é uma lista");
    std::set<std::string> achados;
    for (const QJsonValue& valor : indices.toArray()) {
        TIndicePendente indice;
        std::string motivo;
        if (!DeJson(valor, indice, motivo))
            return danoComNomes(motivo);
        AcrescentarIndice(lidas, achados, std::move(indice));
    }
    const QJsonValue escritaForcada = documento.object().value("escritaForcada");
    if (!escritaForcada.isUndefined() && !escritaForcada.isBool())
        return danoComNomes("\"escritaForcada\" não é verdadeiro nem falso");
    lidas.EscritaForcada = escritaForcada.toBool();
    const QJsonValue gatilhos = documento.object().value("gatilhos");
    if (!gatilhos.isUndefined() && !gatilhos.isArray())
        return dano("\"gatilhos\" não é uma lista");
    for (const QJsonValue& gatilho : gatilhos.toArray()) {
        if (!gatilho.isString() || gatilho.toString().isEmpty())
            return dano("\"gatilhos\" com um nome vazio");
        lidas.Gatilhos.push_back(gatilho.toString().toStdString());
    }
    return lidas;
}

TLeituraChavesPendentes TRegistroChavesPendentes::Ler()
{
    TLeituraChavesPendentes leitura;
    std::set<std::string> achadas;
    std::set<std::string> achados;
    if (TabelaExiste()) {
        TConsulta consulta(&FDestino, std::string("select TABELA, NOME, DEFINICAO, SQL from ") +
                                          Tabela + " order by TABELA, NOME");
        try {
            consulta.Abrir();
        } catch (const EBancoDados& erro) {
            leitura.Danos.push_back(std::string("A tabela ") + Tabela +
                                    " do DESTINO, que registra as chaves estrangeiras "
                                    "pendentes, não pôde ser lida: " +
                                    erro.what());
        }
        for (; consulta.Aberta() && !consulta.Eof(); consulta.Proximo()) {
            const std::string tabela = consulta.Campo("TABELA").ComoTexto();
            const std::string nome = consulta.Campo("NOME").ComoTexto();
            QJsonParseError erro;
            const QJsonDocument documento = QJsonDocument::fromJson(
                QByteArray::fromStdString(consulta.Campo("DEFINICAO").ComoTexto()), &erro);
            TChaveEstrangeira chave;
            TIndicePendente indice;
            if (!documento.isNull() && EhEscritaForcada(documento.object()) &&
                tabela == TabelaEscritaForcada && nome == NomeEscritaForcada) {
                leitura.EscritaForcada = true;
                continue;
            }
            if (!documento.isNull() && EhGatilho(documento.object()) &&
                tabela == TabelaGatilhos) {
                leitura.Gatilhos.push_back(nome);
                continue;
            }
            const bool ehIndice = !documento.isNull() && EhIndice(documento.object());
            std::string motivo;
            if (documento.isNull())
                motivo = erro.errorString().toStdString();
            else if (ehIndice && DeJson(documento.object(), indice, motivo) &&
                     (indice.Tabela != tabela || indice.Nome != nome))
                motivo = "a definição é de outro índice";
            else if (!ehIndice && DeJson(documento.object(), chave, motivo) &&
                     (chave.Tabela != tabela || chave.Nome != nome))
                motivo = "a definição é de outra chave";
            if (motivo.empty() && ehIndice)
                AcrescentarIndice(leitura, achados, std::move(indice));
            else if (motivo.empty())
                AcrescentarChave(leitura, achadas, std::move(chave));
            else {
                // An index's row is told by the statement the record writes for it, the
                // forced writes' and the triggers' by their names.
                if (!ehIndice && !tabela.empty() &&
                    consulta.Campo("SQL").ComoTexto().rfind("alter index ", 0) != 0 &&
                    !(tabela == TabelaEscritaForcada && nome == NomeEscritaForcada) &&
                    tabela != TabelaGatilhos)
                    leitura.Ilegiveis.push_back({tabela, nome, leitura.Danos.size()});
                leitura.Danos.push_back(std::string("A tabela ") + Tabela +
                                        " do DESTINO, que registra as chaves estrangeiras "
                                        "pendentes, tem uma linha danificada (TABELA " +
                                        tabela + ", NOME " + nome + "): " + motivo + ".");
            }
        }
    }
    TLeituraChavesPendentes arquivo = LerArquivo(FArquivo);
    for (TChaveEstrangeira& chave : arquivo.Chaves)
        AcrescentarChave(leitura, achadas, std::move(chave));
    for (TIndicePendente& indice : arquivo.Indices)
        AcrescentarIndice(leitura, achados, std::move(indice));
    leitura.EscritaForcada = leitura.EscritaForcada || arquivo.EscritaForcada;
    for (TChaveIlegivel& ilegivel : arquivo.Ilegiveis) {
        ilegivel.Dano += leitura.Danos.size();
        leitura.Ilegiveis.push_back(std::move(ilegivel));
    }
    for (std::string& gatilho : arquivo.Gatilhos)
        if (std::find(leitura.Gatilhos.begin(), leitura.Gatilhos.end(), gatilho) ==
            leitura.Gatilhos.end())
            leitura.Gatilhos.push_back(std::move(gatilho));
    for (std::string& dano : arquivo.Danos)
        leitura.Danos.push_back(std::move(dano));
    return leitura;
}

void TRegistroChavesPendentes::GravarChaves(const std::vector<TChaveEstrangeira>& chaves)
{
    const TLeituraChavesPendentes leitura = Ler();
    Gravar(chaves, leitura.Indices, leitura.EscritaForcada, leitura.Gatilhos);
}

void TRegistroChavesPendentes::GravarIndices(const std::vector<TIndicePendente>& indices)
{
    const TLeituraChavesPendentes leitura = Ler();
    Gravar(leitura.Chaves, indices, leitura.EscritaForcada, leitura.Gatilhos);
}

void TRegistroChavesPendentes::GravarEscritaForcada(bool escritaForcada)
{
    const TLeituraChavesPendentes leitura = Ler();
    Gravar(leitura.Chaves, leitura.Indices, escritaForcada, leitura.Gatilhos);
}

void TRegistroChavesPendentes::Gravar(const std::vector<TChaveEstrangeira>& chaves,
                                      const std::vector<TIndicePendente>& indices,
                                      bool escritaForcada, const std::vector<std::string>& gatilhos)
{
    const bool existe = TabelaExiste();
    if (chaves.empty() && indices.empty() && !escritaForcada && gatilhos.empty()) {
        GravarArquivo(chaves, indices, escritaForcada, gatilhos);
        if (existe)
            ExcluirTabela();
        return;
    }
    if (!existe)
        FDestino.Executar(SQLCriarTabela());
    FDestino.IniciarTransacao();
    try {
        FDestino.Executar(std::string("delete from ") + Tabela);
        for (const TChaveEstrangeira& chave : chaves)
            FDestino.Executar(
                std::string("insert into ") + Tabela + " (TABELA, NOME, DEFINICAO, SQL) values (" +
                LiteralSql(chave.Tabela) + ", " + LiteralSql(chave.Nome) + ", " +
                LiteralSql(QJsonDocument(ParaJson(chave)).toJson(QJsonDocument::Compact)
                               .toStdString()) +
                ", " + LiteralSql(chave.SQLCriar()) + ")");
        for (const TIndicePendente& indice : indices)
            FDestino.Executar(
                std::string("insert into ") + Tabela + " (TABELA, NOME, DEFINICAO, SQL) values (" +
                LiteralSql(indice.Tabela) + ", " + LiteralSql(indice.Nome) + ", " +
                LiteralSql(QJsonDocument(ParaJson(indice)).toJson(QJsonDocument::Compact)
                               .toStdString()) +
                ", " + LiteralSql(indice.SQLAtivar()) + ")");
        if (escritaForcada)
            FDestino.Executar(std::string("insert into ") + Tabela +
                              " (TABELA, NOME, DEFINICAO) values (" +
                              LiteralSql(TabelaEscritaForcada) + ", " +
                              LiteralSql(NomeEscritaForcada) + ", '{\"tipo\":\"escritaForcada\"}')");
        for (const std::string& gatilho : gatilhos)
            FDestino.Executar(std::string("insert into ") + Tabela +
                              " (TABELA, NOME, DEFINICAO, SQL) values (" +
                              LiteralSql(TabelaGatilhos) + ", " + LiteralSql(gatilho) +
                              ", '{\"tipo\":\"gatilho\"}', " +
                              LiteralSql("alter trigger " + NomeSql(gatilho) + " active") + ")");
        FDestino.Commit();
    } catch (...) {
        FDestino.Rollback();
        throw;
    }
    GravarArquivo(chaves, indices, escritaForcada, gatilhos);
}

// With nobody else attached (the run refuses a destination in use) only the server's garbage
// collector, cleaning the rows deleted as the keys were created, may still hold the table; it
// lets go only of a lock someone waits for, so the drop waits.
void TRegistroChavesPendentes::ExcluirTabela()
{
    FDestino.IniciarTransacaoComEspera(30);
    try {
        FDestino.Executar(std::string("drop table ") + Tabela);
        FDestino.Commit();
    } catch (...) {
        FDestino.Rollback();
        throw;
    }
}

// Index rows are told from key rows by their statement, which the record itself writes.
void TRegistroChavesPendentes::Remover(const TChaveEstrangeira& chave)
{
    FDestino.Executar(std::string("delete from ") + Tabela + " where TABELA = " +
                      LiteralSql(chave.Tabela) + " and NOME = " + LiteralSql(chave.Nome) +
                      " and coalesce(SQL, '') not starting with 'alter index '");
}

void TRegistroChavesPendentes::Remover(const TIndicePendente& indice)
{
    FDestino.Executar(std::string("delete from ") + Tabela + " where TABELA = " +
                      LiteralSql(indice.Tabela) + " and NOME = " + LiteralSql(indice.Nome) +
                      " and SQL starting with 'alter index '");
}

void TRegistroChavesPendentes::GuardarArquivoDanificado()
{
    if (LerArquivo(FArquivo).Danos.empty())
        return;
    const QString destino = Texto(FArquivo + ".descartado");
    QFile::remove(destino);
    QFile arquivo(Texto(FArquivo));
    if (!arquivo.rename(destino))
        throw std::runtime_error("O registro danificado das chaves estrangeiras pendentes (" +
                                 FArquivo + ") não pôde ser posto de lado: " +
                                 arquivo.errorString().toStdString());
}

void TRegistroChavesPendentes::GravarArquivo(const std::vector<TChaveEstrangeira>& chaves,
                                             const std::vector<TIndicePendente>& indices,
                                             bool escritaForcada,
                                             const std::vector<std::string>& gatilhos) const
{
    const auto falha = [this](const QString& motivo) {
        return std::runtime_error("O registro das chaves estrangeiras pendentes (" + FArquivo +
                                  ") não pôde ser gravado: " + motivo.toStdString());
    };
    if (chaves.empty() && indices.empty() && !escritaForcada && gatilhos.empty()) {
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
    QJsonArray listaIndices;
    for (const TIndicePendente& indice : indices)
        listaIndices.append(ParaJson(indice));
    QJsonObject documento{{"banco", Texto(FBanco)}, {"chaves", lista}, {"indices", listaIndices}};
    if (escritaForcada)
        documento["escritaForcada"] = true;
    if (!gatilhos.empty())
        documento["gatilhos"] = Lista(gatilhos);

    // Written aside and renamed over the old record, so that a process killed while writing
    // leaves the old record or the new one, never half of one.
    QSaveFile arquivo(Texto(FArquivo));
    if (!arquivo.open(QIODevice::WriteOnly) ||
        arquivo.write(QJsonDocument(documento).toJson()) < 0 || !arquivo.commit())
        throw falha(arquivo.errorString());
}
