#pragma once

#include "ReplicacaoTabela.h"

#include <memory>
#include <vector>

class TConexao;
class IReceptorReplicacao;

// The catalogue of replicated master-data tables, with their columns and keys as the database
// behind the connection has them. The metadata is loaded once, by the constructor; a query
// that fails (no EXCECOES_REPLICACAO, a lost connection) fails the construction with
// EBancoDados. The connection is borrowed and must outlive the catalogue.
class TReplicacaoCadastros {
public:
    explicit TReplicacaoCadastros(TConexao& conexao, IReceptorReplicacao* receptor = nullptr);
    virtual ~TReplicacaoCadastros();
    TReplicacaoCadastros(const TReplicacaoCadastros&) = delete;
    TReplicacaoCadastros& operator=(const TReplicacaoCadastros&) = delete;

    // Whether replication is in use: more than one active company in a replication group.
    bool TemReplicacao();
    // The same answer from a database whose catalogue is not needed.
    static bool EmUso(TConexao& conexao);

    const TListaTabelas& Lista() const noexcept { return FLista; }

protected:
    TConexao& FConexao;
    TListaTabelas FLista;
    IReceptorReplicacao* FReceptor;

private:
    void AdicionarTabelas();
    void CarregarMetadados();
    void CarregarExcecoes();
    void CarregarCampos();
    void CarregarChavePrimaria();
    void MarcarChavePrimaria();
};
