#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The lines a log opens with, so that it always says which pair of databases it belongs to
// and when: the command and its date, then the full paths of ORIGEM and DESTINO. Each is
// a log line like any other, stamped with the time of day.
class TCabecalhoLog {
public:
    enum class TComando { Importacao, Verificacao };

    static QStringList Linhas(TComando AComando, const QString& AOrigem, const QString& ADestino,
                              const QDateTime& AInicio);
};
