#pragma once

#include "ReplicacaoCampo.h"

#include <memory>
#include <string>
#include <vector>

using TListaCampos = std::vector<std::unique_ptr<TReplicacaoCampo>>;

// One master-data table whose rows the companies of a replication group share, and the
// trigger that keeps them shared. The catalogue's table classes set the fixed values in their
// constructors; the column lists come from the database (TReplicacaoCadastros).
class TReplicacaoTabela {
public:
    TReplicacaoTabela();
    virtual ~TReplicacaoTabela();
    TReplicacaoTabela(const TReplicacaoTabela&) = delete;
    TReplicacaoTabela& operator=(const TReplicacaoTabela&) = delete;

    const TListaCampos& Campos() const noexcept { return FCampos; }
    const TListaCampos& CamposChavePrimaria() const noexcept { return FCamposChavePrimaria; }
    const std::string& Nome() const noexcept { return FNome; }
    const std::string& NomeGatilho() const noexcept { return FNomeGatilho; }
    const std::string& NomeAmigavel() const noexcept { return FNomeAmigavel; }
    const std::vector<std::string>& CamposIgnorar() const noexcept { return FCamposIgnorar; }
    const std::string& NomeSequence() const noexcept { return FNomeSequence; }
    const std::string& NomeCampoId() const noexcept { return FNomeCampoId; }
    const std::string& NomeCampoComparar() const noexcept { return FNomeCampoComparar; }

    // The complete "create or alter trigger" statement for this table.
    std::string GetSQLGatilho() const;
    // The name that statement gives the trigger.
    std::string NomeGatilhoReplicacao() const;

protected:
    // Filled while the catalogue loads the database's metadata.
    void AdicionarCampo(std::string nome);
    void AdicionarCampoChavePrimaria(std::string nome);
    void AdicionarCampoIgnorar(std::string nome);
    // Marks the columns of Campos that are also key columns (exact name match).
    void MarcarChavePrimaria();

    std::string FNome;
    std::string FNomeGatilho;
    std::string FNomeAmigavel;
    std::string FNomeSequence;
    std::string FNomeCampoId;
    std::string FNomeCampoComparar;

private:
    friend class TReplicacaoCadastros;

    std::string GetSQLWhere(std::size_t espacos) const;
    std::string GetSQLDelete() const;
    std::string GetSQLContarRegistros() const;
    std::string GetSQLInsert() const;
    std::string GetSQLUpdate() const;

    TListaCampos FCampos;
    TListaCampos FCamposChavePrimaria;
    std::vector<std::string> FCamposIgnorar;
};

using TListaTabelas = std::vector<std::unique_ptr<TReplicacaoTabela>>;
