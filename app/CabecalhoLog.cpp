#include "CabecalhoLog.h"

#include "AcompanhamentoMigracao.h"

#include <QLocale>

QStringList TCabecalhoLog::Linhas(TComando AComando, const QString& AOrigem,
                                  const QString& ADestino, const QDateTime& AInicio)
{
    const QString data = QLocale(QLocale::Portuguese, QLocale::Brazil).toString(AInicio.date(), QStringLiteral("dd/MM/yyyy"));
    const QString comando = AComando == TComando::Importacao ? QStringLiteral("Importação iniciada em %1.")
                                                             : QStringLiteral("Verificação iniciada em %1.");
    const std::time_t instante = AInicio.toSecsSinceEpoch();
    QStringList linhas;
    for (const QString& texto : {comando.arg(data), QStringLiteral("ORIGEM: ") + AOrigem,
                                 QStringLiteral("DESTINO: ") + ADestino})
        linhas << QString::fromStdString(TAcompanhamentoMigracao::FormatarLinha(instante, texto.toStdString()));
    return linhas;
}
