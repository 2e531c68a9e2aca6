#pragma once

#include "ReplicacaoCadastros.h"

class IRelatorioFalhaGatilho;

// Installs the replication trigger of every catalogued table on the catalogue's connection.
class TReplicacaoCadastrosGerarGatilhos : public TReplicacaoCadastros {
public:
    // Without a report, failed triggers are written to the standard error stream.
    explicit TReplicacaoCadastrosGerarGatilhos(TConexao& conexao,
                                               IReceptorReplicacao* receptor = nullptr,
                                               IRelatorioFalhaGatilho* relatorio = nullptr);

    // Runs one statement per table, in catalogue order. A table whose trigger fails, or that
    // the database lacks or keys by nothing, is reported and skipped; the run always reaches
    // the last table.
    void Execute();

private:
    // Why no trigger can be built for the table ("a tabela X não existe no banco de dados",
    // "a tabela X não tem chave primária"); empty when nothing stands in the way.
    std::string Impedimento(const TReplicacaoTabela& tabela);
    bool TabelaExiste(const std::string& nome);

    IRelatorioFalhaGatilho* FRelatorio;
};
